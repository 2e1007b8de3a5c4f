#include "runtime/pasteboard.h"

#include "platform/current_platform.h"

String PasteboardString() {
    Platform& p = CurrentPlatform();
    String text;
    p.RunOnGui([&p, &text] { text = p.ClipboardString().value_or(""); });
    return text;
}

void SetPasteboardString(const String& text) {
    Platform& p = CurrentPlatform();
    p.RunOnGui([&p, &text] {
        p.ClearClipboard();
        p.SetClipboardString(text);
    });
}
