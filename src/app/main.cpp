// Tabrona's entry point. The desktop host and the spreadsheet's main
// program arrive with later work; for now the program starts the runtime
// on the headless platform, shows the character set on the main screen and
// can write a picture of it.
#include <time.h>

#include <atomic>
#include <cstring>
#include <iostream>
#include <string>

#include "app/png_writer.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "runtime/font.h"
#include "runtime/glyph.h"
#include "runtime/program.h"
#include "runtime/window.h"

namespace {

struct Options {
    std::string screenshot;
    int lines = 50;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--headless") continue;
        if (arg == "--screenshot" && i + 1 < argc) {
            options.screenshot = argv[++i];
        } else if (arg == "--lines" && i + 1 < argc) {
            options.lines = std::atoi(argv[++i]);
            if (options.lines != 50 && options.lines != 80) return false;
        } else {
            return false;
        }
    }
    return true;
}

// Every glyph of the font in all sixteen colours, three lines per colour.
void ShowCharacterSet(int lines) {
    t_InitWindow(0, 24, 121, lines, 8, DefaultFontName);
    t_InitWindow(1, 4, true, 200, 368, 0, 0, EmptyFont(), true);
    t_WindowVisible(0, true);
    for (int colour = 0; colour < 16; ++colour) {
        const int paper = colour == 0 ? 15 : 0;
        for (int code = 0; code < 256; ++code) {
            const int line = 2 + colour * 3 + code / 120;
            if (line > lines) return;
            t_PrintSymbol(0, static_cast<UInt8>(code), static_cast<UInt8>(colour * 16 + paper), 1 + code % 120, line);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: tabrona [--headless] [--lines 50|80] [--screenshot FILE.png]\n";
        return 2;
    }
    InstallPlatform(std::make_unique<HeadlessPlatform>());
    std::atomic<bool> finished{false};
    ApplicationWillFinishLaunching();
    ApplicationDidFinishLaunching([&finished, lines = options.lines] {
        ShowCharacterSet(lines);
        finished = true;
    });
    const timespec pause{0, 10'000'000};
    while (!finished) nanosleep(&pause, nullptr);
    int status = 0;
    if (!options.screenshot.empty()) {
        const std::optional<ArgbImage> image = t_WindowImage(0);
        status = image && WritePng(*image, options.screenshot) ? 0 : 1;
    }
    ApplicationWillTerminate();
    return status;
}
