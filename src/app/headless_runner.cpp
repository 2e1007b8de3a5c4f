#include "app/headless_runner.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/key_script.h"
#include "app/png_writer.h"
#include "input/events.h"
#include "input/file_events.h"
#include "platform/current_platform.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "runtime/charset.h"
#include "runtime/event_wait.h"
#include "runtime/printer.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "screen/glyph.h"
#include "screen/window.h"

namespace {

// A step the program does not answer within this time counts as a hang.
constexpr std::chrono::milliseconds StepLimit(60'000);

bool ProgramEnded() { return Runtime().ProgramEnded; }

// Waits until the program has dealt with everything the last step gave it
// and sleeps waiting for input again, or has ended. False after the limit.
bool WaitUntilReady() {
    if (WaitUntilProgramIdle(ProgramEnded, StepLimit)) return true;
    LogLine("RunHeadless: The program did not wait for a key in time.");
    return false;
}

bool WriteScreen(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << ScreenText();
    if (!out) LogLine("RunHeadless: Could not write " + path);
    return static_cast<bool>(out);
}

bool WriteScreenshot(const std::string& path, UInt8 window = 0) {
    if (window == 0) Screen().WindowTable[0].Visible = true;
    const std::optional<ArgbImage> image = t_WindowImage(window);
    return image && WritePng(*image, path);
}

bool WritePrinter(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << p_GetPrinter();
    return static_cast<bool>(out);
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
        case ScriptStep::Kind::Click: t_ClickTextCell(0, step.Column, step.Line); return true;
        case ScriptStep::Kind::Open: CurrentPlatform().OpenDocument(step.Path); return true;
        // As the desktop menu's "Exportieren als" asks for it.
        case ScriptStep::Kind::Export: f_FileEventHandler(step.Path, ExportFileEventType); return true;
        case ScriptStep::Kind::Screen: return WriteScreen(step.Path);
        case ScriptStep::Kind::Screenshot: return WriteScreenshot(step.Path);
        case ScriptStep::Kind::Preview: return WriteScreenshot(step.Path, 1);
        case ScriptStep::Kind::Printer: return WritePrinter(step.Path);
        case ScriptStep::Kind::Wait: SleepMilliseconds(static_cast<long>(step.Milliseconds)); return true;
    }
    return true;
}

// The whole script, or a message saying why it cannot be used.
bool ReadScript(const std::string& path, std::string& text, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = "is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be read";
        return false;
    }
    // Read in pieces up to one byte past the limit, so that an endless
    // source (a device, a pipe) is refused too.
    char buffer[65536];
    while (in && text.size() <= MaxKeyScriptBytes) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        error = "cannot be read";
        return false;
    }
    if (text.size() > MaxKeyScriptBytes) {
        error = "is longer than " + std::to_string(MaxKeyScriptBytes >> 20) + " MiB";
        return false;
    }
    error = CheckKeyScript(text);
    return error.empty();
}

// Log lines go to the log file, or to standard error. False when the file
// cannot be written.
bool RouteLog(const std::string& logFile) {
    std::FILE* target = stderr;
    if (!logFile.empty()) {
        target = std::fopen(logFile.c_str(), "w");  // kept open for the rest of the run
        if (!target) return false;
    }
    SetLogToStdout(false);
    SetLogSink([target](std::string_view text) { std::fwrite(text.data(), 1, text.size(), target); });
    SetLogFlush([target] { std::fflush(target); });
    return true;
}

}  // namespace

std::string ScreenText() {
    const t_Window& win = Screen().WindowTable[0];
    if (!WindowReady(0) || !win.HasText()) return {};
    const UInt8* chars = Screen().VideoMemory.data() + win.TextMemoryStart;
    std::string text;
    for (Int line = 0; line < win.TextHeight; ++line) {
        for (Int column = 0; column < win.TextWidth; ++column) text += Utf8(ShownCharacter(chars[line * win.TextWidth + column]));
        text += "\n";
    }
    return text;
}

int RunHeadless(const RunnerOptions& options, std::function<void()> mainProgram) {
    std::string script;
    if (!options.KeysFile.empty()) {
        std::string error;
        if (!ReadScript(options.KeysFile, script, error)) {
            std::fprintf(stderr, "tabrona: the key script %s %s\n", options.KeysFile.c_str(), error.c_str());
            return 2;
        }
    }
    if (!RouteLog(options.LogFile)) {
        std::fprintf(stderr, "tabrona: cannot write the log file %s: %s\n", options.LogFile.c_str(),
                     std::strerror(errno));
        return 2;
    }
    auto platform = std::make_unique<HeadlessPlatform>();
    // A screen taller than 1400 points makes the program choose 80 lines.
    platform->SetScreenSize(1920, options.Lines == 80 ? 1600 : 1080);
    platform->SetRecoveryFolder(options.RecoveryFolder);
    InstallPlatform(std::move(platform));

    ApplicationWillFinishLaunching();
    // Known before the program starts, as a file named on a desktop's
    // command line is: the program finds it waiting when it asks.
    // As on the desktop, the file's path is made absolute: the Calculation
    // then knows its folder.
    if (!options.OpenFile.empty()) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(options.OpenFile, error);
        CurrentPlatform().OpenDocument(error ? options.OpenFile : absolute.lexically_normal().string());
    }
    ApplicationDidFinishLaunching(std::move(mainProgram));

    int status = 0;
    KeyScriptReader reader(script);
    ScriptStep step;
    while (reader.Next(step)) {
        if (!WaitUntilReady()) return 1;
        if (ProgramEnded()) break;
        if (!Perform(step)) status = 1;
    }
    if (!WaitUntilReady()) return 1;
    if (!options.ScreenFile.empty() && !WriteScreen(options.ScreenFile)) status = 1;
    if (!options.ScreenshotFile.empty() && !WriteScreenshot(options.ScreenshotFile)) status = 1;
    ApplicationWillTerminate();
    return status;
}
