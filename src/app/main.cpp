// Tabrona's entry point. Until the desktop host exists, the program runs on
// the headless platform: `tabrona --headless [--keys FILE] [--screen FILE]
// [--screenshot FILE.png] [--lines 50|80] [--log FILE] [FILE]`.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/headless_runner.h"
#include "commands/main_program.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: tabrona --headless [--keys FILE] [--screen FILE] [--screenshot FILE.png]\n"
                 "                          [--lines 50|80] [--log FILE] [FILE]\n");
}

// Reads the command line into options; on a mistake, says which argument
// was wrong and returns false.
bool ParseOptions(int argc, char** argv, RunnerOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--headless") continue;
        std::string* value = arg == "--keys"         ? &options.KeysFile
                             : arg == "--screen"     ? &options.ScreenFile
                             : arg == "--screenshot" ? &options.ScreenshotFile
                             : arg == "--log"        ? &options.LogFile
                                                     : nullptr;
        if (value || arg == "--lines") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "tabrona: %s needs a value\n", arg.c_str());
                return false;
            }
            const std::string given = argv[++i];
            if (value) {
                *value = given;
                continue;
            }
            if (given != "50" && given != "80") {
                std::fprintf(stderr, "tabrona: --lines takes 50 or 80, not %s\n", given.c_str());
                return false;
            }
            options.Lines = given == "80" ? 80 : 50;
        } else if (!arg.empty() && arg[0] != '-' && options.OpenFile.empty()) {
            options.OpenFile = arg;
        } else {
            std::fprintf(stderr, "tabrona: unknown argument %s\n", arg.c_str());
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
