// The real program in a terminal: tmux runs `tabrona --terminal`, types
// keys, pastes, clicks and resizes, and shows what the terminal holds.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "process_support.h"

namespace {

namespace fs = std::filesystem;

std::string Shell(const std::string& command) { return RunCommand(command).second; }

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Lines without their trailing blanks.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line.erase(line.find_last_not_of(' ') + 1));
    return lines;
}

class TerminalRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("tabrona-terminal-" + std::string(test->name()) + "-" + std::to_string(getpid()));
        fs::create_directories(dir_ / "config" / "Tabrona");
        if (Shell("command -v tmux").empty()) GTEST_SKIP() << "tmux is not installed";
    }
    void TearDown() override {
        if (!tmux_.empty()) Shell(tmux_ + "kill-server");
        fs::remove_all(dir_);
    }

    // The environment of each run: folders of this test alone.
    std::string Environment() const {
        return "env HOME=" + Quoted(dir_.string()) + " XDG_CONFIG_HOME=" + Quoted((dir_ / "config").string()) +
               " XDG_STATE_HOME=" + Quoted((dir_ / "state").string()) + " ";
    }

    // Each run has a server of its own: one that was just told to end may
    // still hold its socket.
    void Start(int columns, int rows, const std::string& shellCommand) {
        if (!tmux_.empty()) Shell(tmux_ + "kill-server");
        static int runs = 0;
        tmux_ = "tmux -L " + Quoted("tabrona-" + std::to_string(getpid()) + "-" + std::to_string(++runs)) + " -f /dev/null ";
        Shell(tmux_ + "new-session -d -s t -x " + std::to_string(columns) + " -y " + std::to_string(rows) + " -c " +
            Quoted(dir_.string()) + " " + Quoted(shellCommand + "; sleep 60"));
    }
    void StartProgram(int columns, int rows, const std::string& arguments = "") {
        Start(columns, rows, Environment() + "TERM=screen " + Quoted(TABRONA_EXE) + " --terminal " + arguments);
    }

    void Keys(const std::string& keys) { Shell(tmux_ + "send-keys -t t " + keys); }
    void Typed(const std::string& text) { Shell(tmux_ + "send-keys -t t -l " + Quoted(text)); }
    std::string Capture() { return Shell(tmux_ + "capture-pane -p -t t"); }

    // Waits until the terminal shows what done() looks for.
    bool WaitFor(const std::function<bool(const std::string&)>& done, int milliseconds = 10'000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < until) {
            if (done(Capture())) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    bool WaitForText(const std::string& text) {
        return WaitFor([&](const std::string& screen) { return screen.find(text) != std::string::npos; });
    }

    // What the headless runner shows for the same keys.
    std::vector<std::string> ScreenOf(const std::string& keys) {
        std::ofstream(dir_ / "k.keys", std::ios::binary) << keys;
        Shell(Environment() + Quoted(TABRONA_EXE) + " --headless --keys " + Quoted((dir_ / "k.keys").string()) +
            " --screen " + Quoted((dir_ / "s.txt").string()));
        return Lines(ReadAll(dir_ / "s.txt"));
    }

    fs::path dir_;
    std::string tmux_;
};

// A terminal of the screen's size shows the screen as the runner's --screen
// writes it, cell for cell; a smaller one a window into it, the status line
// first and the size it needs last.
TEST_F(TerminalRunTest, TheTerminalShowsTheScreenWholeOrAroundTheCursor) {
    const std::vector<std::string> title = ScreenOf("");
    const std::string moves = "x^_^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^U^U^U^U^U^U^U^U^U^U";
    const std::vector<std::string> main = ScreenOf(moves);
    StartProgram(121, 50);
    EXPECT_TRUE(WaitFor([&](const std::string& screen) { return Lines(screen) == title; })) << Capture();
    Keys("x C-_");
    for (int i = 0; i < 30; ++i) Keys("Down");
    for (int i = 0; i < 10; ++i) Keys("Right");
    EXPECT_TRUE(WaitFor([&](const std::string& screen) { return Lines(screen) == main; })) << Capture();

    Shell(tmux_ + "resize-window -t t -x 80 -y 24");
    std::vector<std::string> shown;
    ASSERT_TRUE(WaitFor([&](const std::string& screen) {
        shown = Lines(screen);
        return shown.size() >= 24 && shown[23].find("121 x 50") != std::string::npos;
    })) << Capture();
    EXPECT_EQ(shown[0], main[0].substr(0, 80));
    // Rows 1-22 are one rectangle of the screen that holds the cursor's cell.
    bool found = false;
    for (std::size_t top = 1; top + 22 <= main.size() && !found; ++top) {
        for (std::size_t left = 0; left + 80 <= 121 && !found; ++left) {
            found = true;
            for (std::size_t row = 1; row <= 22 && found; ++row) {
                std::string part = (main[top + row - 1] + std::string(121, ' ')).substr(left, 80);
                part.erase(part.find_last_not_of(' ') + 1);
                found = part == shown[row];
            }
        }
    }
    EXPECT_TRUE(found) << Capture();
    EXPECT_NE(Capture().find("Z31S11"), std::string::npos);

    Shell(tmux_ + "resize-window -t t -x 121 -y 50");
    EXPECT_TRUE(WaitFor([&](const std::string& screen) { return Lines(screen) == main; })) << Capture();
}

