#include "platform/platform.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <utility>

#include "platform/headless_platform.h"
#include "platform/program_state.h"


namespace {

// Thread numbers as the platform hands them out: the GUI thread is 1, the
// threads started through StartThread 2, 3, ...
struct ThreadNumbering {
    std::atomic<int> next{2};
};
// Starts again at 2, so the program thread of each test is 2, as in a real run.
ProgramState<ThreadNumbering> numbering{[](ThreadNumbering& n) { n.next = 2; }};
thread_local int threadNumber = 0;
thread_local std::string threadName;

struct ThreadStart {
    int number;
    std::function<void()> body;
};

void* RunThread(void* arg) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(arg));
    threadNumber = start->number;
    start->body();
    return nullptr;
}

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

struct PlatformSlot {
    std::mutex mutex;
    std::unique_ptr<Platform> platform;
};

// The installed platform outlives resets: tests install theirs once.
ProgramState<PlatformSlot> slot{KeptThroughResets};

PlatformSlot& Slot() { return *slot; }

}  // namespace

Platform::Platform() { threadNumber = 1; }

bool Platform::StartThread(std::size_t stackSize, std::function<void()> body) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return false;
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize > 0) pthread_attr_setstacksize(&attr, stackSize);
    auto start = std::make_unique<ThreadStart>(ThreadStart{numbering->next.fetch_add(1), std::move(body)});
    pthread_t thread;
    const int rc = pthread_create(&thread, &attr, RunThread, start.get());
    pthread_attr_destroy(&attr);
    if (rc != 0) return false;
    start.release();  // owned by the new thread now
    return true;
}

std::string Platform::CurrentThreadDescription() {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<void*>(&threadNumber));
    std::string text = "<Thread: " + std::string(address) + ">{";
    if (threadNumber > 0) text += "number = " + std::to_string(threadNumber) + ", ";
    text += "name = " + (threadName.empty() ? std::string("(null)") : threadName) + "}";
    return text;
}

void Platform::SetCurrentThreadName(const std::string& name) {
    threadName = name;
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
}

double Platform::AbsoluteTime() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::string Platform::Folder(StandardFolder folder) {
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

std::string Platform::ResourceFolder() {
    // <prefix>/bin/tabrona finds <prefix>/share/tabrona; the build puts its
    // copy of the resources in the same place relative to build/bin.
    const std::string exe = ExecutableFolder();
    const std::string installed = exe + "/../share/tabrona";
    if (!exe.empty() && IsDirectory(installed)) return installed + "/";
    return WithSlash(exe);
}

std::string Platform::RecoveryFolder() { return Folder(StandardFolder::State); }

void Platform::SetRulerSize(int, double, double) {}

void Platform::AppendTextViewString(int window, const std::string& text) {
    SetTextViewString(window, TextViewString(window) + text);
}

std::string Platform::ApplicationName() { return "Tabrona"; }

void Platform::SetDocumentHandler(DocumentHandler handler) {
    std::vector<std::string> waiting;
    {
        std::lock_guard lock(documentMutex_);
        documentHandler_ = handler;
        if (handler) waiting.swap(waitingDocuments_);
    }
    for (const std::string& path : waiting) handler(path);
}

void Platform::OpenDocument(const std::string& path) {
    DocumentHandler handler;
    {
        std::lock_guard lock(documentMutex_);
        handler = documentHandler_;
        if (!handler) {
            waitingDocuments_.push_back(path);
            return;
        }
    }
    handler(path);
}

Platform& CurrentPlatform() {
    PlatformSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (!slot.platform) slot.platform = std::make_unique<HeadlessPlatform>();
    return *slot.platform;
}

void InstallPlatform(std::unique_ptr<Platform> platform) {
    PlatformSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.platform = std::move(platform);
}
