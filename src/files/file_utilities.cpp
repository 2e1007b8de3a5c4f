#include "files/file_utilities.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cctype>
#include <cstdio>
#include <random>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "files/file_faults.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"

namespace {

struct WriteFault {
    WriteStep Step;
    int Error;
    int Times;  // negative: every time
};

struct FileState {
    std::string LastEncoding;
    int LastError = 0;
    std::vector<WriteFault> Faults;
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
    int Fd = -1;
    explicit Descriptor(int f) : Fd(f) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (Fd >= 0) close(Fd);
    }
};

// The file's bytes in blocks of at most `block` bytes, handed to `take` as
// they are read; false with errno set when it cannot be read (EISDIR for a
// folder, NotRegularFileError for a FIFO, socket or device, EFBIG beyond
// `limit`). Opening never blocks: a FIFO without a writer would otherwise
// hang the program for good. `size` gets the file's size as it was opened.
bool ReadBlocks(const std::string& path, std::uint64_t limit, std::size_t block,
                const std::function<void(std::string_view)>& take, std::uint64_t& size) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    const auto regular = [](const struct stat& i) {
        errno = S_ISDIR(i.st_mode) ? EISDIR : NotRegularFileError;
        return S_ISREG(i.st_mode);
    };
    if (!regular(info)) return false;
    Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    // What was opened may have been swapped for something else meanwhile.
    if (file.Fd < 0 || fstat(file.Fd, &info) != 0 || !regular(info)) return false;
    size = static_cast<std::uint64_t>(info.st_size);
    if (size > limit) {
        errno = EFBIG;
        return false;
    }
    std::vector<char> buffer(std::min<std::uint64_t>(block, std::max<std::uint64_t>(size, 1)));
    for (std::uint64_t done = 0;;) {
        const ssize_t n = read(file.Fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        // A file that grows while it is read is still bounded.
        done += static_cast<std::uint64_t>(n);
        if (done > limit) {
            errno = EFBIG;
            return false;
        }
        take(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
}

// The whole file, up to `limit` bytes, into one string of its size.
bool ReadWhole(const std::string& path, std::uint64_t limit, std::string& out) {
    out.clear();
    std::uint64_t size = 0;
    // Blocks of 64 KB: a larger buffer only touches more pages.
    return ReadBlocks(path, limit, std::size_t{1} << 16, [&](std::string_view part) {
        if (out.empty()) out.reserve(static_cast<std::size_t>(size));
        out.append(part);
    }, size);
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
    for (WriteFault& fault : state->Faults) {
        if (fault.Step != step || fault.Times == 0) continue;
        if (fault.Times > 0) --fault.Times;
        return fault.Error;
    }
    return 0;
}

bool WriteAll(int fd, std::string_view text) {
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

// A name for a new file beside `path` that nobody else uses.
std::string TemporaryName(const std::string& folder, const std::string& path) {
    std::random_device random;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    return folder + "." + nameofpath(path) + suffix;
}

// Creates a new file beside path: with the old file's permissions and owner
// when there is one, else with `mode` less the umask, which the kernel
// applies (the umask is never switched: other threads save too).
int CreateBeside(const std::string& folder, const std::string& path, mode_t mode, std::string& temporary) {
    struct stat old {};
    const bool replacing = stat(path.c_str(), &old) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(folder, path);
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : mode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd >= 0 && replacing) {
            // Root saving another user's file leaves it theirs; where the
            // owner cannot be kept, the new file is the saver's.
            if ((old.st_uid != geteuid() || old.st_gid != getegid()) && fchown(fd, old.st_uid, old.st_gid) != 0) {
            }
            if (fchmod(fd, old.st_mode & 07777) != 0) {
                const int error = errno;
                close(fd);
                unlink(temporary.c_str());
                errno = error;
                return -1;
            }
        }
        return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes the parts beside path and renames the new file over path; the
// error, or 0. `created` tells whether the new file could be made at all.
int WriteReplacing(const TextParts& parts, const std::string& path, mode_t mode, bool& created) {
    const std::string folder = folderofpath(path).empty() ? "./" : folderofpath(path);
    std::string temporary;
    int error = InjectedFault(WriteStep::CreateTemporary);
    Descriptor file(error ? -1 : CreateBeside(folder, path, mode, temporary));
    created = file.Fd >= 0;
    if (file.Fd < 0) return error ? error : errno;
    const auto fail = [&](int e) {
        unlink(temporary.c_str());
        return e;
    };
    if ((error = InjectedFault(WriteStep::Write))) return fail(error);
    parts([&](std::string_view part) {
        if (!WriteAll(file.Fd, part)) error = errno != 0 ? errno : EIO;
        return error == 0;
    });
    if (error) return fail(error);
    if ((error = InjectedFault(WriteStep::Flush)) || fsync(file.Fd) != 0) return fail(error ? error : errno);
    if ((error = InjectedFault(WriteStep::Rename)) || rename(temporary.c_str(), path.c_str()) != 0)
        return fail(error ? error : errno);
    // The new name is on disk once the folder is.
    Descriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Fd >= 0) fsync(directory.Fd);
    return 0;
}

// The file's whole content from the start, replacing what was there.
bool Overwrite(int fd, const std::string& text) {
    if (lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, text)) return false;
    return ftruncate(fd, static_cast<off_t>(text.size())) == 0 && fsync(fd) == 0;
}

// Where the old content of a file written in place waits until the write
// is done.
std::string SafetyCopyPath(const std::string& path) {
    const std::string folder = CurrentPlatform().Folder(StandardFolder::State);
    return folder + "Sicherungskopie-" + std::to_string(getpid()) + "-" + nameofpath(path);
}

// For a file whose folder takes no new file: its old content goes to the
// state folder first, then the file is written in place; a failed write puts
// the old content back. The error, or 0.
int WriteInPlace(const std::string& text, const std::string& path, int refused) {
    Descriptor file(open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (file.Fd < 0 || fstat(file.Fd, &info) != 0 || !S_ISREG(info.st_mode)) return refused;
    std::string old;
    if (!ReadWhole(path, MaxBinaryFileBytes, old)) return refused;
    const std::string copy = SafetyCopyPath(path);
    bool created = false;
    if (createdirectory(folderofpath(copy)) != 0 || WriteReplacing(WholeText(old), copy, 0600, created) != 0)
        return refused;
    const int injected = InjectedFault(WriteStep::InPlace);
    const int error = injected ? injected : Overwrite(file.Fd, text) ? 0 : errno;
    if (error == 0 || Overwrite(file.Fd, old)) {
        unlink(copy.c_str());
    } else {
        LogLine("setstringtofile: The old content of " + path + " is kept in " + copy);
    }
    if (error == 0) LogLine("setstringtofile: Folder takes no new file, written in place: " + path);
    return error;
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
        // ASCII, most of any text, 32 bytes at a time while it lasts.
        if (std::uint64_t words[4]; i + 32 <= text.size() && (std::memcpy(words, text.data() + i, 32),
                                                              ((words[0] | words[1] | words[2] | words[3]) &
                                                               0x8080808080808080u) == 0)) {
            i += 32;
            continue;
        }
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

void InjectWriteFault(WriteStep step, int error, int times) {
    if (step == WriteStep::None)
        state->Faults.clear();
    else
        state->Faults.push_back({step, error, times});
}

std::string FileErrorDescription(int error, const std::string& path) {
    const char* what = error == NotRegularFileError ? "Not a regular file" : std::strerror(error);
    return std::to_string(error) + " " + what + ": " + path;
}

std::string LastFileEncoding() { return state->LastEncoding; }

int LastFileError() { return state->LastError; }

std::string getstringfromfile(const std::string& path) {
    std::string bytes;
    state->LastError = 0;
    if (!ReadWhole(path, MaxTextFileBytes, bytes)) {
        // Neither encoding can read what cannot be read at all.
        const int error = errno;
        LogError("getstringfromfile", error, path);
        LogError("getstringfromfile", error, path);
        state->LastEncoding = "Error: Unknown Encoding";
        state->LastError = error;
        return {};
    }
    if (ValidUtf8(bytes)) {
        state->LastEncoding = "NSUTF8StringEncoding";
        return bytes;
    }
    LogError("getstringfromfile", EILSEQ, path);
    std::string text;
    if (FromMacRoman(bytes, text)) {
        state->LastEncoding = "NSMacOSRomanStringEncoding";
        return text;
    }
    LogError("getstringfromfile", EILSEQ, path);
    state->LastEncoding = "Error: Unknown Encoding";
    state->LastError = EILSEQ;
    return {};
}

TextParts WholeText(const std::string& text) {
    return [&text](const std::function<bool(std::string_view)>& write) { write(text); };
}

int setstringtofile(const std::string& text, const std::string& path, unsigned newFileMode) {
    return setpartstofile(WholeText(text), path, newFileMode);
}

int setpartstofile(const TextParts& parts, const std::string& path, unsigned newFileMode) {
    // The file a link points to is saved, and the link stays a link.
    const std::string target = ResolvedPath(path);
    int error = 0;
    bool created = true;
    if (target.empty())
        error = ELOOP;
    else if (filekind(target) == KindFolder)
        error = EISDIR;
    else if (FileLocked(target))
        error = EACCES;
    else
        error = WriteReplacing(parts, target, static_cast<mode_t>(newFileMode & 0777), created);
    // A folder closed to new files may still hold a file its user may write,
    // which then takes the text whole.
    if (!created && (error == EACCES || error == EPERM) && filekind(target) == KindFile &&
        access(target.c_str(), W_OK) == 0) {
        std::string text;
        parts([&text](std::string_view part) {
            text += part;
            return true;
        });
        error = WriteInPlace(text, target, error);
    }
    if (error != 0) LogError("setstringtofile", error, path);
    return error;
}

std::string ResolvedPath(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return {};
        const std::string next(target, static_cast<std::size_t>(length));
        current = next[0] == '/' ? next : folderofpath(current) + next;
    }
    return {};  // a loop of links
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::string getbytesfromfile(const std::string& path, std::uint64_t limit) {
    std::string bytes;
    state->LastError = 0;
    if (ReadWhole(path, limit, bytes)) return bytes;
    state->LastError = errno;
    LogError("getbytesfromfile", errno, path);
    return {};
}

std::vector<std::uint8_t> getbinaryfromfile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::uint64_t size = 0;
    const auto take = [&](std::string_view part) {
        if (bytes.empty()) bytes.reserve(static_cast<std::size_t>(size));
        bytes.insert(bytes.end(), part.begin(), part.end());
    };
    state->LastError = 0;
    if (ReadBlocks(path, MaxBinaryFileBytes, std::size_t{1} << 20, take, size)) return bytes;
    state->LastError = errno;
    LogError("getbinaryfromfile", errno, path);
    return {};
}

bool getblocksfromfile(const std::string& path, std::size_t block, const std::function<void(std::string_view)>& take) {
    state->LastError = 0;
    std::uint64_t size = 0;
    if (ReadBlocks(path, MaxBinaryFileBytes, block, take, size)) return true;
    state->LastError = errno;
    LogError("getbinaryfromfile", errno, path);
    return false;
}

bool ReadTextBlocks(const std::string& path, std::size_t block, const std::function<void(std::string_view)>& take) {
    std::uint64_t size = 0;
    return ReadBlocks(path, MaxTextFileBytes, block, take, size);
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