// Keys as a terminal sends them: Alt plays a macro, arrows move, a pasted
// text goes into the pasteboard for ^V, a click picks a file in the
// selector, control keys open menus.
TEST_F(TerminalRunTest, MacrosArrowsPasteAndClicksReachTheProgram) {
    std::ofstream(dir_ / "config" / "Tabrona" / "Macro.txt", std::ios::binary) << "Macro 088 = 4772FCDF65\r";
    std::ofstream(dir_ / "a.calc", std::ios::binary) << "Z1S1:000000000000F002>Anfang\r";
    std::ofstream(dir_ / "b.calc", std::ios::binary) << "Z1S1:000000000000F002>Bertha\r";
    StartProgram(121, 50, Quoted((dir_ / "a.calc").string()));
    ASSERT_TRUE(WaitForText("Anfang")) << Capture();
    // The macro's keys come after those typed before it is played.
    Keys("Down M-x");
    ASSERT_TRUE(WaitForText("Grüße")) << Capture();
    Keys("Enter");
    ASSERT_TRUE(WaitForText("  2|Grüße")) << Capture();
    Shell(tmux_ + "set-buffer " + Quoted("eins\tzwei") + " && " + tmux_ + "paste-buffer -p -t t");
    ASSERT_TRUE(WaitForText("^V setzt es ein")) << Capture();
    Keys("Down C-v");
    ASSERT_TRUE(WaitForText("  3|eins     zwei")) << Capture();

    // Modified: the program asks first; Nein goes on to the selector.
    Keys("C-q o");
    ASSERT_TRUE(WaitForText("speichern")) << Capture();
    Keys("n");
    ASSERT_TRUE(WaitForText("b.calc")) << Capture();
    const std::vector<std::string> lines = Lines(Capture());
    for (std::size_t row = 0; row < lines.size(); ++row) {
        const std::size_t column = lines[row].find("b.calc");
        if (column == std::string::npos) continue;
        Typed("\x1b[<0;" + std::to_string(column + 2) + ";" + std::to_string(row + 1) + "M");
        break;
    }
    Keys("Enter");
    // Opening asks again, as the file menu's open does.
    ASSERT_TRUE(WaitForText("Calculation öffnen")) << Capture();
    Keys("n");
    EXPECT_TRUE(WaitForText("  1|Bertha")) << Capture();
}

// However the run ends, the terminal's modes are as they were before: after
// the program's quit, and after SIGTERM (status 143).
TEST_F(TerminalRunTest, TheTerminalIsPutBackAfterQuitAndAfterSigterm) {
    const std::string program = Environment() + "TERM=screen " + Quoted(TABRONA_EXE) + " --terminal";
    for (const bool signal : {false, true}) {
        fs::remove(dir_ / "after");
        Start(121, 50, "stty -g > before; sh -c " + Quoted("echo $$ > pid; exec " + program) +
                           "; echo $? > status; stty -g > after; echo FERTIG");
        ASSERT_TRUE(WaitForText("Bitte irgendeine Taste")) << Capture();
        if (signal) {
            ::kill(std::stoi(ReadAll(dir_ / "pid")), SIGTERM);
        } else {
            Keys("x C-q q");
        }
        ASSERT_TRUE(WaitForText("FERTIG")) << Capture();
        EXPECT_EQ(ReadAll(dir_ / "after"), ReadAll(dir_ / "before"));
        EXPECT_EQ(ReadAll(dir_ / "status"), signal ? "143\n" : "0\n");
        // The shell's screen again, not the program's.
        EXPECT_EQ(Capture().find("Tabrona"), std::string::npos);
    }
}

}  // namespace
