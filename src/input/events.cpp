#include "input/events.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "runtime/event_wait.h"
#include "runtime/menus.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "screen/glyph.h"
#include "screen/text_output.h"
#include "screen/window.h"

namespace {

// Host coordinates arrive as doubles; keep them in a range an Int holds
// before truncating.
Int Truncate(double v) {
    if (!(v > -1e12)) return static_cast<Int>(-1e12);  // also NaN
    if (v > 1e12) return static_cast<Int>(1e12);
    return static_cast<Int>(v);
}

Int ClampToArea(Int v, Int size) {
    if (v < 0) return -1;
    if (v >= size) return -2;
    return v;
}

// Characters typed as program codes: a line feed (or carriage return and
// line feed) is Return; characters above 255 travel as 27, four hex digits,
// 29. Characters beyond U+FFFF do not fit four digits and travel as their
// two UTF-16 halves, each its own sequence.
void AppendTypedCodes(std::vector<Int>& codes, char32_t c) {
    if (c == U'\n') {
        codes.push_back(13);
        return;
    }
    if (c <= 255) {
        codes.push_back(static_cast<Int>(c));
        return;
    }
    auto escape = [&codes](unsigned unit) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04X", unit & 0xFFFFu);
        codes.push_back(27);
        for (int k = 0; k < 4; ++k) codes.push_back(static_cast<unsigned char>(digits[k]));
        codes.push_back(29);
    };
    if (c > 0xFFFF) {
        const unsigned v = static_cast<unsigned>(c) - 0x10000u;
        escape(0xD800u + (v >> 10));
        escape(0xDC00u + (v & 0x3FFu));
        return;
    }
    escape(static_cast<unsigned>(c));
}

// --- menu actions ---------------------------------------------------------

// Front and hide actions of the host windows that are no graphic windows:
// the first action brings the window to the front, the next one hides it.
struct HostWindowAction {
    Int FrontAction;
    UInt8 Window;
};
constexpr HostWindowAction HostWindowActions[] = {
    {MenuActions::ShowMainWindow, 12},
    {MenuActions::ShowPreferences, 11},
    {MenuActions::ShowPrinter, 9},
    {MenuActions::ShowPasteboard, 8},
    {MenuActions::ShowConsole, 10},
};

using MenuActions::FirstGraphicAction;
using MenuActions::LastGraphicAction;

std::optional<Int> ActionForTag(Int tag) {
    // The table is built by the runtime initialisation; before it has
    // finished there is nothing to look up (and nothing safe to read).
    if (tag == 0 || !Runtime().MemoryInitialized) return std::nullopt;
    for (const t_MenuAction& entry : Runtime().MenuActionTable)
        if (entry.Tag == tag) return entry.Action;
    return std::nullopt;
}

void CopyMainWindowPicture() {
    const UInt8 w = t_MainWindowNumber();
    std::optional<ArgbImage> image;
    if (w < GraphicWindowCount) image = t_WindowImage(w);
    if (!image) {
        RingBell();
        return;
    }
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        p.ClearClipboard();
        p.SetClipboardImage(*image);
    });
}

void CopyMainWindowText() {
    const UInt8 w = t_MainWindowNumber();
    if (w >= GraphicWindowCount) return;
    const String text = t_ExportText(t_GetScreen(w, "\r"));
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] { p.SetClipboardString(text); });
}

void ClearTextWindow(UInt8 w, const char* name) {
    Platform& p = CurrentPlatform();
    bool missing = false;
    p.RunOnGui([&] {
        missing = !p.HasTextView(w);
        if (!missing) p.SetTextViewString(w, "");
    });
    if (!missing) return;
    LogLine(std::string("t_MenuEventHandler: ") + name + " is nil, resource undefined.");
    RingBell();
}

void Paste() {
    if (t_MainWindowNumber() >= GraphicWindowCount) {
        RingBell();
        return;
    }
    RunPasteHook();
}

