// The whole program driven by key scripts: each case types its keys into a
// fresh run and compares window 0 with a committed screen.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <chrono>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/runner_fixture.h"

namespace {

struct Case {
    const char* name;
    std::string keys;
    int lines;
};

std::string Times(int count, const std::string& keys) {
    std::string all;
    for (int i = 0; i < count; ++i) all += keys;
    return all;
}

// A household budget: amounts in column 2, their total in Z6S2 below them,
// shares in column 3 naming the total; then one amount changed.
const std::string BudgetKeys = [] {
    std::string keys = "xPosten{Return}^UBetrag{Return}^UAnteil{Return}^J^H^H";
    const std::pair<const char*, const char*> items[] = {{"Miete", "800"}, {"Essen", "350"}, {"Auto", "150"}};
    for (int row = 2; row <= 4; ++row) {
        const std::string r = std::to_string(row);
        keys += std::string(items[row - 2].first) + "{Return}^U" + items[row - 2].second + "{Return}^U=Round(Z" + r +
                "S2/Z6S2*100,1){Return}^J^H^H";
    }
    return keys + "^JSumme{Return}^U=Z2S2+Z3S2+Z4S2{Return}^K^K^K450{Return}";
}();

// Selectors show their folder: the file menu's cases use a fixed one,
// which ScreenFiles fills with files of fixed sizes and dates (in a folder
// of each run's own, shown under this name).
#define ScreenFolder "/tmp/tabrona-screen-files"
const std::string OpenUmsatz = "x{Open " ScreenFolder "/umsatz.calc}";

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
    // The 24th page down reaches the last page, which ends with row 999.
    {"page_down_into_last_page", "x" + Times(24, "^C"), 50},
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
    // Cell editing: numbers, texts and formulas typed into empty cells.
    {"typed_entries", "x12{Return}^U-5{Return}^U,5{Return}^U--{Return}^UAbc{Return}^U=1+2{Return}", 50},
    // A long text flows on through the empty cells to its right.
    {"text_overflows_four_cells", "x^U^UDer Text fliesst ueber vier Felder nach rechts{Return}^J^J", 50},
    {"kind_kept", "x12{Return}Abc{Return}^UAbc{Return}12{Return}", 50},
    // Return opens the editor with the formula; the screen is taken while it edits.
    {"editing_a_formula", "x=1+2{Return}{Return}", 50},
    {"formula_edited_again", "x=1+2{Return}{Return}*3{Return}", 50},
    {"escape_keeps_cell", "x12{Return}34{Esc}", 50},
    {"delete_clears_cell", "x12{Return}^UAbc{Return}^U=1+2{Return}^H{Backspace}", 50},
    {"formula_error", "x=1+2){Return}", 50},
    // Shifts in row 5 at column 3, seen on the demonstration data.
    {"insert_in_row", "x^_^J^J^J^J^U^U^I", 50},
    {"delete_in_row", "x^_^J^J^J^J^U^U^G", 50},
    {"insert_in_column", "x^_^J^J^J^J^U^U^T", 50},
    {"delete_in_column", "x^_^J^J^J^J^U^U^X", 50},
    {"demo_data_end", "x^_^E", 50},
    // A formula is computed after the cells it names: a chain against the
    // cell order settles at once; a cycle moves one step each time.
    {"chain_against_cell_order", "x=Z1S2+1{Return}^U=Z1S3*2{Return}^U5{Return}", 50},
    {"budget_shares", BudgetKeys, 50},
    {"cycle_recalculated", "x=Z1S2{Return}^U=Z1S1+1{Return}^^", 50},
    // Sheet display and editing, seen from outside.
    // Numbers typed are read up to the first character that cannot continue them and shown anew.
    {"number_entries", "x007,50{Return}^J1.5{Return}^J12abc{Return}^J1e20{Return}^J0,00001{Return}^J-0{Return}"
                       "^J123456789012345678{Return}^J1.250,5{Return}^J-,5e1{Return}", 50},
    {"formula_numbers", "x=1/3{Return}^J=2{^}60{Return}^J=0.1+0.2{Return}^J=1/0{Return}^J=10{^}400{Return}"
                        "^J=-1/4{Return}^J=2{^}-20{Return}", 50},
    {"text_edited_again", "xWort{Return}{Return}e{Return}", 50},
    // The source of a flowing text may lie left of the view: 13 columns right.
    {"overflow_from_left_of_view", "xEin Text, der weit nach rechts ueber die Spalten fliesst{Return}" + Times(13, "^U"), 50},
    // Menus outside help mode 9 show no help and no values.
    {"menu_in_help_mode_2", "x{Esc}^Q", 50},
    // Each help mode scrolls when the cursor leaves its last grid line: 48 and 50 rows down.
    {"help_mode_2_scrolls", "x^_{Esc}" + Times(48, "^J"), 50},
    {"help_mode_0_scrolls", "x^_{Esc}{Esc}{Esc}" + Times(50, "^J"), 50},
    // Back in help mode 9 the cursor row (46) stays above the last nine lines.
    {"help_mode_9_near_the_bottom", "x^_{Esc}{Esc}{Esc}" + Times(45, "^J") + "{Esc}", 50},
    // At the end of the sheet the last row stays on the last line.
    {"help_mode_9_at_the_end", "x^E{Esc}{Esc}{Esc}{Esc}", 50},
    // Without a status line there is no editor: typing changes nothing.
    {"typing_in_help_mode_0", "x{Esc}{Esc}{Esc}12{Return}{Esc}", 50},
    // Longer addresses close the gaps in the position field: Z12S34 and Z99S100.
    {"position_field_with_one_blank", "x^D^D^U^U^U^U^U^U^U^J^J^J^J^J^J^J^J^J^J^J", 50},
    {"position_field_without_blanks", "x^F^C^C^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J^J", 50},
    // Shifts at the ends of a row and a column.
    {"delete_in_row_at_first_column", "x^_^G", 50},
    {"insert_in_column_at_last_row", "x^_^E^T", 50},
    // A Calculation file: widths, texts with umlauts and the euro sign, a
    // number, a formula computed on loading, a coloured empty cell.
    {"open_file", "x{Open " TABRONA_CALCS "/umsatz.calc}", 50},
    // A modified Calculation asks first: Ja asks for a name to save under
    // (cancelled here, so the sheet stays), Nein opens the file, Esc keeps
    // the sheet as it was.
    {"open_asks_when_modified", "x12{Return}{Open " TABRONA_CALCS "/umsatz.calc}", 50},
    {"open_after_no", "x12{Return}{Open " TABRONA_CALCS "/umsatz.calc}n", 50},
    {"open_cancelled", "x12{Return}{Open " TABRONA_CALCS "/umsatz.calc}{Esc}", 50},
    {"open_kept_when_save_fails", "x12{Return}{Open " TABRONA_CALCS "/umsatz.calc}j{Esc}", 50},
    {"open_missing_file", "x12{Return}{Open /nonexistent/fehlt.calc}n", 50},
    // The file menu's dialogs, in a folder of fixed files (ScreenFiles).
    {"file_open_selector", OpenUmsatz + "^Qo", 50},
    {"file_save_selector", OpenUmsatz + "^Qu", 50},
    {"file_rename_prompt", OpenUmsatz + "^Qdu{Return}", 50},
    {"file_delete_selector", OpenUmsatz + "^Qx", 50},
    {"file_protect_selector", OpenUmsatz + "^Q+", 50},
    {"file_catalog", OpenUmsatz + "^Qc", 50},
    {"file_about", OpenUmsatz + "^QÜ", 50},
    {"file_column_width_20", OpenUmsatz + "^Qb^Z20{Return}", 50},
    {"file_format_keys", OpenUmsatz + "^Qaahz#*f", 50},
    {"file_new_question", OpenUmsatz + "5{Return}^Qn", 50},
    {"file_quit_question", OpenUmsatz + "5{Return}^Qq", 50},
    // Failures are told, and the sheet stays as it was.
    {"file_delete_refused", OpenUmsatz + "^Qxg{Return}", 50},
    {"file_save_refused", "x{Open " ScreenFolder "/gesperrt.calc}5{Return}^Qs", 50},
    {"file_save_missing_folder", OpenUmsatz + "^Qu^Zfehlt/x.calc{Return}", 50},
    {"file_open_selector_80", OpenUmsatz + "^Qo", 80},
    // ? shows the menu's help in the other help modes; Return leads back
    // to the main menu.
    {"file_help_key", OpenUmsatz + "{Esc}^Q?", 50},
    {"file_keys_lead_back", "x^Q{Return}", 50},
    {"file_export_selector", OpenUmsatz + "^Qe", 50},
    {"file_insert_selector", OpenUmsatz + "^Qi", 50},
    // The print menu: settings kept or refused, the range, the switches,
    // the function overview and the preview's first page.
    {"print_settings", "x^Pb^Z300{Return}z^Z0{Return}l^Z5{Return}t^Z3{Return}dfr", 50},
    {"print_range", "x^_^Pa^J^J^Ue", 50},
    {"print_choice_twice", "x^Pdd", 50},
    {"print_function_overview", "x^Pk", 50},
    {"print_help_key", "x{Esc}^P?", 50},
    {"print_preview_page", "x^_^Pp", 50},
    {"print_line_feed_needs_help_mode_9", "x{Esc}^Pf", 50},
    // A datafile's first table imported: names in row 1, a record a row.
    {"database_import_selector", OpenUmsatz + "^Qjo{Return}", 50},
    {"database_imported", OpenUmsatz + "^Qjo{Return}k{Return}", 50},
    // What did not fit is told: a datafile beyond the store, a text beyond row 999.
    {"database_import_full", OpenUmsatz + "^Qjo{Return}v{Return}", 50},
    {"insert_below_the_last_row", OpenUmsatz + "^Qio{Return}l{Return}", 50},
    // The macro menu: a macro edited, the list's end, the help.
    {"macro_edited", "x^Ö^E^K^K^K^K^K^K^K{Return}Hallo Welt{Return}", 50},
    {"macro_end", "x^Ö^E^J", 50},
    {"macro_start", "x^Ö^C^B", 50},
    {"macro_page_down", "x^Ö^C^J", 50},
    {"macro_help_key", "x{Esc}^Ö?", 50},
    // The selection menu over the demo data: start and end, all, none,
    // copy, cut, delete and paste, the formats, letter case, the whole sheet.
    {"selection_marked", "x^_^Oa^J^J^Ue", 50},
    {"selection_end_above_start", "x^_^J^J^Oa^K^K^Ue", 50},
    {"selection_all", "x^J^J^U5{Return}^J^J^U^UAbc{Return}^Ot", 50},
    {"selection_none", "x^_^Oa^Jeo", 50},
    {"selection_copied_and_pasted", "x^_^Oa^J^Uec^J^J^J^J^Ov", 50},
    {"selection_cut", "x^_^Oa^J^Uex^J^J^J^Ov", 50},
    {"selection_deleted", "x^_^Oa^J^Ueb", 50},
    {"selection_formats", "x1{Return}^J22{Return}^J333{Return}^J4444{Return}^J5{Return}^B^Oael^Jaez^Jaer^Jaew^Jaen", 50},
    {"selection_formats_cleared", "x1{Return}^J22{Return}^Oaer^B^Oa^Jed", 50},
    {"selection_letter_case", "xhello wORLD{Return}^Jstraße{Return}^JÄRGER 12{Return}^B^Oaem^Jaeg^Jaek", 50},
    {"selection_sheet_copied", "xA{Return}^J^UB{Return}^Os^J^J^J^J^Ov", 50},
    {"selection_pasteboard_emptied", "xA{Return}^Os^Ou^J^J^Ov", 50},
    {"selection_help_key", "x{Esc}^O?", 50},
    {"main_copy_and_paste", "xA{Return}^UB{Return}^L^J^J^V", 50},
    {"paste_below_the_last_row", "x1{Return}^J2{Return}^J3{Return}^B^Oa^J^Jec{Esc}^Zz^Z998{Return}{Esc}^V", 50},
    // The search menu: search, replace, the switches, markers and jumps.
    {"search_found", "x^_^Zfz5s5{Return}s", 50},
    {"search_not_found", "x^_^Zfnirgends{Return}s", 50},
    {"search_replaced", "x^_^Zfz5s5{Return}scÄnderung{Return}e", 50},
    {"search_replace_refused", "x^_^Ze", 50},
    {"search_replace_and_search", "x^_^Ztfs5{Return}cX{Return}sä", 50},
    {"search_replace_all", "x^_^Ztfs5{Return}cX{Return}aj", 50},
    {"search_switches", "x^_^Zgt", 50},
    {"search_marker", "x^_^J^J^U^Zm9^C^C9", 50},
    {"search_row_and_column", "x^Zz^Z500{Return}p^Z50{Return}", 50},
    {"search_page", "x^Z#^Z3{Return}", 50},
    {"search_umlauts", "xAnfang{Return}^UMÜLLER{Return}^J^Umüller{Return}^B^Zfmüller{Return}ss", 50},
    {"search_again_from_main_menu", "x^_^Ztfz5s{Return}{Esc}^N^N", 50},
    {"search_field_needs_help_mode_9", "x{Esc}^Zf", 50},
    // Undo and redo: a paste, a cell inserted by habit for Tab, replace all;
    // undone back to the start, quitting asks nothing.
    {"undo_paste", "x^_^Oa^J^Uec^J^J^J^J^Ov{Esc}{Undo}", 50},
    {"undo_paste_redone", "x^_^Oa^J^Uec^J^J^J^J^Ov{Esc}{Undo}{Redo}", 50},
    {"undo_insert_in_row", "x^_^J^J^J^J^U^U^I{Undo}", 50},
    {"undo_replace_all", "x^_^Ztfs5{Return}cX{Return}aj{Undo}", 50},
    {"undo_to_start_quits_without_asking", "x1{Return}^U2{Return}{Undo}{Undo}{Undo}^QQ", 50},
};

