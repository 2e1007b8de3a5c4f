#include "files/file_utilities.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "files/file_faults.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/program_state.h"

namespace {

struct FileState {
    std::string lastEncoding;
    WriteStep faultStep = WriteStep::None;
    int faultError = 0;
};
ProgramState<FileState> state;

void LogError(const char* operation, int error, const std::string& path) {
    LogLine(std::string(operation) + ": Error #" + FileErrorDescription(error, path));
}

bool PlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Closes a descriptor when it goes.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};

// The whole file, up to `limit` bytes; false with errno set when it cannot
// be read (EISDIR for a folder, EFBIG beyond the limit).
bool ReadWhole(const std::string& path, std::uint64_t limit, std::string& out) {
    Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0) return false;
    struct stat info {};
    if (fstat(file.fd, &info) != 0) return false;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > limit) {
        errno = EFBIG;
        return false;
    }
    out.clear();
    out.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(file.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        // A file that grows while it is read is still bounded.
        if (out.size() + static_cast<std::size_t>(n) > limit) {
            errno = EFBIG;
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}


// Mac OS Roman has a character for every byte, so this fails only when
// iconv itself is missing the encoding.
bool FromMacRoman(const std::string& bytes, std::string& out) {
    iconv_t converter = iconv_open("UTF-8", "MACINTOSH");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::unique_ptr<void, int (*)(iconv_t)> closer(converter, iconv_close);
    out.assign(bytes.size() * 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    if (iconv(converter, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1)) return false;
    out.resize(out.size() - outLeft);
    return true;
}

// A fault a test asked for at this step: its error, or 0.
int InjectedFault(WriteStep step) {
    const FileState& s = *state;
    return s.faultStep == step ? s.faultError : 0;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The permissions a new file gets: read and write for all, less the umask.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Writes text beside path and renames it over path; the error, or 0.
int WriteReplacing(const std::string& text, const std::string& path) {
    const std::string folder = folderofpath(path).empty() ? "./" : folderofpath(path);
    std::string temporary = folder + "." + nameofpath(path) + ".XXXXXX";
    int error = InjectedFault(WriteStep::CreateTemporary);
    Descriptor file(error ? -1 : mkstemp(temporary.data()));
    if (file.fd < 0) return error ? error : errno;
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : NewFileMode();
    const auto fail = [&](int e) {
        unlink(temporary.c_str());
        return e;
    };
    if ((error = InjectedFault(WriteStep::Write)) || !WriteAll(file.fd, text)) return fail(error ? error : errno);
    if ((error = InjectedFault(WriteStep::Flush)) || fchmod(file.fd, mode) != 0 || fsync(file.fd) != 0)
        return fail(error ? error : errno);
    if ((error = InjectedFault(WriteStep::Rename)) || rename(temporary.c_str(), path.c_str()) != 0)
        return fail(error ? error : errno);
    // The new name is on disk once the folder is.
    Descriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.fd >= 0) fsync(directory.fd);
    return 0;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

bool ValidUtf8(std::string_view text) {
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        // ASCII, most of any text, eight bytes at a time.
        std::uint64_t eight = 0;
        if (i + 8 <= text.size() && (std::memcpy(&eight, text.data() + i, 8), (eight & 0x8080808080808080u) == 0)) {
            i += 8;
            continue;
        }
        const unsigned char c = byte(i);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t value = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) return false;
            value = (value << 6) | (byte(i + k) & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are no UTF-8.
        static constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < Smallest[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

void InjectWriteFault(WriteStep step, int error) {
    state->faultStep = step;
    state->faultError = error;
}

std::string FileErrorDescription(int error, const std::string& path) {
    return std::to_string(error) + " " + std::strerror(error) + ": " + path;
}

std::string LastFileEncoding() { return state->lastEncoding; }

std::string getstringfromfile(const std::string& path) {
    std::string bytes;
    if (!ReadWhole(path, MaxTextFileBytes, bytes)) {
        // Neither encoding can read what cannot be read at all.
        const int error = errno;
        LogError("getstringfromfile", error, path);
        LogError("getstringfromfile", error, path);
        state->lastEncoding = "Error: Unknown Encoding";
        return {};
    }
    if (ValidUtf8(bytes)) {
        state->lastEncoding = "NSUTF8StringEncoding";
        return bytes;
    }
    LogError("getstringfromfile", EILSEQ, path);
    std::string text;
    if (FromMacRoman(bytes, text)) {
        state->lastEncoding = "NSMacOSRomanStringEncoding";
        return text;
    }
    LogError("getstringfromfile", EILSEQ, path);
    state->lastEncoding = "Error: Unknown Encoding";
    return {};
}

int setstringtofile(const std::string& text, const std::string& path) {
    int error = 0;
    if (filekind(path) == KindFolder)
        error = EISDIR;
    else if (FileLocked(path))
        error = EACCES;
    else
        error = WriteReplacing(text, path);
    if (error != 0) LogError("setstringtofile", error, path);
    return error;
}

std::vector<std::uint8_t> getbinaryfromfile(const std::string& path) {
    std::string bytes;
    if (!ReadWhole(path, MaxBinaryFileBytes, bytes)) {
        LogError("getbinaryfromfile", errno, path);
        return {};
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

int createdirectory(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error) return 0;
    LogError("createdirectory", error.value(), path);
    return -1;
}

// A file without write permission may still be unlinked on Linux, as the
// folder decides; a locked file is to stay, so it is refused here.
int deletefile(const std::string& path) {
    if (filekind(path) != KindFile) return -1;
    if (FileLocked(path)) {
        LogError("deletefile", EPERM, path);
        return 0;
    }
    if (unlink(path.c_str()) == 0) return 1;
    LogError("deletefile", errno, path);
    return 0;
}

int renamefile(const std::string& path, const std::string& newName) {
    if (filekind(path) != KindFile) return -1;
    // A name, not a path: the file stays in its folder.
    const int refused = FileLocked(path) ? EPERM : !PlainName(newName) ? EINVAL : 0;
    if (refused != 0) {
        LogError("renamefile", refused, path);
        return -1;
    }
    const std::string target = folderofpath(path) + newName;
    if (filekind(target) != KindNothing && !SameIgnoringCase(target, path)) return -2;
    if (rename(path.c_str(), target.c_str()) == 0) return 0;
    LogError("renamefile", errno, path);
    return -1;
}

void lockfile(const std::string& path, bool lock) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    const mode_t mode = lock ? info.st_mode & ~mode_t{0222} : info.st_mode | S_IWUSR;
    if (chmod(path.c_str(), mode & 07777) != 0) LogError("lockfile", errno, path);
}

bool FileLocked(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

int filekind(const std::string& path) {
    if (path.empty()) return KindNoPath;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return KindNothing;
    return S_ISDIR(info.st_mode) ? KindFolder : KindFile;
}

std::string folderofpath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameofpath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string homefolder() { return CurrentPlatform().Folder(StandardFolder::Home); }

bool preferencesfolder(const std::string& name) {
    // The program's own preferences folder sits beside those of its
    // namesakes, in the user's configuration folder.
    std::string own = CurrentPlatform().Folder(StandardFolder::Preferences);
    if (!own.empty() && own.back() == '/') own.pop_back();
    const std::string folder = folderofpath(own) + name;
    if (filekind(folder) != KindNothing) return true;
    return createdirectory(folder) == 0;
}
