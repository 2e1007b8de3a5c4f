// Tabrona on the desktop: the Qt application, its windows and menu bar, the
// launch sequence, and the program thread running the main program.
#pragma once

#include <functional>
#include <string>

struct DesktopOptions {
    std::string OpenFile;  // opened at start; empty: none
    int Zoom = 1;          // 1, 2 or 3
};

// Whether a desktop can be reached: a display, or a Qt platform chosen by
// QT_QPA_PLATFORM.
bool DesktopAvailable();

// Runs the application until the user quits it; the exit status.
int RunDesktop(int& argc, char** argv, const DesktopOptions& options, std::function<void()> mainProgram);

// Hands a path to a Tabrona already running for this user; false when none
// answers.
bool SendToRunningInstance(const std::string& path);
