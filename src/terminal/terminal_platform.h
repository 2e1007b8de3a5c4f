// The platform of a run in a terminal: the headless platform's virtual
// windows, with what the terminal can show instead of the rest. Window 0's
// refreshes wake the terminal's thread; a copy to the pasteboard also goes
// to the terminal's clipboard (OSC 52); the printer writes into a file in
// the state folder; the preview, which needs pixels, is said in a message.
#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "platform/headless_platform.h"

class TerminalPlatform : public HeadlessPlatform {
public:
    // wake is called (from any thread) when there is something for the
    // terminal: a refresh, output or a message.
    explicit TerminalPlatform(std::function<void()> wake);

    void SetNeedsDisplay(int window) override;
    void DisplayNow(int window) override;
    void SetClipboardString(const std::string& text) override;
    void Bell() override;
    void OrderFront(int window) override;
    void MakeKeyAndFront(int window) override;
    void SetTextViewString(int window, const std::string& text) override;
    void AppendTextViewString(int window, const std::string& text) override;
    std::string RecoveryFolder() override;

    // What the terminal has to do, taken at once.
    struct Work {
        bool Refresh = false;
        std::string Output;   // bytes for the terminal as they are
        std::string Message;  // for the message line
    };
    Work TakeWork();
    // Text pasted into the terminal: the pasteboard's, without sending it
    // back to the terminal's clipboard.
    void TakePaste(const std::string& text);
    // Where the printer's text goes.
    std::string PrinterFile();

private:
    void Post(const std::function<void(Work&)>& change);
    void Printed(const std::string& text, bool append);

    std::function<void()> wake_;
    std::mutex workMutex_;
    Work work_;
};
