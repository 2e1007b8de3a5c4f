// The whole program where files meet the user: nothing the user had is lost
// or overwritten by mistake, whatever a file holds or wherever it lies, and
// every failure is told.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/runner_fixture.h"

namespace {

constexpr const char* OldCell = "Z1S1:000000000000F002>Alt\r";

class FileSafetyTest : public RunnerTest {
protected:
    // The keys run as another user than root, who may write anywhere: as
    // nobody when the tests run as root. Every file of the run lies in a
    // folder of that user, `home`.
    std::string ScreenAsUser(const std::string& keys, const std::string& file) {
        const bool root = ::geteuid() == 0;
        const passwd* nobody = ::getpwnam("nobody");
        if (root && nobody) ::chown(home().c_str(), nobody->pw_uid, nobody->pw_gid);
        std::ofstream(home() / "k.keys") << keys;
        const std::string env = "env XDG_CONFIG_HOME='" + home().string() + "' XDG_STATE_HOME='" +
                                (home() / "state").string() + "' ";
        const std::string as = root && nobody ? "runuser -u nobody -- " : "";
        const auto [status, output] =
            RunCommand(env + as + exe + " --keys '" + (home() / "k.keys").string() + "' --screen '" +
                       (home() / "screen.txt").string() + "' --log '" + (home() / "log").string() + "' '" + file + "'");
        EXPECT_EQ(status, 0) << output;
        return ReadAll(home() / "screen.txt");
    }
    fs::path home() const { return dir / "home"; }
    void MakeHome() {
        fs::create_directories(home());
        fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
    }
};

// A file that cannot be read, or is no Calculation, is refused with the
// reason; the sheet, its name and its unsaved work stay, so the next save
// goes where it went before and the refused file is untouched. The same for
// a datafile that cannot be imported, and for a file named at the start.
TEST_F(FileSafetyTest, AFileThatCannotBeOpenedChangesNothing) {
    const std::string calc = File("a.calc", OldCell);
    const std::string notes = "Einkaufsliste\nMilch\n";
    File("notes.txt", notes);
    File("big.calc", "");
    fs::resize_file(dir / "big.calc", 70 << 20);  // sparse: over the reader's bound
    fs::create_directory(dir / "ordner.calc");
    ::mkfifo((dir / "pipe.calc").c_str(), 0600);
    File("bad.datb", "kein Datensatz\r");
    const std::pair<std::string, std::string> cases[] = {
        {"{Open " + (dir / "notes.txt").string() + "}n", "Keine Calculation-Datei"},
        {"{Open " + (dir / "big.calc").string() + "}n", "Die Datei ist zu groß"},
        {"{Open " + (dir / "ordner.calc").string() + "}n", "Ist ein Ordner"},
        {"{Open " + (dir / "pipe.calc").string() + "}n", "Keine gewöhnliche Datei"},
        {"^Qjnb{Return}", "Fehler in der Datei (siehe Konsole)"},
    };
    int value = 1;
    for (const auto& [open, reason] : cases) {
        SCOPED_TRACE(open);
        const std::string message = (dir / "message.txt").string();
        const std::string keys = std::to_string(++value) + "{Return}" + open + "{Screen " + message + "}x^Qs";
        Screen(keys, calc);
        EXPECT_NE(ReadAll(message).find(reason), std::string::npos) << ReadAll(message);
        EXPECT_NE(ReadAll(message).find("« wurde nicht "), std::string::npos) << ReadAll(message);
        // Still named a.calc and modified: ^Q S saved it there.
        EXPECT_EQ(ReadAll(dir / "a.calc"), "Z1S1:000000000000F002>" + std::to_string(value) + "\r");
    }
    // Named at the start: the new Calculation asks for a name when saved.
    const std::string screen = Screen("x1{Return}^Qs", "'" + (dir / "notes.txt").string() + "'");
    EXPECT_NE(screen.find("Sichern unter:"), std::string::npos) << screen;
    EXPECT_EQ(ReadAll(dir / "notes.txt"), notes);
    EXPECT_EQ(fs::file_size(dir / "big.calc"), 70u << 20);
    // A missing file is a new Calculation of that name; the catalog of its
    // missing folder shows nothing and says why on the console.
    Screen("^Qc", "/nonexistent/fehlt.calc");
    EXPECT_NE(ReadAll(dir / "log").find("f_CatLoad: Path '/nonexistent/' does not exist."), std::string::npos);
    // A file the user may not read, seen by a user other than root.
    MakeHome();
    std::ofstream(home() / "geheim.calc") << OldCell;
    fs::permissions(home() / "geheim.calc", fs::perms::none);
    EXPECT_NE(ScreenAsUser("", (home() / "geheim.calc").string()).find("Keine Berechtigung"), std::string::npos);
}

// A line end inside a quoted cell becomes a blank as the cell is entered:
// it can neither end the cell's line in the file nor make a cell of its own.
// And the batch mode never writes its output over its input.
TEST_F(FileSafetyTest, CellsStayOneLineAndBatchOutputNeverReplacesItsInput) {
    const std::string bin = std::string("'") + TABRONA_EXE + "'";
    const std::string in = File("in.txt", "\"a\rZ3S3:000000000000F001>injected\"\tb\r\n\"zwei\r\nZeilen\"\r\n");
    const std::string calc = "'" + (dir / "out.calc").string() + "'";
    ASSERT_EQ(RunCommand(bin + " --import " + in + " " + calc).first, 0);
    const auto [status, exported] = RunCommand(bin + " --export " + calc + " -");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(exported, "a Z3S3:000000000000F001>injected\tb\nzwei Zeilen\n");
    // Typed keys and pastes reach cells the same way: saved and opened again,
    // the cell is whole.
    Screen("^Qs", calc);
    EXPECT_NE(Screen("", calc).find("  2|zwei Zeilen"), std::string::npos);
    fs::create_symlink("out.calc", dir / "link.calc");
    const std::string before = ReadAll(dir / "out.calc");
    for (const std::string& out : {calc, "'" + (dir / "link.calc").string() + "'"}) {
        const auto [refused, message] = RunCommand(bin + " --export " + calc + " " + out);
        EXPECT_EQ(refused, 1);
        EXPECT_NE(message.find("is the same file as"), std::string::npos) << message;
        EXPECT_EQ(RunCommand(bin + " --import " + out + " " + calc).first, 1);
    }
    EXPECT_EQ(ReadAll(dir / "out.calc"), before);
}

// A FIFO is refused at once by every reader, never waited on.
TEST_F(FileSafetyTest, AFifoIsRefusedAtOnce) {
    const fs::path fifo = dir / "f.calc";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string bin = std::string("timeout 20 '") + TABRONA_EXE + "'";
    for (const char* mode : {"--export", "--import"}) {
        const auto [status, message] =
            RunCommand(bin + " " + mode + " '" + fifo.string() + "' '" + (dir / "out").string() + "'");
        EXPECT_EQ(status, 1) << mode;
        EXPECT_NE(message.find("is not a regular file"), std::string::npos) << message;
    }
    EXPECT_NE(Screen("", "'" + fifo.string() + "'").find("Keine gewöhnliche Datei"), std::string::npos);
}

// Saves go through symbolic links to the file they point to, and the link
// stays: a Calculation, the batch mode's output, the macro file.
TEST_F(FileSafetyTest, SavesKeepSymbolicLinks) {
    File("real.calc", OldCell);
    fs::create_symlink("real.calc", dir / "link.calc");
    Screen("Neu{Return}^Qs", "'" + (dir / "link.calc").string() + "'");
    EXPECT_EQ(ReadAll(dir / "real.calc"), "Z1S1:000000000000F002>Neu\r");
    fs::create_symlink("out-real.txt", dir / "out.txt");
    EXPECT_EQ(RunCommand(std::string("'") + TABRONA_EXE + "' --export '" + (dir / "real.calc").string() + "' '" +
                         (dir / "out.txt").string() + "'")
                  .first,
              0);
    EXPECT_EQ(ReadAll(dir / "out-real.txt"), "Neu\n");
    // A macro file kept elsewhere by a dotfiles manager.
    fs::create_directories(dir / "dotfiles");
    fs::create_directories(dir / "Tabrona");
    std::ofstream(dir / "dotfiles" / "Macro.txt") << "Macro 065 = 48616C6C6F\r";
    fs::create_symlink("../dotfiles/Macro.txt", dir / "Tabrona" / "Macro.txt");
    Screen("x^Qq", "");
    for (const char* link : {"link.calc", "out.txt", "Tabrona/Macro.txt"}) EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    EXPECT_NE(ReadAll(dir / "dotfiles" / "Macro.txt").find("\rMacro 065 = 48616C6C6F\r"), std::string::npos);
}

// A file the user may write, in a folder that takes no new file: the save
// writes it in place, says so on the console, and leaves no copy behind.
TEST_F(FileSafetyTest, AWritableFileInAClosedFolderIsSaved) {
    MakeHome();
    fs::create_directories(home() / "zu");
    std::ofstream(home() / "zu" / "r.calc") << OldCell;
    ASSERT_TRUE(::geteuid() != 0 || RunCommand("chown -R nobody '" + (home() / "zu").string() + "'").first == 0);
    fs::permissions(home() / "zu", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string screen = ScreenAsUser("5{Return}^Qs^Qq", (home() / "zu" / "r.calc").string());
    fs::permissions(home() / "zu", fs::perms::owner_all);
    EXPECT_NE(screen.find("(Programm Ende)"), std::string::npos) << screen;  // saved: quitting asked nothing
    EXPECT_EQ(ReadAll(home() / "zu" / "r.calc"), "Z1S1:000000000000F002>5\r");
    EXPECT_NE(ReadAll(home() / "log").find("written in place: " + (home() / "zu" / "r.calc").string()),
              std::string::npos);
    EXPECT_TRUE(fs::is_empty(home() / "state" / "Tabrona"));
}

// Macro files with line feeds are read; one with lines the program does
// not understand is left as it is at the end, unless macros changed.
TEST_F(FileSafetyTest, MacroFilesOfOtherLineEndsAreReadAndKept) {
    fs::create_directories(dir / "Tabrona");
    const fs::path macros = dir / "Tabrona" / "Macro.txt";
    std::ofstream(macros) << "Macro 065 = 48616C6C6F\nMacro 066 = 57656C74\r\n";
    const std::string typed = (dir / "typed.txt").string();
    Screen("x{Cmd-a}{Return}^J{Cmd-B}{Return}{Screen " + typed + "}^Qqn", "");
    EXPECT_NE(ReadAll(typed).find("  1|Hallo"), std::string::npos);
    EXPECT_NE(ReadAll(typed).find("  2|Welt"), std::string::npos);
    EXPECT_NE(ReadAll(macros).find("\rMacro 065 = 48616C6C6F\rMacro 066 = 57656C74\r"), std::string::npos);
    const std::string foreign = "# meine Macros\nMacro 065 = 48616C6C6F\n";
    std::ofstream(macros) << foreign;
    Screen("x{Cmd-a}{Return}{Screen " + typed + "}^Qqn", "");
    EXPECT_NE(ReadAll(typed).find("  1|Hallo"), std::string::npos);
    EXPECT_EQ(ReadAll(macros), foreign);
    Screen("x^Ö^X{Esc}^Qq", "");  // every macro emptied: a change, so saved
    EXPECT_EQ(ReadAll(macros).find("48616C6C6F"), std::string::npos);
}

// A replacement is a change: quitting asks first. Search goes on in the
// rows below from their first column, and replace all reaches every match.
TEST_F(FileSafetyTest, ReplacingIsAChangeAndSearchReachesEveryLaterCell) {
    const std::string calc = File("a.calc", "Z1S2:000000000000F002>alt\rZ3S1:000000000000F002>x\rZ3S3:000000000000F002>x\r");
    EXPECT_NE(Screen("^Zfalt{Return}cneu{Return}^Bse{Esc}^Qq", calc).find("Aktuelle Calculation vorher speichern?"),
              std::string::npos);
    EXPECT_NE(Screen("^U^U^U^Zfx{Return}s", calc).find("Z3S1 "), std::string::npos);
    EXPECT_NE(Screen("^Zfx{Return}cy{Return}aj{Esc}^Qqj", calc).find("(Programm Ende)"), std::string::npos);
    EXPECT_EQ(ReadAll(dir / "a.calc"),
              "Z1S2:000000000000F002>alt\rZ3S1:000000000000F002>y\rZ3S3:000000000000F002>y\r");
}

// Rename proposes the picked name in compatibility-composed form.
TEST_F(FileSafetyTest, RenameProposesTheComposedName) {
    fs::create_directories(dir / "sub");
    const std::string calc = "'" + (dir / "sub" / "a.calc").string() + "'";
    std::ofstream(dir / "sub" / "a.calc") << OldCell;
    std::ofstream(dir / "sub" / "Gro\u0308sse-\uFB01.txt") << "x";
    EXPECT_NE(Screen("^Qdg{Return}", calc).find("Neuer Name:Grösse-fi.txt"), std::string::npos);
}

}  // namespace
