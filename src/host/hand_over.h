// A second `tabrona FILE` of the same user hands FILE to the Tabrona that
// already runs, over a local socket that only this user can reach: in
// $XDG_RUNTIME_DIR, or else in a folder of the user's own under /tmp that
// nobody else may enter. Both ends check that the other is the same user,
// and the running program confirms each path it took, so that a second start
// ends only once its file is in good hands.
#pragma once

#include <string>

// The socket's path for this user and preferences folder; empty when no
// folder safe for it exists (then every start opens its own file).
std::string HandOverSocketPath();

// True when the folder may hold the socket: a folder (no link) of this
// user that nobody else may write to or enter.
bool PrivateFolder(const std::string& folder);

// True when the process at the other end of the connected Unix socket runs
// as this user.
bool PeerIsThisUser(int socket);

// Hands the path to the running program and waits for its confirmation;
// false when none runs, the other end is not this user's, or no
// confirmation came in time.
bool SendToRunningInstance(const std::string& path);

// The confirmation the running program sends for each path it took.
inline constexpr char HandOverConfirmation[] = "OK\n";
