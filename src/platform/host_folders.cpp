#include "platform/host_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string HomeFolder() { return WithSlash(EnvOr("HOME", "/")); }

std::string ConfigFolder() { return WithSlash(EnvOr("XDG_CONFIG_HOME", HomeFolder() + ".config")); }

// Reads one entry of the XDG user-dirs file (XDG_DESKTOP_DIR="$HOME/Desktop").
std::string UserDir(const std::string& key) {
    std::ifstream in(ConfigFolder() + "user-dirs.dirs");
    std::string line;
    const std::string prefix = key + "=";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) != 0) continue;
        std::string value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(value.size() > 5 ? 6 : 5);
        return value;
    }
    return {};
}

std::string UserFolder(const std::string& key, const std::string& fallbackName) {
    std::string path = UserDir(key);
    if (path.empty()) path = HomeFolder() + fallbackName;
    return IsDirectory(path) ? WithSlash(path) : HomeFolder();
}

std::string StateFolder() {
    // The XDG base directories must be absolute; a relative one is ignored.
    std::string state = EnvOr("XDG_STATE_HOME", "");
    if (state.empty() || state[0] != '/') state = HomeFolder() + ".local/state";
    return WithSlash(state) + "Tabrona/";
}

std::string VolumesFolder() {
    const std::string user = EnvOr("USER", "");
    if (!user.empty()) {
        if (IsDirectory("/media/" + user)) return "/media/" + user + "/";
        if (IsDirectory("/run/media/" + user)) return "/run/media/" + user + "/";
    }
    return "/mnt/";
}

std::string ExecutableFolder() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string path(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string HostFolders::Folder(StandardFolder folder) {
    switch (folder) {
        case StandardFolder::Home: return HomeFolder();
        case StandardFolder::Preferences: return ConfigFolder() + "Tabrona/";
        case StandardFolder::Desktop: return UserFolder("XDG_DESKTOP_DIR", "Desktop");
        case StandardFolder::Documents: return UserFolder("XDG_DOCUMENTS_DIR", "Documents");
        case StandardFolder::Downloads: return UserFolder("XDG_DOWNLOAD_DIR", "Downloads");
        case StandardFolder::Pictures: return UserFolder("XDG_PICTURES_DIR", "Pictures");
        case StandardFolder::Music: return UserFolder("XDG_MUSIC_DIR", "Music");
        case StandardFolder::Movies: return UserFolder("XDG_VIDEOS_DIR", "Videos");
        case StandardFolder::Volumes: return VolumesFolder();
        case StandardFolder::State: return StateFolder();
        case StandardFolder::Application: {
            const std::string exe = ExecutableFolder();
            return exe.empty() ? HomeFolder() : WithSlash(exe);
        }
    }
    return HomeFolder();
}

std::string HostFolders::ResourceFolder() {
    // <prefix>/bin/tabrona finds <prefix>/share/tabrona; the build puts its
    // copy of the resources in the same place relative to build/bin.
    const std::string exe = ExecutableFolder();
    const std::string installed = exe + "/../share/tabrona";
    if (!exe.empty() && IsDirectory(installed)) return installed + "/";
    return WithSlash(exe);
}

std::string HostFolders::RecoveryFolder() { return Folder(StandardFolder::State); }

std::string HostFolders::ApplicationName() { return "Tabrona"; }
