#include "runtime/events.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <utility>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "runtime/event_wait.h"
#include "runtime/glyph.h"
#include "runtime/memory.h"
#include "runtime/menus.h"
#include "runtime/program.h"
#include "runtime/text_output.h"
#include "runtime/window.h"

namespace {

constexpr std::size_t HookStackSize = 524'288;

void RingBell() {
    Platform& p = CurrentPlatform();
    p.RunOnGui([&p] { p.Bell(); });
}

void Nothing() {}

// Everything the host side and the program side share. The queues, the
// current events and the hooks are guarded by Mutex; the flags are atomic
// so that the waiting loops can poll them without taking the lock.
struct EventQueues {
    std::mutex Mutex;
    std::deque<t_Event> Keys;
    std::deque<t_Event> Mice;
    std::vector<t_MenuEvent> Menus;
    t_Event CurrentEvent;
    t_Event CurrentMouseEvent;
    EventHook MouseHook = Nothing;
    EventHook MenuHook = Nothing;
    EventHook PasteHook = RingBell;

    std::atomic<bool> EventPending{false};
    std::atomic<bool> MouseEventPending{false};
    std::atomic<bool> MenuEventPending{false};
    std::atomic<bool> LeftClick{false};
    std::atomic<bool> RightClick{false};
    std::atomic<bool> QuitRequest{false};
    std::atomic<Int> CurrentModifiers{0};
    std::atomic<int> HooksRunning{0};
};

// Empties every queue, clears the flags and current events and restores the
// default hooks.
void ResetQueues(EventQueues& q) {
    std::lock_guard lock(q.Mutex);
    q.Keys.clear();
    q.Mice.clear();
    q.Menus.clear();
    q.CurrentEvent = t_Event{};
    q.CurrentMouseEvent = t_Event{};
    q.MouseHook = Nothing;
    q.MenuHook = Nothing;
    q.PasteHook = RingBell;
    q.EventPending = false;
    q.MouseEventPending = false;
    q.MenuEventPending = false;
    q.LeftClick = false;
    q.RightClick = false;
    q.QuitRequest = false;
    q.CurrentModifiers = 0;
}

// Before a reset, no hook started by t_RunAsync may still run.
ProgramState<EventQueues> queues{ResetQueues, [] {
    while (queues->HooksRunning > 0) SleepMilliseconds(1);
}};

EventQueues& Queues() { return *queues; }

// Hooks are copied out under the lock and run without it, so that a hook
// may queue events itself.
EventHook CopyHook(EventHook EventQueues::*which) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    return q.*which;
}

void SetHook(EventHook EventQueues::*which, EventHook hook) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    q.*which = std::move(hook);
}

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
    if (EventHook hook = CopyHook(&EventQueues::PasteHook)) hook();
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

String KeyCharacter(Int value) {
    const bool scalar = value >= 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    return Utf8(scalar ? static_cast<char32_t>(value) : U'\0');
}

String ControlDescription(Int value) { return "Ctrl-" + KeyCharacter(value + 64); }

// --- modifiers ----------------------------------------------------------------

Int HostModifierFlags(const HostModifiers& m) {
    Int flags = 0;
    if (m.CapsLock) flags |= CapsLockFlag;
    if (m.Shift) flags |= ShiftFlag;
    if (m.Control) flags |= ControlFlag;
    if (m.AltGr) flags |= OptionFlag;
    if (m.Alt) flags |= CommandFlag;
    if (m.Keypad) flags |= NumericPadFlag;
    return flags;
}

void SetModifierFields(t_Event& e, Int flags) {
    e.Mods = (flags >> 16) & 0xFFFF;
    e.CapsLockPressed = (flags & CapsLockFlag) != 0;
    e.ShiftPressed = (flags & ShiftFlag) != 0;
    e.ControlPressed = (flags & ControlFlag) != 0;
    e.OptionPressed = (flags & OptionFlag) != 0;
    e.CommandPressed = (flags & CommandFlag) != 0;
    e.NumericPadPressed = (flags & NumericPadFlag) != 0;
    e.HelpPressed = (flags & HelpFlag) != 0;
}

void SetCurrentModifiers(const HostModifiers& modifiers) {
    Queues().CurrentModifiers = HostModifierFlags(modifiers);
}

HostModifiers CurrentModifiers() {
    const Int flags = Queues().CurrentModifiers;
    HostModifiers m;
    m.CapsLock = (flags & CapsLockFlag) != 0;
    m.Shift = (flags & ShiftFlag) != 0;
    m.Control = (flags & ControlFlag) != 0;
    m.AltGr = (flags & OptionFlag) != 0;
    m.Alt = (flags & CommandFlag) != 0;
    m.Keypad = (flags & NumericPadFlag) != 0;
    return m;
}

// --- keyboard queue -------------------------------------------------------------

void AppendKeyEvent(const t_Event& e) {
    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.Mutex);
        q.Keys.push_back(e);
        q.EventPending = true;
    }
    WakeProgram();
}

