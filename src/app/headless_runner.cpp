#include "app/headless_runner.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/key_script.h"
#include "app/png_writer.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "runtime/charset.h"
#include "runtime/events.h"
#include "runtime/glyph.h"
#include "runtime/memory.h"
#include "runtime/program.h"
#include "runtime/window.h"

namespace {

using Clock = std::chrono::steady_clock;

// A step the program does not answer within this time counts as a hang.
constexpr auto StepLimit = std::chrono::seconds(60);

bool ProgramEnded() { return Runtime().ProgramEnded; }

// Waits until the program has taken every queued key and waits for the
// next one, or has ended. False after the time limit.
bool WaitUntilReady() {
    const auto limit = Clock::now() + StepLimit;
    while (!ProgramEnded() && !(ProgramWaitingForKey() && KeyQueueLength() == 0)) {
        if (Clock::now() > limit) return false;
        SleepMilliseconds(1);
    }
    return true;
}

bool WriteScreen(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << ScreenText();
    if (!out) LogLine("RunHeadless: Could not write " + path);
    return static_cast<bool>(out);
}

bool WriteScreenshot(const std::string& path) {
    Screen().WindowTable[0].Visible = true;
    const std::optional<ArgbImage> image = t_WindowImage(0);
    return image && WritePng(*image, path);
}

// A click in the middle of a character cell, in host window coordinates.
void Click(Int column, Int line) {
    const t_Window& win = Screen().WindowTable[0];
    const double x = static_cast<double>(win.BorderWidth + (column - 1) * win.Font.Width + win.Font.Width / 2);
    const double y = static_cast<double>(win.Height + win.BorderHeight - ((line - 1) * win.Font.Height + win.Font.Height / 2));
    viewMouseDown(0, x, y, 1, HostModifiers{}, false);
}

// Performs one step; false when the run has to stop with status 1.
bool Perform(const ScriptStep& step) {
    switch (step.Action) {
        case ScriptStep::Kind::Key: {
            HostKey key = step.Key;
            key.Time = NowMilliseconds();
            t_KeyEventHandler(0, key);
            return true;
        }
        case ScriptStep::Kind::Click: Click(step.Column, step.Line); return true;
        case ScriptStep::Kind::Open: CurrentPlatform().OpenDocument(step.Path); return true;
        case ScriptStep::Kind::Screen: return WriteScreen(step.Path);
        case ScriptStep::Kind::Screenshot: return WriteScreenshot(step.Path);
        case ScriptStep::Kind::Wait: SleepMilliseconds(static_cast<long>(step.Milliseconds)); return true;
    }
    return true;
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

void RouteLog(const std::string& logFile) {
    SetLogToStdout(false);
    std::FILE* target = stderr;
    if (!logFile.empty()) {
        std::FILE* file = std::fopen(logFile.c_str(), "w");
        if (file) target = file;  // kept open for the rest of the run
    }
    SetLogSink([target](std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), target);
        std::fflush(target);
    });
}

}  // namespace

std::string ScreenText() {
    const t_Window& win = Screen().WindowTable[0];
    if (!WindowReady(0) || !win.HasText()) return {};
    const UInt8* chars = Screen().VideoMemory.data() + win.TextMemoryStart;
    std::string text;
    for (Int line = 0; line < win.TextHeight; ++line) {
        const Text row(std::vector<UInt8>(chars + line * win.TextWidth, chars + (line + 1) * win.TextWidth));
        // Glyphs 0-31 (the dialog title junctions, for example) would be
        // control characters in a text file: they show as control pictures.
        std::u32string shown = Scalars(t_ExportText(TextToString(row)));
        for (char32_t& c : shown)
            if (c < 32) c += 0x2400;
        text += Utf8(shown) + "\n";
    }
    return text;
}

int RunHeadless(const RunnerOptions& options, std::function<void()> mainProgram) {
    ParsedScript script;
    if (!options.KeysFile.empty()) {
        std::string text;
        if (!ReadFile(options.KeysFile, text)) {
            std::fprintf(stderr, "tabrona: cannot read the key script %s\n", options.KeysFile.c_str());
            return 2;
        }
        script = ParseKeyScript(text);
        if (!script.Error.empty()) {
            std::fprintf(stderr, "tabrona: key script %s: %s\n", options.KeysFile.c_str(), script.Error.c_str());
            return 2;
        }
    }
    auto platform = std::make_unique<HeadlessPlatform>();
    // A screen taller than 1400 points makes the program choose 80 lines.
    platform->SetScreenSize(1920, options.Lines == 80 ? 1600 : 1080);
    InstallPlatform(std::move(platform));
    RouteLog(options.LogFile);

    ApplicationWillFinishLaunching();
    ApplicationDidFinishLaunching(std::move(mainProgram));
    if (!options.OpenFile.empty()) CurrentPlatform().OpenDocument(options.OpenFile);

    int status = 0;
    for (const ScriptStep& step : script.Steps) {
        if (!WaitUntilReady()) {
            LogLine("RunHeadless: The program did not wait for a key in time.");
            status = 1;
            break;
        }
        if (ProgramEnded()) break;
        if (!Perform(step)) status = 1;
    }
    if (status == 0 && !WaitUntilReady()) {
        LogLine("RunHeadless: The program did not wait for a key in time.");
        status = 1;
    }
    if (!options.ScreenFile.empty() && !WriteScreen(options.ScreenFile)) status = 1;
    if (!options.ScreenshotFile.empty() && !WriteScreenshot(options.ScreenshotFile)) status = 1;
    ApplicationWillTerminate();
    return status;
}
