// The file utilities: reading with its encodings and limits, the safe
// write and its failures, and the forgiving file operations.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <filesystem>
#include <fstream>
#include <random>

#include "files/file_faults.h"
#include "files/file_utilities.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/text.h"

namespace {

using Lines = std::vector<std::string>;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        char pattern[] = "/tmp/tabrona-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = std::string(pattern) + "/";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ + name, std::ios::binary) << bytes;
        return folder_ + name;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string Error(const std::string& operation, int error, const std::string& path) {
        return operation + ": Error #" + std::to_string(error) + " " + std::strerror(error) + ": " + path;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder_;
};

// Each file reads as the text, encoding and log lines it should, the huge
// one without being read at all.
TEST_F(FilesTest, TextIsReadAsUtf8ElseMacRomanWithinBounds) {
    const std::string line(1'000'000, 'x');
    const std::string huge = folder_ + "huge.calc";
    ASSERT_EQ(truncate(Write("huge.calc", "").c_str(), 1'000'000'000), 0);  // sparse: nothing to read
    // A FIFO without a writer would block an open for good: it is refused
    // at once, as a folder is.
    const std::string fifo = folder_ + "f.calc";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string notRegular = "getstringfromfile: Error #" + std::to_string(NotRegularFileError) +
                                   " Not a regular file: " + fifo;
    const auto twice = [](const std::string& error) { return Lines{error, error}; };
    const std::string utf8 = "NSUTF8StringEncoding", roman = "NSMacOSRomanStringEncoding", none = "Error: Unknown Encoding";
    struct Case {
        std::string path, text, encoding;
        int error;
        Lines log;
    } cases[] = {
        {Write("utf8.txt", "Größe\r€"), "Größe\r€", utf8, 0, {}},
        {Write("nul.txt", std::string("a\0b", 3)), std::string("a\0b", 3), utf8, 0, {}},
        {Write("long.txt", line), line, utf8, 0, {}},
        // G r ö ß e in Mac OS Roman, and bytes that no UTF-8 allows.
        {Write("roman.txt", "Gr\x9A\xA7" "e\xDB"), "Größe€", roman, 0, {Error("getstringfromfile", EILSEQ, folder_ + "roman.txt")}},
        {Write("overlong.txt", "\xC0\xAF"), "¿Ø", roman, 0, {Error("getstringfromfile", EILSEQ, folder_ + "overlong.txt")}},
        {folder_ + "fehlt.calc", "", none, ENOENT, twice(Error("getstringfromfile", ENOENT, folder_ + "fehlt.calc"))},
        {folder_, "", none, EISDIR, twice(Error("getstringfromfile", EISDIR, folder_))},
        {huge, "", none, EFBIG, twice(Error("getstringfromfile", EFBIG, huge))},
        {fifo, "", none, NotRegularFileError, twice(notRegular)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        LogCapture log;
        EXPECT_TRUE(getstringfromfile(c.path) == c.text);
        EXPECT_EQ(LastFileEncoding(), c.encoding);
        EXPECT_EQ(LastFileError(), c.error);
        EXPECT_EQ(log.Lines(), c.log);
    }
    LogCapture log;
    EXPECT_TRUE(getbinaryfromfile(huge).empty());
    EXPECT_TRUE(getbinaryfromfile(fifo).empty());
    EXPECT_EQ(LastFileError(), NotRegularFileError);
    EXPECT_EQ(log.Lines().front(), Error("getbinaryfromfile", EFBIG, huge));
}

// Well-formed UTF-8 by the table of the Unicode standard, byte by byte.
bool ReferenceUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto at = [&](std::size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u; };
        const unsigned c = at(0);
        const auto tail = [&](std::size_t from, std::size_t n) {
            for (std::size_t k = from; k < n; ++k)
                if (at(k) < 0x80 || at(k) > 0xBF) return false;
            return true;
        };
        const std::size_t n = c < 0x80                 ? 1
                              : c >= 0xC2 && c <= 0xDF ? 2
                              : c >= 0xE0 && c <= 0xEF ? 3
                              : c >= 0xF0 && c <= 0xF4 ? 4
                                                       : 0;
        // The second byte's range depends on the first.
        const unsigned second = at(1);
        const auto within = [second](unsigned low, unsigned high) { return second >= low && second <= high; };
        const bool first = n == 1 || (c == 0xE0   ? within(0xA0, 0xBF)
                                      : c == 0xED ? within(0x80, 0x9F)
                                      : c == 0xF0 ? within(0x90, 0xBF)
                                      : c == 0xF4 ? within(0x80, 0x8F)
                                                  : within(0x80, 0xBF));
        if (n == 0 || i + n > s.size() || !first || !tail(2, n)) return false;
        i += n;
    }
    return true;
}

// Long ASCII runs, read many bytes at a time, with one sequence of any
// kind somewhere in them, near the ends of those steps too.
TEST(ValidUtf8Test, AgreesWithTheStandardsTable) {
    std::mt19937 random(5);
    const auto pick = [&](int bound) { return std::uniform_int_distribution<int>(0, bound)(random); };
    for (int round = 0; round < 20000; ++round) {
        std::string text(static_cast<std::size_t>(pick(80)), 'a');
        std::string sequence;
        for (int k = pick(3); k >= 0; --k)
            sequence += static_cast<char>(pick(1) ? 0x80 + pick(0x7F) : pick(3) == 0 ? pick(0x7F) : 0x80 + pick(0x3F));
        text.insert(static_cast<std::size_t>(pick(static_cast<int>(text.size()))), sequence);
        ASSERT_EQ(ValidUtf8(text), ReferenceUtf8(text)) << ::testing::PrintToString(text);
    }
}

// A save replaces the file whole and keeps its permissions; a locked file,
// a folder and a save that fails at any step keep what was there, leave no
// temporary file behind and say why.
TEST_F(FilesTest, SavingNeverLosesTheOldFile) {
    const std::string path = Write("Budget.calc", "alt");
    chmod(path.c_str(), 0640);
    EXPECT_EQ(setstringtofile("neu\rÄ", path), 0);
    struct stat info {};
    stat(path.c_str(), &info);
    EXPECT_EQ(Read(path) + " " + std::to_string(info.st_mode & 0777), "neu\rÄ 416");  // 0640
    EXPECT_EQ(setstringtofile("x", folder_ + "neu.calc"), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Budget.calc", "neu.calc"}));

    const std::pair<WriteStep, int> faults[] = {{WriteStep::CreateTemporary, EROFS},
                                                {WriteStep::Write, ENOSPC},
                                                {WriteStep::Flush, EIO},
                                                {WriteStep::Rename, EXDEV}};
    for (const auto& [step, error] : faults) {
        InjectWriteFault(WriteStep::None, 0);
        InjectWriteFault(step, error);
        LogCapture log;
        EXPECT_EQ(setstringtofile("verloren", path), error);
        EXPECT_EQ(log.Lines(), (Lines{Error("setstringtofile", error, path)}));
        EXPECT_EQ(Read(path), "neu\rÄ");
        EXPECT_EQ(Names(), (std::vector<std::string>{"Budget.calc", "neu.calc"}));
    }
    InjectWriteFault(WriteStep::None, 0);
    lockfile(path, true);
    EXPECT_TRUE(FileLocked(path));
    LogCapture log;
    EXPECT_EQ(setstringtofile("verloren", path), EACCES);
    EXPECT_EQ(setstringtofile("x", folder_), EISDIR);
    EXPECT_EQ(log.Lines(), (Lines{Error("setstringtofile", EACCES, path), Error("setstringtofile", EISDIR, folder_)}));
    EXPECT_EQ(Read(path), "neu\rÄ");
    lockfile(path, false);
    EXPECT_FALSE(FileLocked(path));
    EXPECT_EQ(setstringtofile("wieder", path), 0);
}

// A text made in parts is written whole, or not at all: a write that fails
// midway (the file size limit, here) asks for no further part and leaves the
// old file; a file written in place takes the parts joined.
TEST_F(FilesTest, ATextInPartsIsWrittenWholeOrNotAtAll) {
    const std::string path = Write("Budget.calc", "alt");
    const auto parts = [](std::vector<std::string> texts, int* asked = nullptr) -> TextParts {
        return [texts, asked](const std::function<bool(std::string_view)>& write) {
            for (const std::string& text : texts) {
                if (asked) ++*asked;
                if (!write(text)) return;
            }
        };
    };
    EXPECT_EQ(setpartstofile(parts({"ei", "", "ns"}), path), 0);
    EXPECT_EQ(Read(path), "eins");
    const auto beyondTheLimit = [&] {
        const rlimit limit{100, 100};
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        int asked = 0;
        const int error = setpartstofile(parts({std::string(60, 'a'), std::string(60, 'b'), "c"}, &asked), path);
        std::_Exit(error == EFBIG && asked == 2 ? 0 : 1);
    };
    EXPECT_EXIT(beyondTheLimit(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read(path), "eins");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Budget.calc"}));
    InjectWriteFault(WriteStep::CreateTemporary, EACCES, 1);
    setenv("XDG_STATE_HOME", (folder_ + "state").c_str(), 1);
    EXPECT_EQ(setpartstofile(parts({"zw", "ei"}), path), 0);
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(Read(path), "zwei");
}

// A link is saved through: its target gets the text and the link stays, for
// chains, relative targets and a target yet to be made; a loop is refused.
TEST_F(FilesTest, SavesGoThroughSymbolicLinks) {
    const std::string real = Write("real.calc", "alt");
    std::filesystem::create_symlink("real.calc", folder_ + "link.calc");
    std::filesystem::create_symlink(folder_ + "link.calc", folder_ + "chain.calc");
    std::filesystem::create_symlink("neu/ziel.calc", folder_ + "dangling.calc");
    std::filesystem::create_directory(folder_ + "neu");
    std::filesystem::create_symlink("b", folder_ + "a");
    std::filesystem::create_symlink("a", folder_ + "b");
    EXPECT_EQ(setstringtofile("eins", folder_ + "chain.calc"), 0);
    EXPECT_EQ(setstringtofile("zwei", folder_ + "dangling.calc"), 0);
    EXPECT_EQ(Read(real) + Read(folder_ + "neu/ziel.calc"), "einszwei");
    for (const char* link : {"link.calc", "chain.calc", "dangling.calc"})
        EXPECT_TRUE(std::filesystem::is_symlink(folder_ + link)) << link;
    LogCapture log;
    EXPECT_EQ(setstringtofile("drei", folder_ + "a"), ELOOP);
    EXPECT_EQ(log.Lines(), (Lines{Error("setstringtofile", ELOOP, folder_ + "a")}));
    EXPECT_TRUE(SameFile(folder_ + "chain.calc", real));
    EXPECT_FALSE(SameFile(real, folder_ + "neu/ziel.calc"));
    EXPECT_FALSE(SameFile(real, folder_ + "fehlt"));
}

// When the folder takes no new file but the file may be written, it is
// written in place, its old content kept in the state folder until the
// write is done and put back when it fails.
TEST_F(FilesTest, AFolderClosedToNewFilesIsWrittenInPlace) {
    setenv("XDG_STATE_HOME", (folder_ + "state").c_str(), 1);
    const std::string path = Write("Budget.calc", "alt und lang");
    const auto copies = [&] {
        std::error_code missing;
        const auto entries = std::filesystem::directory_iterator(folder_ + "state/Tabrona", missing);
        return std::distance(begin(entries), end(entries));
    };
    InjectWriteFault(WriteStep::CreateTemporary, EACCES, 1);
    LogCapture log;
    EXPECT_EQ(setstringtofile("neu", path), 0);
    EXPECT_EQ(Read(path), "neu");
    EXPECT_EQ(log.Lines(), (Lines{"setstringtofile: Folder takes no new file, written in place: " + path}));
    EXPECT_EQ(copies(), 0);
    InjectWriteFault(WriteStep::CreateTemporary, EACCES, 1);
    InjectWriteFault(WriteStep::InPlace, ENOSPC, 1);
    EXPECT_EQ(setstringtofile("verloren", path), ENOSPC);
    EXPECT_EQ(Read(path), "neu");
    EXPECT_EQ(copies(), 0);
    // No safety copy, no writing in place; and a locked file never.
    InjectWriteFault(WriteStep::CreateTemporary, EACCES, 2);
    EXPECT_EQ(setstringtofile("verloren", path), EACCES);
    lockfile(path, true);
    InjectWriteFault(WriteStep::CreateTemporary, EACCES, 1);
    EXPECT_EQ(setstringtofile("verloren", path), EACCES);
    EXPECT_EQ(Read(path), "neu");
    unsetenv("XDG_STATE_HOME");
}

// A new file gets the mode asked for less the umask; the umask itself is
// never switched, not even for a moment, while other threads create files.
TEST_F(FilesTest, NewFilesTakeTheUmaskWhichSavingNeverSwitches) {
    const mode_t before = umask(027);
    const auto mode = [&](const std::string& name) {
        struct stat info {};
        stat((folder_ + name).c_str(), &info);
        return info.st_mode & 0777;
    };
    EXPECT_EQ(setstringtofile("x", folder_ + "neu"), 0);
    EXPECT_EQ(setstringtofile("x", folder_ + "privat", 0600), 0);
    EXPECT_EQ(mode("neu"), 0640u);
    EXPECT_EQ(mode("privat"), 0600u);
    std::atomic<bool> done{false};
    std::thread saver([&] {
        for (int i = 0; i < 300; ++i) setstringtofile("x", folder_ + "n" + std::to_string(i));
        done = true;
    });
    int switched = 0;
    while (!done) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("Umask:", 0) == 0 && line.find("0027") == std::string::npos) ++switched;
    }
    saver.join();
    umask(before);
    EXPECT_EQ(switched, 0);
}

// Renaming, deleting, kinds and the parts of a path.
TEST_F(FilesTest, FileOperationsReportWhatTheyDid) {
    const std::string budget = Write("Budget", "b");
    Write("Andere", "a");
    std::filesystem::create_directory(folder_ + "Ordner");
    EXPECT_EQ(renamefile(budget, "Andere"), -2);
    EXPECT_EQ(renamefile(folder_ + "fehlt", "x"), -1);
    EXPECT_EQ(renamefile(folder_ + "Ordner", "x"), -1);
    EXPECT_EQ(renamefile(budget, "Etat"), 0);
    EXPECT_EQ(renamefile(folder_ + "Etat", "budget"), 0);  // nothing has that name
    EXPECT_EQ(Names(), (std::vector<std::string>{"Andere", "Ordner", "budget"}));
    EXPECT_EQ(deletefile(folder_ + "Ordner"), -1);
    EXPECT_EQ(deletefile(folder_ + "fehlt"), -1);
    // A locked file, and names that would move the file elsewhere, are refused.
    const std::string locked = folder_ + "budget";
    lockfile(locked, true);
    LogCapture refused;
    EXPECT_EQ(deletefile(locked), 0);
    EXPECT_EQ(renamefile(locked, "gesperrt"), -1);
    EXPECT_EQ(refused.Lines(), (Lines{Error("deletefile", EPERM, locked), Error("renamefile", EPERM, locked)}));
    lockfile(locked, false);
    for (const char* name : {"../budget", "Ordner/budget", "", ".", ".."})
        EXPECT_EQ(renamefile(folder_ + "budget", name), -1) << name;
    EXPECT_EQ(Names(), (std::vector<std::string>{"Andere", "Ordner", "budget"}));
    EXPECT_EQ(deletefile(folder_ + "budget"), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Andere", "Ordner"}));
    EXPECT_EQ(
        std::vector<int>({filekind(""), filekind(folder_ + "fehlt"), filekind(folder_ + "Andere"), filekind(folder_)}),
        std::vector<int>({-1, 0, 1, 2}));
    EXPECT_EQ(createdirectory(folder_ + "a/b/c/"), 0);
    EXPECT_EQ(filekind(folder_ + "a/b/c"), 2);
    LogCapture log;
    EXPECT_EQ(createdirectory(folder_ + "Andere/x"), -1);
    EXPECT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(
        folderofpath("/a/b.calc") + "|" + nameofpath("/a/b.calc") + "|" + folderofpath("b") + "|" + nameofpath("b"),
        "/a/|b.calc||b");
}

TEST(PositionTest, FindsThePatternFromTheStartOn) {
    const Text text = Text::FromBytes("abcb");
    const Text b = Text::FromBytes("b");
    LogCapture log;
    EXPECT_EQ(std::vector<Int>({position(text, b, 1), position(text, b, 3), position(text, b, 5), position(text, {}, 1),
                                position(text, Text::FromBytes("cb"), 1), position(text, Text::FromBytes("bcbx"), 2),
                                position(text, b, 0)}),
              std::vector<Int>({2, 4, 0, 0, 3, 0, 0}));
    EXPECT_EQ(log.Lines(), (Lines{"position: Startposition must be >= 1 (b)"}));
}

}  // namespace