// The folder of the file cases, of this run alone and named as long as
// ScreenFolder, which the keys and the committed screens show instead: the
// selectors lay it out the same.
std::string RunFolder() {
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/tabrona-scrn-%07d", static_cast<int>(::getpid() % 10'000'000));
    return name;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The files the file cases show, with fixed sizes and dates.
void ScreenFiles(const fs::path& folder) {
    fs::create_directories(folder / "Ordner");
    // A table of five fields and a million records more than the store takes.
    std::string full = "T0000000001  Gross\r";
    for (const char* field : {"A", "B", "C", "D", "E"}) full += std::string("F0000000001I ") + field + "\r";
    for (int i = 0; i < 1'000'010; ++i) full += "R\r";
    const std::pair<const char*, std::string> files[] = {
        {"umsatz.calc", ReadAll(TABRONA_CALCS "/umsatz.calc")},
        {"gesperrt.calc", "Z1S1:000000000000F002>Gesperrt\r"},
        {"Ordner/kunden.datb", ReadAll(TABRONA_CALCS "/kunden.datb")},
        {"Ordner/voll.datb", full},
        {"Ordner/lang.txt", Times(1005, "x\r")}};
    for (const auto& [name, text] : files) std::ofstream(folder / name, std::ios::binary) << text;
    fs::permissions(folder / "gesperrt.calc", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // Noon UTC (15 January 2026): the same date in every time zone.
    const struct timespec noon[2] = {{1768478400, 0}, {1768478400, 0}};
    for (const char* name : {"umsatz.calc", "gesperrt.calc", "Ordner/kunden.datb", "Ordner/voll.datb", "Ordner/lang.txt",
                             "Ordner"})
        ::utimensat(AT_FDCWD, (folder / name).c_str(), noon, 0);
}

// Runs the program with the keys and returns its screen; "" on failure.
std::string RunScreen(const Case& c, const fs::path& dir) {
    const fs::path keys = dir / (std::string(c.name) + ".keys");
    const fs::path screen = dir / (std::string(c.name) + ".txt");
    const std::string folder = RunFolder();
    const bool files = c.keys.find(ScreenFolder) != std::string::npos;
    if (files) ScreenFiles(folder);
    std::ofstream(keys) << Replaced(c.keys, ScreenFolder, folder);
    const std::string command = std::string("'") + TABRONA_EXE + "' --headless --lines " + std::to_string(c.lines) +
                                " --keys '" + keys.string() + "' --screen '" + screen.string() + "' --log '" +
                                (dir / (std::string(c.name) + ".log")).string() + "'";
    const bool ran = std::system(command.c_str()) == 0;
    if (files) fs::remove_all(folder);
    return ran ? Replaced(ReadAll(screen), folder, ScreenFolder) : std::string();
}

// A failing case is named by its own name.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class ScreenCase : public ::testing::TestWithParam<Case> {};

TEST_P(ScreenCase, MatchesTheCommittedScreen) {
    const Case& c = GetParam();
    const fs::path dir = fs::temp_directory_path() / ("tabrona-screens-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);  // the macro file of this run alone
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

TEST_F(RunnerTest, BadArgumentsAndUnwritableOutputsGiveTheirExitStatus) {
    const std::pair<std::string, std::string> cases[] = {
        {"--keys '" + dir.string() + "'", "is a folder"},
        {"--keys /nonexistent/keys", "cannot be read"},
        {"--keys /dev/zero", "is longer than 16 MiB"},
        {"--keys " + File("bad.keys", "ab{Nonsense}"), "unknown {Nonsense}"},
        {"--keys " + File("raw.keys", "{\x01\xfe}"), "unknown {\\x01\\xFE}"},
        {"--keys " + File("click.keys", "{Click 99999999999999,3}"), "unknown {Click"},
        {"--keys " + File("wait.keys", "{Wait 999999999999}"), "unknown {Wait"},
        {"--log /nonexistent/folder/log", "cannot write the log file /nonexistent/folder/log"},
        {"--lines 50abc", "--lines takes 50 or 80, not 50abc"},
        {"--lines 60", "--lines takes 50 or 80"},
        {"--keys", "--keys needs a value"},
        {"--colour", "unknown argument --colour"},
    };
    for (const auto& [arguments, message] : cases) {
        const auto [status, output] = RunCommand(exe + " " + arguments);
        EXPECT_EQ(status, 2) << arguments;
        EXPECT_NE(output.find(message), std::string::npos) << arguments << " said: " << output;
        EXPECT_EQ(output.find("applicationDidFinishLaunching"), std::string::npos) << arguments;
    }
    // A screen that cannot be written is a failed run, not a refused one.
    for (const char* option : {"--screen", "--screenshot"}) {
        const auto [status, output] = RunCommand(exe + " " + option + " /nonexistent/folder/out");
        EXPECT_EQ(status, 1) << option;
        EXPECT_NE(output.find("/nonexistent/folder/out"), std::string::npos) << option << " said: " << output;
    }
}

// The window comes from the desktop module. Without a display the module
// still loads, binding everything it takes from the program, and says why it
// stops; a program without its module says that instead.
TEST_F(RunnerTest, DesktopModuleLoadsOrIsReportedMissing) {
    const std::string unset = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    auto [status, output] = RunCommand(unset + "'" + TABRONA_EXE + "'");
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("no display found"), std::string::npos) << output;
    // A display that does not answer is said in one line, not as Qt's abort.
    std::tie(status, output) = RunCommand("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:65000 '" +
                                          std::string(TABRONA_EXE) + "'");
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("tabrona: the display :65000 could not be opened"), std::string::npos) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;

    const fs::path exe(TABRONA_EXE);
    fs::create_directories(dir / "bin");
    fs::copy_file(exe, dir / "bin/tabrona");
    fs::create_directory_symlink(exe.parent_path() / "../share", dir / "share");
    std::tie(status, output) = RunCommand(unset + "'" + (dir / "bin/tabrona").string() + "'");
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("the desktop module could not be loaded"), std::string::npos) << output;
}

// A file named on the command line is opened as the program starts, and a
// screen taken right after {Open} shows the finished redraw: every run of
// the same script gives the same screens. Run often, since the faults this
// catches (a program drawing before its sheet exists, a screen taken while
// the program still draws) showed in one run out of twenty.
TEST_F(RunnerTest, OpeningFilesGivesTheSameScreensEveryTime) {
    const std::string calc = File("some.calc", ReadAll(TABRONA_CALCS "/umsatz.calc"));
    const std::string keys = File("open.keys", "{Return}{Esc}{Open " + (dir / "some.calc").string() + "}{Screen " +
                                                   (dir / "mid.txt").string() + "}^J^U{Click 121,80}{Click 1,1}");
    // Fewer under ThreadSanitizer, where each run takes seconds.
    const char* runs = std::getenv("TABRONA_OPEN_RUNS");
    const int count = runs ? std::atoi(runs) : 25;
    std::string first, firstMid;
    for (int run = 0; run < count; ++run) {
        SCOPED_TRACE(run);
        const std::string screen = (dir / "end.txt").string();
        const auto [status, output] = RunCommand(exe + " --keys " + keys + " --screen '" + screen + "' --log '" +
                                          (dir / "log").string() + "' " + calc);
        ASSERT_EQ(status, 0) << output << ReadAll(dir / "log");
        const std::string end = ReadAll(screen), mid = ReadAll(dir / "mid.txt");
        if (run == 0) {
            first = end;
            firstMid = mid;
            // The file was opened at the start: no title screen waited for
            // the Return, which went into the sheet.
            EXPECT_EQ(end.find("Bitte irgendeine Taste"), std::string::npos);
            EXPECT_NE(end.find("Z2S2"), std::string::npos) << end;
            // Both opens show the file's values, the formula's computed.
            for (const std::string* screen : {&end, &mid}) EXPECT_NE(screen->find("2501"), std::string::npos) << *screen;
        }
        EXPECT_EQ(end, first);
        EXPECT_EQ(mid, firstMid);
    }
    EXPECT_EQ(std::count(firstMid.begin(), firstMid.end(), '\n'), 50);
}

// The file menu through the real program: S saves under the file's name,
// U asks for a new one in the save selector, O picks a file in the open
// selector, N asks before emptying a modified sheet, Q asks and quits.
TEST_F(RunnerTest, FileMenuSavesOpensAndQuits) {
    const std::string calc = File("a.calc", "Z1S1:000000000000F002>Alt\r");
    File("b.calc", "Z1S1:000000000000F002>Bee\r");
    const auto run = [&](const std::string& keys) { return Screen(keys, calc); };
    // Typing replaces the cell; the cursor stays where it was.
    EXPECT_NE(run("Neu{Return}^U^Qs").find("Z1S2 "), std::string::npos);
    EXPECT_EQ(ReadAll(dir / "a.calc"), "Z1S1:000000000000F002>Neu\r");
    // Widths from 1 to 76 only: 0 and 77 leave the width as it was.
    run("^Qb^Z1{Return}^Qb^Z0{Return}^U^Qb^Z77{Return}^Qs");
    EXPECT_EQ(ReadAll(dir / "a.calc"), "S1:1\rZ1S1:000000000000F002>Neu\r");
    run("^J7{Return}^Qu^Zc.calc{Return}");  // ^Z empties the proposed name
    EXPECT_EQ(ReadAll(dir / "c.calc"), "S1:1\rZ1S1:000000000000F002>Neu\rZ2S1:000000000000F003>7\r");
    run("^Qu^Zhaushalt{Return}");  // a name without an extension is a Calculation's
    EXPECT_EQ(ReadAll(dir / "haushalt.calc"), "S1:1\rZ1S1:000000000000F002>Neu\r");
    EXPECT_NE(run("^Qob{Return}").find("Bee"), std::string::npos);  // the letter b, then Return
    EXPECT_EQ(run("^J7{Return}^Qnn").find("  1|Neu"), std::string::npos);  // Nein: emptied
    EXPECT_NE(run("^Qq").find("(Programm Ende)"), std::string::npos);
    const std::string kept = run("7{Return}^Qq{Esc}");  // Abbrechen: the program goes on
    EXPECT_EQ(kept.find("(Programm Ende)"), std::string::npos);
    EXPECT_NE(kept.find("  1|7"), std::string::npos) << kept;
    // Ja saves first, then empties the sheet or quits.
    EXPECT_EQ(run("8{Return}^Qnj").find("  1|8"), std::string::npos);
    EXPECT_EQ(ReadAll(dir / "a.calc"), "S1:1\rZ1S1:000000000000F002>8\r");
    EXPECT_NE(run("9{Return}^Qqj").find("(Programm Ende)"), std::string::npos);
    EXPECT_EQ(ReadAll(dir / "a.calc"), "S1:1\rZ1S1:000000000000F002>9\r");
}

// Protect, delete and rename act on the file picked and on nothing else,
// refuse a locked file, a taken name and a path, and say so.
TEST_F(RunnerTest, FileMenuProtectsDeletesAndRenamesOnlyThePickedFile) {
    const std::string calc = File("a.calc", "Z1S1:000000000000F002>Alt\r");
    File("b.calc", "b");
    const auto run = [&](const std::string& keys) { return Screen(keys, calc); };
    const auto names = [&] { return RunCommand("cd '" + dir.string() + "' && echo *.calc").second; };
    run("^Q+b{Return}");
    EXPECT_EQ(fs::status(dir / "b.calc").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_NE(run("^Qxb{Return}").find("Die Datei ist geschützt:"), std::string::npos);
    EXPECT_NE(run("^Qdb{Return}^Zneu.calc{Return}").find("Die Datei ist geschützt:"), std::string::npos);
    EXPECT_EQ(names(), "a.calc b.calc\n");
    run("^Q-b{Return}");
    run("^Qdb{Return}^Zneu.calc{Return}");
    EXPECT_EQ(names(), "a.calc neu.calc\n");
    EXPECT_NE(run("^Qdn{Return}^Za.calc{Return}").find("Eine Datei dieses Namens gibt es schon:"), std::string::npos);
    EXPECT_NE(run("^Qdn{Return}^Z../neu.calc{Return}").find("nicht umbenannt"), std::string::npos);
    EXPECT_EQ(names(), "a.calc neu.calc\n");
    EXPECT_FALSE(fs::exists(dir.parent_path() / "neu.calc"));
    run("^Qx{Esc}^Qd{Esc}^Q+{Esc}");  // cancelled: nothing happens
    run("^Qxn{Return}");
    EXPECT_EQ(names(), "a.calc\n");
    EXPECT_EQ(ReadAll(dir / "a.calc"), "Z1S1:000000000000F002>Alt\r");
}

// Work typed into a program that is then killed comes back at the next
// start: Ja restores it, Nein sets the copy aside, a clean quit removes it,
// and a copy older than its file is not offered. Each program keeps a copy
// of its own: one that quits removes only its own, and a copy is offered
// only once its program has ended.
TEST_F(RunnerTest, KilledProgramOffersItsWorkAtTheNextStart) {
    const fs::path state = dir / "state";
    const std::string recovery = " --recovery '" + state.string() + "'";
    fs::create_directories(state);
    fs::permissions(state, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_exec);
    // The copies of unsaved work in the folder, "Wiederherstellung-<process>.calc".
    const auto copies = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(state)) {
            const std::string name = entry.path().filename();
            if (name.rfind("Wiederherstellung-", 0) == 0 && name.find("abgelehnt") == std::string::npos &&
                entry.path().extension() == ".calc")
                names.push_back(name);
        }
        return names;
    };
    // Started by the shell, which hands back its number and leaves it running.
    const auto [status, pid] = RunCommand(exe + recovery + " --keys " +
                                          File("typed.keys", "x12{Return}^UHallo{Return}{Wait 60000}") +
                                          " >/dev/null 2>&1 & echo $!");
    ASSERT_EQ(status, 0);
    const fs::path copy = state / ("Wiederherstellung-" + std::to_string(std::stoi(pid)) + ".calc");
    for (int i = 0; i < 100 && ReadAll(copy).find("Hallo") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(fs::status(copy).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(state).permissions(), fs::perms::owner_all);
    const auto run = [&](const std::string& keys) { return Screen(keys, recovery); };
    // Another program, with work of its own, quits while the first still
    // runs: the running program's copy is not offered, nor touched.
    EXPECT_NE(run("x7{Return}{Wait 500}^Qqn").find("(Programm Ende)"), std::string::npos);
    EXPECT_EQ(copies(), std::vector<std::string>{copy.filename()});
    ::kill(std::stoi(pid), SIGKILL);
    EXPECT_NE(run("").find("Ungesicherte Änderungen wiederherstellen?"), std::string::npos);
    EXPECT_NE(run("j").find("  1|12       Hallo"), std::string::npos);
    EXPECT_EQ(copies().size(), 1u);  // the restored copy is the restoring program's, which ended
    EXPECT_NE(run("n").find("Bitte irgendeine Taste"), std::string::npos);
    EXPECT_NE(ReadAll(state / "Wiederherstellung-abgelehnt.calc").find(">Hallo\r"), std::string::npos);
    EXPECT_TRUE(copies().empty());
    // A copy is written while the work is unsaved, and goes with a clean quit
    // (here of the restored work, without saving it).
    EXPECT_NE(run("x5{Return}{Wait 1000}").find("  1|5"), std::string::npos);
    EXPECT_EQ(copies().size(), 1u);
    EXPECT_NE(run("j^Qqn").find("(Programm Ende)"), std::string::npos);
    EXPECT_TRUE(copies().empty());
    // A second copy declined is set aside beside the first.
    EXPECT_NE(run("x6{Return}{Wait 1000}").find("  1|6"), std::string::npos);
    run("n");
    EXPECT_NE(ReadAll(state / "Wiederherstellung-abgelehnt-2.calc").find(">6\r"), std::string::npos);
    // The file was saved after the copy (in the name of older versions):
    // nothing to restore.
    const fs::path legacy = state / "Wiederherstellung.calc";
    const std::string calc = File("a.calc", "Z1S1:000000000000F002>Alt\r");
    std::ofstream(legacy, std::ios::binary) << "Tabrona-Wiederherstellung:" << (dir / "a.calc").string()
                                            << "\rZ1S1:000000000000F002>Neu\r";
    fs::last_write_time(dir / "a.calc", fs::last_write_time(legacy) + std::chrono::seconds(1));
    EXPECT_EQ(run("").find("wiederherstellen"), std::string::npos);
    EXPECT_FALSE(fs::exists(legacy));
}

// The print preview of the demo data and the printer's text of a range over
// two pages, compared with committed output checked by eye.
TEST_F(RunnerTest, PreviewAndPrinterShowThePrintRange) {
    const fs::path preview = dir / "preview.png", printer = dir / "printer.txt", shapes = dir / "shapes.png";
    Screen("x^_^Pp{Preview " + preview.string() + "}", "");
    // Every character with a shape of its own, on a page of one line.
    Screen("xa!\"'()*+,-./:;<=>?[\\]{^}_`{{|}~{Return}^Pa^U^U^U^Ue^Pp{Preview " + shapes.string() + "}", "");
    // 30 lines a page, rows 1 to 40 and columns 1 to 3: two pages.
    Screen("x^_^Pdz^Z30{Return}" + Times(39, "^J") + "^U^Uep{Printer " + printer.string() + "}", "");
    for (const auto& [made, name] : {std::pair{preview, "print_preview_demo.png"}, {printer, "printer_two_pages.txt"},
                                     {shapes, "print_preview_shapes.png"}}) {
        const fs::path expected = fs::path(TABRONA_SCREENS) / name;
        if (std::getenv("TABRONA_UPDATE_SCREENS")) fs::copy_file(made, expected, fs::copy_options::overwrite_existing);
        EXPECT_EQ(ReadAll(made), ReadAll(expected)) << name;
    }
}

// E writes the sheet as text in the save selector's folder; I, in the open
// selector, puts it back at the cursor.
TEST_F(RunnerTest, ExportedTextInsertsTheSameCells) {
    const std::string calc = File("a.calc", "Z5S5:000000000000F002>Alt\r");
    Screen("12{Return}^U=Z1S1*2{Return}^UGr\u00fc\u00dfe{Return}^Qe^Zt.txt{Return}", calc);
    EXPECT_EQ(ReadAll(dir / "t.txt"), "12\t=Z1S1*2\tGr\u00fc\u00dfe" + std::string(97, '\t') + "\r" +
                                          Times(3, std::string(99, '\t') + "\r") + "\t\t\t\tAlt");
    EXPECT_NE(Screen("^Qi{Return}", calc).find("  1|12       24       Gr\u00fc\u00dfe"), std::string::npos);
}

// Batch runs: a Calculation out as values, a text in as a Calculation; a
// missing or malformed input and an unwritable output fail, and leave the
// old output as it was.
TEST_F(RunnerTest, BatchExportAndImport) {
    const std::string bin = std::string("'") + TABRONA_EXE + "'";
    const std::string calc = File("in.calc", "Z1S1:000000000000F003>2\rZ1S2:000000000000F003>=Z1S1*21\r"
                                             "Z2S1:000000000000F002>Gr\u00fc\u00dfe\r");
    const auto [status, exported] = RunCommand(bin + " --export " + calc + " -");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(exported, "2\t42\nGr\u00fc\u00dfe\n");  // tab-separated values, as cut and wc read them
    // A file larger than a block of reading, with lines and umlauts cut by
    // the blocks, reads as a whole; a Mac OS Roman one (ö, ß) as well.
    std::string large, values;
    for (int row = 1; row <= 999; ++row) {
        const std::string entry = std::to_string(row) + " Gr\u00fc\u00dfe " + std::string(static_cast<std::size_t>(row % 97), 'x');
        large += "Z" + std::to_string(row) + "S1:000000000000F002>" + entry + "\r";
        values += entry + "\n";
    }
    EXPECT_EQ(RunCommand(bin + " --export " + File("large.calc", large) + " -"), std::pair(0, values));
    EXPECT_EQ(RunCommand(bin + " --export " + File("roman.calc", "Z1S1:000000000000F002>Gr\x9a\xa7" "e\r") + " -", false),
              std::pair(0, std::string("Gr\u00f6\u00dfe\n")));
    const std::string made = " '" + (dir / "out.calc").string() + "'";
    EXPECT_EQ(RunCommand(bin + " --import " + File("in.txt", "a\t=2*3\r\n\"x\ty\"") + made).first, 0);
    EXPECT_EQ(ReadAll(dir / "out.calc"),
              "Z1S1:000000000000F002>a\rZ1S2:000000000000F003>=2*3\rZ2S1:000000000000F002>x\ty\r");
    const std::string old = File("old.txt", "alt");
    fs::permissions(dir / "old.txt", fs::perms::owner_read);
    const std::pair<std::string, std::string> failures[] = {
        {"--export '" + (dir / "fehlt.calc").string() + "' " + old, "no such file"},
        {"--export " + File("bad.calc", "kein Inhalt\r") + " " + old, "is not a Calculation file"},
        {"--import " + File("bin.txt", std::string("a\0b", 3)) + " " + old, "is not a text file"},
        {"--export " + calc + " " + old, "cannot write"},
        {"--import " + calc, "needs two files"},
    };
    for (const auto& [arguments, message] : failures) {
        const auto [failed, output] = RunCommand(bin + " " + arguments);
        EXPECT_NE(failed, 0) << arguments;
        EXPECT_NE(output.find(message), std::string::npos) << arguments << ": " << output;
    }
    EXPECT_EQ(ReadAll(dir / "old.txt"), "alt");
}

// A macro defined in the editor plays into a cell with Command, is saved
// with the menu's ^S and plays again after a restart.
TEST_F(RunnerTest, MacrosPlaySaveAndComeBack) {
    const std::string define = "x^\u00d6^E^K^K^K^K^K^K^K{Return}Gr\u00fc\u00dfe{Return}^S{Esc}";
    EXPECT_NE(Screen(define + "{Cmd-x}{Return}", "").find("  1|Gr\u00fc\u00dfe"), std::string::npos);
    EXPECT_NE(ReadAll(dir / "Tabrona" / "Macro.txt").find("Macro 088 = 4772FCDF65\r"), std::string::npos);
    EXPECT_NE(Screen("x^J{Cmd-X}{Return}", "").find("  2|Gr\u00fc\u00dfe"), std::string::npos);
}

}  // namespace

