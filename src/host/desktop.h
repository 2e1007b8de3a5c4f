// Tabrona on the desktop: the Qt application, its windows and menu bar, the
// launch sequence, and the program thread running the main program.
#pragma once

#include <QLocalServer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "host/host_windows.h"
#include "host/menu_bar.h"
#include "platform/console_feed.h"

class QtPlatform;

struct DesktopOptions {
    std::string OpenFile;  // opened at start; empty: none
    int Zoom = 1;  // 1, 2 or 3
    std::vector<HelpPage> Help;  // the help menu's items
};

// The desktop side of a running program; needs a QApplication.
class Desktop {
public:
    // Builds the windows and menu bar, installs the Qt platform, sends the
    // log to the console window and listens for other `tabrona FILE` runs.
    explicit Desktop(const DesktopOptions& options);
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The launch sequence: the program thread starts running mainProgram.
    void Launch(std::function<void()> mainProgram);
    // The close box of the program's window and the host's Quit: true when
    // the application ends now (the program has ended, or nothing unsaved
    // would be lost); else the program is asked to quit first and the
    // application follows once it has.
    bool RequestQuit();

    DesktopWindows& Windows() { return windows_; }
    // The log to the console window and to `file` too (none: only there).
    void LogTo(std::shared_ptr<std::FILE> file);
    // How often the console window took log lines so far.
    int ConsoleAppends() const { return consoleAppends_; }
    QtPlatform& Platform() { return *platform_; }

private:
    DesktopOptions options_;
    DesktopWindows windows_;
    QtPlatform* platform_ = nullptr;  // owned by the installed platform slot
    QLocalServer server_;
    QTimer programWatch_;
    // Shared with the log's sink, which may outlive the desktop.
    std::shared_ptr<ConsoleFeed> consoleFeed_ = std::make_shared<ConsoleFeed>(ConsoleLines);
    QTimer consoleTimer_;
    int consoleAppends_ = 0;
    bool quitWhenProgramEnds_ = false;
};

// Whether a desktop can be reached: a display, or a Qt platform chosen by
// QT_QPA_PLATFORM.
bool DesktopAvailable();

// Runs the application until the user quits it, then ends the process with
// its exit status, tearing nothing down that a program thread still
// waiting might use.
[[noreturn]] void RunDesktop(int& argc, char** argv, const DesktopOptions& options, std::function<void()> mainProgram);

