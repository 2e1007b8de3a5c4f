// Runs the real main program on the headless platform, types a key script
// into it and writes what window 0 shows: for tests, and for anyone who
// wants to drive the program without a desktop.
#pragma once

#include <functional>
#include <string>

struct RunnerOptions {
    std::string KeysFile;        // key script; none: no keys are typed
    std::string ScreenFile;      // window 0 as UTF-8 text at the end
    std::string ScreenshotFile;  // window 0 as PNG at the end
    std::string LogFile;         // log lines; standard error when empty
    std::string OpenFile;        // a file-open request waiting at start
    std::string RecoveryFolder;  // where copies of unsaved work go; none when empty
    int Lines = 50;              // 50 or 80: the screen is made tall enough for 80
};

// Exit status: 0 done, 1 a file could not be written or the program hung,
// 2 a bad key script.
int RunHeadless(const RunnerOptions& options, std::function<void()> mainProgram);

// Window 0's character grid, one line per text line, program codes shown as
// the characters they look like.
std::string ScreenText();