void GraphicWindowAction(Int action) {
    const UInt8 w = static_cast<UInt8>((action - FirstGraphicAction) / 2);
    if (!WindowReady(w)) {
        LogLine("t_MenuEventHandler: Window #" + std::to_string(w) + " not initialized.");
        RingBell();
        return;
    }
    // Counted from 213, even actions show a window and odd ones hide it
    // (213 shows window 0, 214 hides it), like the pairs of the host windows.
    if ((action - FirstGraphicAction) % 2 != 0) {
        t_WindowVisible(w, false);
        return;
    }
    // Shown again through the window record too, so that its picture is
    // drawn after an earlier hide.
    t_WindowVisible(w, true);
    t_WindowFront(w);
}

void PerformMenuAction(Int action) {
    switch (action) {
        case MenuActions::CopyScreenPicture: CopyMainWindowPicture(); return;
        case MenuActions::CopyScreenText: CopyMainWindowText(); return;
        case MenuActions::ClearPrinter: ClearTextWindow(9, "Virtual printer window"); return;
        case MenuActions::Paste: Paste(); return;
        case MenuActions::ClearConsole: ClearTextWindow(10, "System console window"); return;
        case MenuActions::HideAll:
            for (int w = 0; w < HostWindowCount; ++w) t_WindowVisible(static_cast<UInt8>(w), false);
            return;
        case MenuActions::HideMainWindow: t_WindowVisible(t_MainWindowNumber(), false); return;
        default: break;
    }
    if (action >= FirstGraphicAction && action <= LastGraphicAction) {
        GraphicWindowAction(action);
        return;
    }
    for (const HostWindowAction& entry : HostWindowActions) {
        if (action == entry.FrontAction) t_WindowFront(entry.Window);
        if (action == entry.FrontAction + 1) t_WindowVisible(entry.Window, false);
    }
    // Open and save panels and unknown actions: the queued menu event is all.
}

}  // namespace

// --- program side -----------------------------------------------------------------------

String t_WaitKey(UInt8 w) {
    t_Event e;
    while (true) {
        // The cursor is shown only while the program really waits, so that
        // typed-ahead keys are taken without flicker.
        if (!EventPendingFlag()) {
            t_CursorOn(w);
            WaitForInput(EventPendingFlag);
            t_CursorOff(w);
        }
        if (!TakeKeyEvent(e)) continue;
        if (e.Value < 0) continue;
        return KeyCharacter(e.Value);
    }
}

Int t_TakeKey() {
    if (!EventPendingFlag()) return -1;
    t_Event e;
    if (!TakeKeyEvent(e)) return -1;
    return e.Value;
}

void t_TypeString(const String& text) {
    const std::u32string scalars = Scalars(text);
    std::vector<Int> codes;
    for (std::size_t i = 0; i < scalars.size(); ++i) {
        // A carriage return and line feed pair is one line end, one Return.
        if (scalars[i] == U'\r' && i + 1 < scalars.size() && scalars[i + 1] == U'\n') continue;
        AppendTypedCodes(codes, scalars[i]);
    }
    if (codes.empty()) return;
    const UInt8 defaultWindow = Screen().DefaultWindow;
    const UInt8 window = defaultWindow < GraphicWindowCount ? defaultWindow : 0;
    const Int now = NowMilliseconds();

    std::vector<t_Event> keys;
    for (Int code : codes) {
        t_Event e;
        e.Kind = 1;
        e.Description = code < 32 ? ControlDescription(code) : KeyCharacter(code);
        e.Value = code;
        e.Window = window;
        e.Time = now;
        keys.push_back(std::move(e));
    }
    AppendKeyEvents(std::move(keys));
}

// --- host side --------------------------------------------------------------------------

