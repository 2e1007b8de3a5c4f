// The desktop program's way in. The Qt host is built as a module of its own
// (tabrona-desktop.so), which the program loads only when it opens its
// window: loading Qt and its libraries costs a process start some 30 ms,
// more than a whole batch export or a headless run needs otherwise. The
// module takes everything else from the program that loads it.
#pragma once

// The name under which the module exports the function below.
inline constexpr const char* DesktopEntryName = "TabronaDesktopMain";

// Runs the desktop program with the command line and its two desktop
// options (openFile may be empty); returns the exit status when it cannot
// start or when a Tabrona already running took openFile, and otherwise ends
// the process itself.
extern "C" int TabronaDesktopMain(int argc, char** argv, const char* openFile, int zoom);
using DesktopEntry = int (*)(int argc, char** argv, const char* openFile, int zoom);
