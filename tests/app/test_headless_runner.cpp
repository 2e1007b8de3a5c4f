// The whole program driven by key scripts: each case types its keys into a
// fresh run and compares window 0 with a committed screen.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Case {
    const char* name;
    const char* keys;
    int lines;
};

// Keys after the first one, which leaves the title screen.
const Case Cases[] = {
    {"title", "", 50},
    {"empty_sheet", "x", 50},
    {"empty_sheet_80", "x", 80},
    {"title_80", "", 80},
    // Movements and their edges.
    {"up_on_row_1", "x^U^U^K", 50},
    {"right_at_last_column", "x^F^U", 50},
    {"right_at_last_cell", "x^E^U", 50},
    {"down_on_last_row", "x^E^A^J", 50},
    {"page_down_on_last_row", "x^E^A^C", 50},
    {"end_of_sheet", "x^E", 50},
    {"start_of_sheet", "x^E^B", 50},
    {"page_right", "x^D^D", 50},
    {"page_left", "x^D^D^D^S", 50},
    {"scroll_up", "x^J^J^J^Y^Y^W", 50},
    {"scroll_down", "x^Y^Y^Y", 50},
    // Esc cycles the help modes 2, 1, 0 and back to 9.
    {"help_mode_2", "x{Esc}", 50},
    {"help_mode_1", "x{Esc}{Esc}", 50},
    {"help_mode_0", "x{Esc}{Esc}{Esc}", 50},
    {"help_mode_9", "x{Esc}{Esc}{Esc}{Esc}", 50},
    // The five menus, and the way back.
    {"menu_file", "x^Q", 50},
    {"menu_selection", "x^O", 50},
    {"menu_search", "x^Z", 50},
    {"menu_print", "x^P", 50},
    {"menu_macro", "x^Ö", 50},
    {"menu_macro_left", "x^Ö{Esc}", 50},
    {"menu_file_80_left", "x^Q{Esc}", 80},
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the program with the keys and returns its screen; "" on failure.
std::string RunScreen(const Case& c, const fs::path& dir) {
    const fs::path keys = dir / (std::string(c.name) + ".keys");
    const fs::path screen = dir / (std::string(c.name) + ".txt");
    std::ofstream(keys) << c.keys;
    const std::string command = std::string("'") + TABRONA_EXE + "' --headless --lines " + std::to_string(c.lines) +
                                " --keys '" + keys.string() + "' --screen '" + screen.string() + "' --log '" +
                                (dir / (std::string(c.name) + ".log")).string() + "'";
    if (std::system(command.c_str()) != 0) return {};
    return ReadAll(screen);
}

class ScreenCase : public ::testing::TestWithParam<Case> {};

TEST_P(ScreenCase, MatchesTheCommittedScreen) {
    const Case& c = GetParam();
    const fs::path dir = fs::temp_directory_path() / ("tabrona-screens-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string screen = RunScreen(c, dir);
    ASSERT_FALSE(screen.empty()) << "the run failed; see " << (dir / c.name).string() << ".log";
    const fs::path expected = fs::path(TABRONA_SCREENS) / (std::string(c.name) + ".txt");
    // TABRONA_UPDATE_SCREENS=1 writes new expected screens, to be checked by eye before committing.
    if (std::getenv("TABRONA_UPDATE_SCREENS")) std::ofstream(expected, std::ios::binary) << screen;
    EXPECT_EQ(screen, ReadAll(expected)) << "screen of " << c.name << " differs";
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Runner, ScreenCase, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Runner, BadScriptsAndOptionsAreRefused) {
    const fs::path dir = fs::temp_directory_path() / ("tabrona-bad-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "bad.keys") << "{Nonsense}";
    const std::string exe = std::string("'") + TABRONA_EXE + "'";
    EXPECT_NE(std::system((exe + " --headless --keys '" + (dir / "bad.keys").string() + "' 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((exe + " --headless --lines 60 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((exe + " --headless --keys /nonexistent/keys 2>/dev/null").c_str()), 0);
    fs::remove_all(dir);
}

}  // namespace
