#include "host/hand_over.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/current_platform.h"

namespace {

// How long a second start waits for the running program to take its file.
constexpr int ConfirmationMilliseconds = 3000;

// Closes a descriptor when it goes.
struct Socket {
    int Fd;
    explicit Socket(int f) : Fd(f) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (Fd >= 0) close(Fd);
    }
};

// "/tmp/tabrona-<uid>", made only by and for this user.
std::string TemporaryFolder() {
    const std::string folder = "/tmp/tabrona-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    return folder;
}

// Waits for the confirmation; false when it does not come in time.
bool Confirmed(int fd) {
    std::string reply;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ConfirmationMilliseconds);
    while (reply.size() < std::strlen(HandOverConfirmation)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd wait{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[8];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    return reply == HandOverConfirmation;
}

bool WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool PrivateFolder(const std::string& folder) {
    struct stat info {};
    return !folder.empty() && folder[0] == '/' && lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

std::string HandOverSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime ? runtime : "";
    if (!PrivateFolder(folder)) folder = TemporaryFolder();
    if (!PrivateFolder(folder)) return {};
    // One per preferences folder, so that separate configurations (tests
    // among them) run side by side.
    const std::string preferences = CurrentPlatform().Folder(StandardFolder::Preferences);
    const std::size_t hash = std::hash<std::string>{}(preferences) & 0xFFFFFFFFu;
    char name[32];
    std::snprintf(name, sizeof name, "/tabrona-%08zx", hash);
    const std::string path = folder + name;
    return path.size() < sizeof(sockaddr_un::sun_path) ? path : std::string();
}

bool PeerIsThisUser(int socket) {
    ucred peer {};
    socklen_t size = sizeof peer;
    return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == getuid();
}

bool SendToRunningInstance(const std::string& path) {
    const std::string socketPath = HandOverSocketPath();
    if (socketPath.empty() || path.find('\n') != std::string::npos) return false;
    Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (socket.Fd < 0 || connect(socket.Fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    if (!PeerIsThisUser(socket.Fd)) return false;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return !error && WriteAll(socket.Fd, absolute.lexically_normal().string() + "\n") && Confirmed(socket.Fd);
}