void t_MouseEventHandler(UInt8 w, double x, double y, Int buttons, const HostModifiers& modifiers) {
    const Int ax = Truncate(x);
    const Int ay = Truncate(y);
    Int clickX = -3;
    Int clickY = -3;
    if (w >= GraphicWindowCount) {
        LogLine("t_MouseEventHandler: Unknown window, AbsX = " + std::to_string(ax) + ", AbsY = " + std::to_string(ay));
    } else if (!WindowReady(w)) {
        LogLine("t_MouseEventHandler: Window #" + std::to_string(w) + " not initialized.");
    } else {
        const t_Window& win = Screen().WindowTable[w];
        const Int width = win.Width;
        const Int height = win.Height;
        clickX = ClampToArea(ax - win.BorderWidth, width);
        clickY = ClampToArea(height - ay + win.BorderHeight, height);
        t_Event e;
        e.Kind = 2;
        e.Index = buttons;
        e.WindowX = ax;
        e.WindowY = ay;
        e.ClickX = clickX;
        e.ClickY = clickY;
        e.Window = w;
        e.Time = NowMilliseconds();
        const Int flags = HostModifierFlags(modifiers);
        SetModifierFields(e, flags);
        e.FunctionKeyPressed = (flags & FnFlag) != 0;
        AppendMouseEvent(std::move(e));
    }
    LogLine("t_MouseEventHandler: Graphic #" + std::to_string(w) + " window, X = " + std::to_string(clickX) +
            ", Y = " + std::to_string(clickY));
    t_RunAsync(t_EventMouse);
    LogLine("t_MouseEventHandler: Calling program mouse handler asynchronously.");
}

void viewMouseDown(UInt8 w, double x, double y, Int buttons, const HostModifiers& modifiers, bool rightButton) {
    if (!Runtime().MemoryInitialized) return;
    if (!WindowReady(w)) {
        LogLine("viewMouseDown: Graphic window (" + std::to_string(w) + ") not initialized.");
    } else if (!Screen().WindowTable[w].IgnoreEvents) {
        t_MouseEventHandler(w, x, y, buttons, modifiers);
    }
    RecordClick(rightButton);
}

void t_MouseEventPostCloseBoxClick(UInt8 w) {
    t_WindowVisible(w, false);
    LogLine("t_MouseEventPostCloseBoxClick: Window = " + std::to_string(w));
}

void t_MenuEventHandler(const HostMenuItem& item) {
    t_MenuEvent e;
    e.Kind = item.HasMenu ? 3 : 0;
    if (item.HasMenu) {
        e.MenuTitle = item.MenuTitle;
        e.ItemTitle = item.ItemTitle;
        e.ItemKeyChar = item.KeyEquivalent;
        const std::u32string key = Scalars(item.KeyEquivalent);
        e.ItemKeyAsc = key.empty() ? 0 : static_cast<Int>(key.front());
    }
    e.ItemKeyMods = item.KeyModifierMask;
    e.ItemAction = item.Tag;
    e.Time = NowMilliseconds();

    const std::optional<Int> action = ActionForTag(item.Tag);
    if (action) PerformMenuAction(*action);
    AppendMenuEvent(std::move(e));
    if (!action) t_RunAsync(t_EventMenu);
}

UInt8 t_MainWindowNumber() {
    return WindowReady(0) && Screen().WindowTable[0].Visible ? UInt8{0} : NoWindow;
}

void t_ClickTextCell(UInt8 w, Int column, Int line) {
    if (w >= GraphicWindowCount || !Runtime().MemoryInitialized) return;
    const t_Window& win = Screen().WindowTable[w];
    const double width = static_cast<double>(win.Font.Width);
    const double height = static_cast<double>(win.Font.Height);
    const double x = static_cast<double>(win.BorderWidth) + (static_cast<double>(column) - 0.5) * width;
    const double y = static_cast<double>(win.Height + win.BorderHeight) - (static_cast<double>(line) - 0.5) * height;
    viewMouseDown(w, x, y, 1, HostModifiers{}, false);
}