namespace {

// Random keys across every menu: each step is answered in time (the runner
// fails a step after 60 s), and the program neither crashes nor hangs. As
// root the run is nobody's, who may change only files of its own; as
// another user the file menu is left out, which could rename or delete the
// user's files. TABRONA_RANDOM_KEYS sets how many keys (5000 by default).
TEST_F(RunnerTest, RandomKeysAcrossEveryMenuNeverHang) {
    const bool root = ::geteuid() == 0;
    const char* count = std::getenv("TABRONA_RANDOM_KEYS");
    std::mt19937 random(count ? static_cast<unsigned>(std::atoi(count)) : 20261207u);
    std::vector<std::string> keys = {"{Return}", "{Esc}", "{Tab}", "{Up}", "{Down}", "{Left}", "{Right}", "{PageDown}",
                                     "{Backspace}", "{Delete}", "{F1}", "=Z1S1+1", "1", ",", "-", "?", "#", "*", "+",
                                     "Ä", "Ü", "{Cmd-a}", "{Cmd-b}", "^Ö", "^^", "^_", "{Undo}", "{Redo}"};
    for (char c = 'a'; c <= 'z'; ++c)
        if (c != 'q') keys.push_back(std::string(1, c));  // no quitting
    for (char c = 'A'; c <= 'Z'; ++c)
        if (root || c != 'Q') keys.push_back(std::string("^") + c);
    std::string script = "x";
    for (int i = count ? std::atoi(count) : 5000; i > 0; --i) script += keys[random() % keys.size()];
    const fs::path home = dir / "home";
    fs::create_directories(home);
    fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec);
    std::ofstream(home / "k.keys") << script;
    std::ofstream(home / "a.calc") << "Z1S1:000000000000F003>5\r";
    if (root) RunCommand("chown -R nobody '" + home.string() + "'");
    const std::string env = "cd '" + home.string() + "' && env HOME='" + home.string() + "' XDG_CONFIG_HOME='" +
                            home.string() + "' XDG_STATE_HOME='" + home.string() + "' ";
    const auto [status, output] = RunCommand(env + (root ? "runuser -u nobody -- " : "") + exe +
                                             " --keys k.keys --log log --screen s.txt a.calc");
    EXPECT_EQ(status, 0) << output << ReadAll(home / "log").substr(0, 2000);
}

}  // namespace

namespace {

// The budget's shares are right on the screen after each edit (the screen
// case), and after a save and an open, and in an export: the shares name
// the total below them.
TEST_F(RunnerTest, BudgetSharesAreRightAfterSaveOpenAndExport) {
    const fs::path calc = dir / "haushalt.calc";
    Screen(BudgetKeys.substr(1) + "^Qs", File("haushalt.calc", ""));  // a new Calculation of that name
    EXPECT_NE(Screen("", "'" + calc.string() + "'").find("  2|Miete    800      57,1"), std::string::npos);
    const auto [status, exported] = RunCommand(std::string("'") + TABRONA_EXE + "' --export '" + calc.string() + "' -");
    EXPECT_EQ(status, 0);
    EXPECT_NE(exported.find("Miete\t800\t57,1"), std::string::npos) << exported.substr(0, 200);
    EXPECT_NE(exported.find("Essen\t450\t32,1"), std::string::npos);
}

}  // namespace
