#include "runtime/printer.h"

#include "platform/log.h"
#include "platform/platform.h"

namespace {

constexpr int PrinterWindow = 9;

}  // namespace

void p_SetPrinter(const String& text) {
    Platform& p = CurrentPlatform();
    bool missing = false;
    p.RunOnGui([&] {
        missing = !p.HasTextView(PrinterWindow);
        if (!missing) p.SetTextViewString(PrinterWindow, text);
    });
    if (missing) LogLine("p_SetPrinter: Virtual printer window is nil, resource undefined.");
}

String p_GetPrinter() {
    Platform& p = CurrentPlatform();
    bool missing = false;
    String text;
    p.RunOnGui([&] {
        missing = !p.HasTextView(PrinterWindow);
        if (!missing) text = p.TextViewString(PrinterWindow);
    });
    if (missing) LogLine("p_GetPrinter: Virtual printer window is nil, resource undefined.");
    return text;
}
