// File-system operations in one forgiving style: plain path strings in, a
// log line ("<operation>: Error #<code> <description>: <path>") and a
// neutral result out, never an exception. Texts are UTF-8 strings.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What filekind reports.
inline constexpr int KindNoPath = -1;
inline constexpr int KindNothing = 0;
inline constexpr int KindFile = 1;
inline constexpr int KindFolder = 2;

// Files above these sizes are not read: they cannot be a Calculation, a text
// or a font, and reading them would take memory without bound.
inline constexpr std::uint64_t MaxTextFileBytes = std::uint64_t{64} << 20;
inline constexpr std::uint64_t MaxBinaryFileBytes = std::uint64_t{256} << 20;

// The error of a read that found something other than a regular file or a
// folder (a FIFO, a socket, a device): such a file is never opened to read.
inline constexpr int NotRegularFileError = ENODEV;

// Describes a failed system call on a path, for "...: Error #" log lines.
std::string FileErrorDescription(int error, const std::string& path);

// The encoding with which getstringfromfile last read a file:
// "NSUTF8StringEncoding", "NSMacOSRomanStringEncoding" or
// "Error: Unknown Encoding".
std::string LastFileEncoding();

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates
// or values past U+10FFFF).
bool ValidUtf8(std::string_view text);

// The file's text: UTF-8, else Mac OS Roman; empty when it cannot be read.
// Only regular files are read, never waiting for a writer.
std::string getstringfromfile(const std::string& path);
// Why the last getstringfromfile or getbinaryfromfile found nothing: 0 when
// it read the file,
// else the system's error code (ENOENT for a missing file, EFBIG beyond
// MaxTextFileBytes, NotRegularFileError, ...).
int LastFileError();
// Stores the text so that the old file survives any failure: it is written
// to a new file in the same folder, flushed to disk and renamed over the old
// one, which keeps its permissions. A path that is a symbolic link saves to
// the file it points to, and the link stays. When the folder takes no new
// file but the file itself may be written, the file is written in place,
// after a copy of its old content was kept in the state folder, which puts
// it back when the write fails. A locked file is not overwritten. A new file
// gets newFileMode less the umask. 0 on success, else the system's error
// code.
int setstringtofile(const std::string& text, const std::string& path, unsigned newFileMode = 0666);
// A text made part by part: hands each part in turn to `write`, stopping
// when it gives false (the file could not take it).
using TextParts = std::function<void(const std::function<bool(std::string_view)>& write)>;
// A text in one part; it must outlive the parts.
TextParts WholeText(const std::string& text);
// The same as setstringtofile for a text made in parts, so that a large one
// need not be held whole; only a file written in place takes them joined.
int setpartstofile(const TextParts& parts, const std::string& path, unsigned newFileMode = 0666);
// The file a path names once symbolic links are followed (a link whose
// target does not exist yet names that target); the path itself when it is
// no link.
std::string ResolvedPath(const std::string& path);
// True when both paths name one existing file (through links too).
bool SameFile(const std::string& a, const std::string& b);
// The file's bytes as they are, at most `limit` of them (EFBIG beyond);
// empty, with LastFileError and a log line, when it cannot be read. Only
// regular files are read.
std::string getbytesfromfile(const std::string& path, std::uint64_t limit);
// The file's bytes; empty (and a log line) when it cannot be read. Only
// regular files are read.
std::vector<std::uint8_t> getbinaryfromfile(const std::string& path);
// The same bytes handed to `take` in blocks of at most `block` bytes as
// they are read, so that a large file never has to fit in memory whole;
// false, with getbinaryfromfile's log line, when it cannot be read (blocks
// already taken stay taken).
bool getblocksfromfile(const std::string& path, std::size_t block, const std::function<void(std::string_view)>& take);
// As getblocksfromfile for a text file (up to MaxTextFileBytes), but quiet:
// nothing is logged and LastFileError stays, for a caller that reads the
// file the usual way when this gives false.
bool ReadTextBlocks(const std::string& path, std::size_t block, const std::function<void(std::string_view)>& take);

// 0 on success, -1 on failure; intermediate folders are created too.
int createdirectory(const std::string& path);
// 1 removed, 0 removing failed or the file is locked, -1 not an existing
// file (folders included).
int deletefile(const std::string& path);
// 0 renamed; -1 the path is no existing file, the file is locked, the new
// name is not a plain name (empty, "." or "..", or with a "/") or the move
// failed; -2 another file has the new name (a change of letter case only is
// allowed).
int renamefile(const std::string& path, const std::string& newName);
// A locked file has no write permission bits: locking clears them,
// unlocking gives the owner write permission again. Files only.
void lockfile(const std::string& path, bool lock);
bool FileLocked(const std::string& path);

int filekind(const std::string& path);
// Up to and including the last "/"; empty when there is none.
std::string folderofpath(const std::string& path);
// After the last "/"; the whole path when there is none.
std::string nameofpath(const std::string& path);
// The user's home folder, ending in "/".
std::string homefolder();
// True when the program's preferences folder for `name` exists or could be
// made.
bool preferencesfolder(const std::string& name);
