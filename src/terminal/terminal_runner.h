// The program in a terminal: the real main program on its own thread, its
// window 0 drawn into the terminal, the terminal's keys, clicks and pastes
// fed to it. The terminal's modes are put back however the run ends: a
// quit, a signal to end, a stop from the shell, a crash.
#pragma once

#include <functional>
#include <string>

struct TerminalOptions {
    std::string OpenFile;  // opened at start; empty: none
    int Lines = 50;        // 50 or 80
};

// Both standard input and output are a terminal.
bool InTerminal();
// What to run without a display, for the message that says there is none:
// --terminal when this is a terminal, --headless in any case.
const char* WithoutDisplayAdvice();

// Exit status: 0 when the program ended, 1 when the terminal cannot be
// used (said on standard error), 128 + the signal that ended the run.
int RunTerminal(const TerminalOptions& options, std::function<void()> mainProgram);
