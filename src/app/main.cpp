// Tabrona's entry point. Until the desktop host exists, the program runs on
// the headless platform: `tabrona --headless [--keys FILE] [--screen FILE]
// [--screenshot FILE.png] [--lines 50|80] [--log FILE] [FILE]`.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/headless_runner.h"
#include "sheet/main_program.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: tabrona --headless [--keys FILE] [--screen FILE] [--screenshot FILE.png]\n"
                 "                          [--lines 50|80] [--log FILE] [FILE]\n");
}

bool ParseOptions(int argc, char** argv, RunnerOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--headless") continue;
        if (arg == "--keys" && hasValue) {
            options.KeysFile = argv[++i];
        } else if (arg == "--screen" && hasValue) {
            options.ScreenFile = argv[++i];
        } else if (arg == "--screenshot" && hasValue) {
            options.ScreenshotFile = argv[++i];
        } else if (arg == "--log" && hasValue) {
            options.LogFile = argv[++i];
        } else if (arg == "--lines" && hasValue) {
            options.Lines = std::atoi(argv[++i]);
            if (options.Lines != 50 && options.Lines != 80) return false;
        } else if (!arg.empty() && arg[0] != '-' && options.OpenFile.empty()) {
            options.OpenFile = arg;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RunnerOptions options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    const int status = RunHeadless(options, MainProgram);
    std::fflush(nullptr);
    // The program thread may still wait for a key: leave without tearing
    // down what it uses.
    std::_Exit(status);
}