bool TakeKeyEvent(t_Event& out) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    if (q.Keys.empty()) {
        q.EventPending = false;
        return false;
    }
    q.CurrentEvent = std::move(q.Keys.front());
    q.Keys.pop_front();
    q.EventPending = !q.Keys.empty();
    out = q.CurrentEvent;
    return true;
}

std::size_t KeyQueueLength() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    return q.Keys.size();
}

std::optional<t_Event> NewestKeyEvent() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    if (q.Keys.empty()) return std::nullopt;
    return q.Keys.back();
}

std::vector<t_Event> PeekKeyEvents(std::size_t count) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    const std::size_t n = std::min(count, q.Keys.size());
    return std::vector<t_Event>(q.Keys.begin(), q.Keys.begin() + static_cast<std::ptrdiff_t>(n));
}

void ClearKeyQueue() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    q.Keys.clear();
    q.EventPending = false;
}

bool EventPendingFlag() { return Queues().EventPending; }

void SetEventPendingFromQueue() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    q.EventPending = !q.Keys.empty();
}

t_Event CurrentEvent() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    return q.CurrentEvent;
}

// --- mouse queue ------------------------------------------------------------------

bool TakeMouseEvent(UInt8 window, t_Event& out) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    for (auto it = q.Mice.begin(); it != q.Mice.end(); ++it) {
        if (it->Window != window) continue;
        q.CurrentMouseEvent = std::move(*it);
        q.Mice.erase(it);
        q.MouseEventPending = !q.Mice.empty();
        out = q.CurrentMouseEvent;
        return true;
    }
    return false;
}

std::size_t MouseQueueLength() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    return q.Mice.size();
}

bool MouseEventPendingFlag() { return Queues().MouseEventPending; }

t_Event CurrentMouseEvent() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    return q.CurrentMouseEvent;
}

bool LeftMouseClick() { return Queues().LeftClick; }
bool RightMouseClick() { return Queues().RightClick; }

void ClearMouseClicks() {
    Queues().LeftClick = false;
    Queues().RightClick = false;
}

void RequestProgramQuit() {
    Queues().QuitRequest = true;
    WakeProgram();
}

bool QuitRequestPending() { return Queues().QuitRequest; }

bool TakeQuitRequest() { return Queues().QuitRequest.exchange(false); }

// --- menu queue ---------------------------------------------------------------------

std::size_t MenuQueueLength() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    return q.Menus.size();
}

bool MenuEventPendingFlag() { return Queues().MenuEventPending; }

std::vector<t_MenuEvent> MenuEvents() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.Mutex);
    return q.Menus;
}

// --- hooks ----------------------------------------------------------------------------

void SetMouseHook(EventHook hook) { SetHook(&EventQueues::MouseHook, std::move(hook)); }
void SetMenuHook(EventHook hook) { SetHook(&EventQueues::MenuHook, std::move(hook)); }
void SetPasteHook(EventHook hook) { SetHook(&EventQueues::PasteHook, std::move(hook)); }

void t_RunAsync(std::function<void()> closure) {
    EventQueues& q = Queues();
    ++q.HooksRunning;
    auto body = [&q, closure = std::move(closure)] {
        if (closure) closure();
        --q.HooksRunning;
    };
    if (!CurrentPlatform().StartThread(HookStackSize, std::move(body))) {
        --q.HooksRunning;
        LogLine("t_RunAsync: Thread could not be started.");
    }
}

void t_EventMouse() {
    if (currentthreadnumber() >= 3) CurrentPlatform().SetCurrentThreadName("t_EventMouse");
    if (EventHook hook = CopyHook(&EventQueues::MouseHook)) hook();
}

void t_EventMenu() {
    if (currentthreadnumber() >= 3) CurrentPlatform().SetCurrentThreadName("t_EventMenu");
    if (EventHook hook = CopyHook(&EventQueues::MenuHook)) hook();
}

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

    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.Mutex);
        // Appended in one go so that keys the user types meanwhile cannot
        // end up in the middle of the text.
        for (Int code : codes) {
            t_Event e;
            e.Kind = 1;
            e.Description = code < 32 ? ControlDescription(code) : KeyCharacter(code);
            e.Value = code;
            e.Window = window;
            e.Time = now;
            q.Keys.push_back(std::move(e));
        }
        q.EventPending = true;
    }
    WakeProgram();
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
        EventQueues& q = Queues();
        {
            std::lock_guard lock(q.Mutex);
            q.Mice.push_back(std::move(e));
            q.MouseEventPending = true;
        }
        WakeProgram();
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
    EventQueues& q = Queues();
    q.LeftClick = !rightButton;
    q.RightClick = rightButton;
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
    {
        EventQueues& q = Queues();
        std::lock_guard lock(q.Mutex);
        q.Menus.push_back(std::move(e));
        q.MenuEventPending = true;
    }
    WakeProgram();
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
