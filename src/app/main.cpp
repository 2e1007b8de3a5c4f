// Tabrona's entry point: the desktop program, or the headless runner for
// scripts and tests.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/desktop_module.h"
#include "app/headless_runner.h"
#include "commands/main_program.h"
#include "commands/product.h"
#include "platform/current_platform.h"
#include "platform/platform.h"
#include "screen/font.h"
#include "terminal/terminal_runner.h"

namespace {

constexpr const char* UsageText =
    "usage: tabrona [--zoom 1|2|3] [FILE...]\n"
    "       tabrona --terminal [--lines 50|80] [FILE]\n"
    "       tabrona --headless [--keys FILE] [--screen FILE] [--screenshot FILE.png]\n"
    "                          [--lines 50|80] [--log FILE] [--recovery FOLDER] [FILE]\n"
    "       tabrona --export IN.calc OUT.xlsx|OUT.ods|OUT.csv|OUT.txt|-\n"
    "       tabrona --import IN.xlsx|IN.ods|IN.csv|IN.txt OUT.calc\n"
    "       tabrona --help | --version\n"
    "\n"
    "Without --headless Tabrona opens its window on the desktop; FILE is opened\n"
    "at start (or handed to a Tabrona already running; of several files the first,\n"
    "as one Calculation is open at a time). --zoom enlarges the screen two or three\n"
    "times, as far as the window then fits the screen.\n"
    "\n"
    "--terminal runs the program in this terminal (over SSH too): 121 columns by\n"
    "50 (or --lines 80) lines show it whole; a smaller terminal shows the part\n"
    "around the cursor. The log goes to $XDG_STATE_HOME/Tabrona/tabrona.log.\n"
    "\n"
    "--headless runs the program without a display: --keys types a key script,\n"
    "--screen and --screenshot write what the screen shows at the end (text or\n"
    "PNG), --lines picks the screen height, --log writes the log lines to FILE,\n"
    "--recovery keeps copies of unsaved work in FOLDER (a desktop run keeps them\n"
    "in $XDG_STATE_HOME/Tabrona).\n"
    "\n"
    "--export opens the Calculation IN.calc, recalculates it and writes it in the\n"
    "format OUT's extension names: an Excel or OpenDocument workbook (values,\n"
    "formulas both sides compute alike, widths, colours, alignment), German CSV\n"
    "(\";\", decimal comma), or tab-separated values (.txt, .tsv, - for standard\n"
    "output). --import reads such a file (of a workbook the first sheet) or a\n"
    "tab-separated text into a new Calculation, computing its formulas, and saves\n"
    "it as OUT.calc. Neither opens a window; errors go to standard error with exit\n"
    "status 1, and OUT is only written when all went well.\n";

// A batch run: what to do, and its two files.
struct Batch {
    int (*Run)(const std::string& in, const std::string& out) = nullptr;
    std::string In, Out;
};

struct Options {
    RunnerOptions Runner;
    int Zoom = 1;
    Batch BatchRun;
    bool Headless = false;
    bool Terminal = false;
    bool LinesGiven = false;
    bool Help = false;
    bool Version = false;
    std::string HeadlessOnly;  // the first option that needs --headless
    std::vector<std::string> LeftOut;  // files after the first
};

bool Fail(const std::string& message) {
    std::fprintf(stderr, "tabrona: %s\n", message.c_str());
    return false;
}

// An option's value, or false with a message.
bool TakeValue(int argc, char** argv, int& i, std::string& value) {
    if (i + 1 >= argc) return Fail(std::string(argv[i]) + " needs a value");
    value = argv[++i];
    return true;
}

// Reads the command line; on a mistake, says which argument was wrong and
// returns false.
bool ParseOptions(int argc, char** argv, Options& options) {
    RunnerOptions& runner = options.Runner;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* value = arg == "--keys"         ? &runner.KeysFile
                             : arg == "--screen"     ? &runner.ScreenFile
                             : arg == "--screenshot" ? &runner.ScreenshotFile
                             : arg == "--log"        ? &runner.LogFile
                             : arg == "--recovery"   ? &runner.RecoveryFolder
                                                     : nullptr;
        std::string given;
        if (arg == "--headless") {
            options.Headless = true;
        } else if (arg == "--terminal") {
            options.Terminal = true;
        } else if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if (arg == "--version") {
            options.Version = true;
        } else if (value) {
            if (!TakeValue(argc, argv, i, *value)) return false;
            if (options.HeadlessOnly.empty()) options.HeadlessOnly = arg;
        } else if (arg == "--lines") {
            if (!TakeValue(argc, argv, i, given)) return false;
            if (given != "50" && given != "80") return Fail("--lines takes 50 or 80, not " + given);
            runner.Lines = given == "80" ? 80 : 50;
            options.LinesGiven = true;
        } else if (arg == "--zoom") {
            if (!TakeValue(argc, argv, i, given)) return false;
            if (given != "1" && given != "2" && given != "3") return Fail("--zoom takes 1, 2 or 3, not " + given);
            options.Zoom = given[0] - '0';
        } else if (arg == "--export" || arg == "--import") {
            Batch& batch = options.BatchRun;
            if (batch.Run) return Fail("only one of --export and --import");
            if (i + 2 >= argc) return Fail(arg + " needs two files");
            batch.Run = arg == "--export" ? ExportCalculation : ImportText;
            batch.In = argv[++i];
            batch.Out = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && runner.OpenFile.empty()) {
            runner.OpenFile = arg;
        } else if (!arg.empty() && arg[0] != '-') {
            options.LeftOut.push_back(arg);
        } else {
            return Fail("unknown argument " + arg);
        }
    }
    if (options.Headless && options.Terminal) return Fail("only one of --headless and --terminal");
    if (options.LinesGiven && !options.Headless && !options.Terminal)
        return Fail("--lines works only with --headless or --terminal");
    if (!options.Headless && !options.HeadlessOnly.empty()) return Fail(options.HeadlessOnly + " works only with --headless");
    return true;
}

// Without its font the program would only log why it draws nothing.
bool FontFound() {
    const std::string folder = CurrentPlatform().ResourceFolder();
    std::error_code error;
    if (std::filesystem::is_regular_file(folder + DefaultFontName, error)) return true;
    std::fprintf(stderr,
                 "tabrona: the font \"%s\" is not in %s; install Tabrona with cmake --install, or run it from "
                 "its build folder\n",
                 DefaultFontName, folder.c_str());
    return false;
}

// The program thread may still wait for a key: leave without tearing down
// what it uses.
[[noreturn]] void Leave(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(UsageText, stderr);
        return 2;
    }
    if (options.Help) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (options.Version) {
        std::printf("Tabrona %s (build %s)\n", ProductVersionText().c_str(), TABRONA_VERSION);
        return 0;
    }
    // One Calculation is open at a time: the others are named, not lost.
    for (const std::string& file : options.LeftOut)
        std::fprintf(stderr, "tabrona: one Calculation at a time: %s is opened, %s is not\n",
                     options.Runner.OpenFile.c_str(), file.c_str());
    if (options.BatchRun.Run) return options.BatchRun.Run(options.BatchRun.In, options.BatchRun.Out);
    if (!FontFound()) return 1;
    if (options.Headless) Leave(RunHeadless(options.Runner, MainProgram));
    if (options.Terminal) Leave(RunTerminal({options.Runner.OpenFile, options.Runner.Lines}, MainProgram));
    return RunDesktopModule(argc, argv, options.Runner.OpenFile, options.Zoom);
}
