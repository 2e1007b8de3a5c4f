#include "terminal/terminal_platform.h"

#include <filesystem>
#include <fstream>
#include <utility>

#include "runtime/text.h"

namespace {

constexpr int PreviewWindow = 1, PrinterWindow = 9;

// OSC 52: the terminal's clipboard, base64 coded.
std::string ClipboardSequence(const std::string& text) {
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string coded;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, text.size() - i);
        std::uint32_t bits = 0;
        for (std::size_t k = 0; k < 3; ++k)
            bits = bits << 8 | (k < n ? static_cast<unsigned char>(text[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k) coded += k <= n ? Digits[(bits >> (18 - 6 * k)) & 63] : '=';
    }
    return "\x1b]52;c;" + coded + "\x07";
}

}  // namespace

TerminalPlatform::TerminalPlatform(std::function<void()> wake) : wake_(std::move(wake)) {}

void TerminalPlatform::Post(const std::function<void(Work&)>& change) {
    {
        std::lock_guard lock(workMutex_);
        change(work_);
    }
    wake_();
}

TerminalPlatform::Work TerminalPlatform::TakeWork() {
    std::lock_guard lock(workMutex_);
    return std::exchange(work_, {});
}

void TerminalPlatform::SetNeedsDisplay(int window) {
    HeadlessPlatform::SetNeedsDisplay(window);
    if (window == 0) Post([](Work& work) { work.Refresh = true; });
}

void TerminalPlatform::DisplayNow(int window) {
    HeadlessPlatform::DisplayNow(window);
    if (window == 0) Post([](Work& work) { work.Refresh = true; });
}

void TerminalPlatform::SetClipboardString(const std::string& text) {
    HeadlessPlatform::SetClipboardString(text);
    Post([&text](Work& work) { work.Output += ClipboardSequence(text); });
}

void TerminalPlatform::TakePaste(const std::string& text) { HeadlessPlatform::SetClipboardString(text); }

void TerminalPlatform::Bell() {
    HeadlessPlatform::Bell();
    Post([](Work& work) { work.Output += '\a'; });
}

void TerminalPlatform::OrderFront(int window) {
    HeadlessPlatform::OrderFront(window);
    if (window == PreviewWindow)
        Post([](Work& work) {
            work.Message = "Die Seitenvorschau zeigt nur der Desktop; jede Taste blättert weiter, Esc beendet sie.";
        });
}

void TerminalPlatform::MakeKeyAndFront(int window) {
    HeadlessPlatform::MakeKeyAndFront(window);
    if (window == PreviewWindow) OrderFront(window);
}

std::string TerminalPlatform::RecoveryFolder() { return Platform::RecoveryFolder(); }

std::string TerminalPlatform::PrinterFile() { return Folder(StandardFolder::State) + "Drucker.txt"; }

void TerminalPlatform::Printed(const std::string& text, bool append) {
    const std::string path = PrinterFile();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream out(path, append ? std::ios::binary | std::ios::app : std::ios::binary | std::ios::trunc);
    out << text;
    if (text.empty()) return;
    const std::string message =
        out ? "Gedruckt in die Datei " + path : "Der Druck konnte nicht in " + path + " geschrieben werden.";
    Post([&message](Work& work) { work.Message = message; });
}

void TerminalPlatform::SetTextViewString(int window, const std::string& text) {
    HeadlessPlatform::SetTextViewString(window, text);
    if (window == PrinterWindow) Printed(text, false);
}

void TerminalPlatform::AppendTextViewString(int window, const std::string& text) {
    HeadlessPlatform::AppendTextViewString(window, text);
    if (window == PrinterWindow) Printed(text, true);
}
