#include "runtime/printer.h"

#include <string>

#include "platform/current_platform.h"
#include "platform/log.h"

namespace {

constexpr int PrinterWindow = 9;

// Runs work on the printer's text view in the GUI thread; without one, logs
// that the operation found no printer window.
template <typename Work>
void WithPrinter(const char* operation, Work work) {
    Platform& p = CurrentPlatform();
    bool missing = false;
    p.RunOnGui([&] {
        missing = !p.HasTextView(PrinterWindow);
        if (!missing) work(p);
    });
    if (missing) LogLine(std::string(operation) + ": Virtual printer window is nil, resource undefined.");
}

}  // namespace

void p_SetPrinter(const String& text) {
    WithPrinter("p_SetPrinter", [&](HostWindows& p) { p.SetTextViewString(PrinterWindow, text); });
}

void p_AppendPrinter(const String& text) {
    WithPrinter("p_AppendPrinter", [&](HostWindows& p) { p.AppendTextViewString(PrinterWindow, text); });
}

String p_GetPrinter() {
    String text;
    WithPrinter("p_GetPrinter", [&](HostWindows& p) { text = p.TextViewString(PrinterWindow); });
    return text;
}
