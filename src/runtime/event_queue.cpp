#include "runtime/event_queue.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <utility>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "runtime/event_wait.h"
#include "runtime/program.h"

namespace {

constexpr std::size_t HookStackSize = 524'288;

void Nothing() {}

// Everything the host side and the program side share. The queues, the
// current events and the hooks are guarded by mutex; the flags are atomic
// so that the waiting loops can poll them without taking the lock.
struct EventQueues {
    std::mutex mutex;
    std::deque<t_Event> keys;
    std::deque<t_Event> mice;
    std::vector<t_MenuEvent> menus;
    t_Event currentEvent;
    t_Event currentMouseEvent;
    EventHook mouseHook = Nothing;
    EventHook menuHook = Nothing;
    EventHook pasteHook = RingBell;

    std::atomic<bool> eventPending{false};
    std::atomic<bool> mouseEventPending{false};
    std::atomic<bool> menuEventPending{false};
    std::atomic<bool> leftClick{false};
    std::atomic<bool> rightClick{false};
    std::atomic<bool> quitRequest{false};
    std::atomic<Int> currentModifiers{0};
    std::atomic<int> hooksRunning{0};
};

// Empties every queue, clears the flags and current events and restores the
// default hooks.
void ResetQueues(EventQueues& q) {
    std::lock_guard lock(q.mutex);
    q.keys.clear();
    q.mice.clear();
    q.menus.clear();
    q.currentEvent = t_Event{};
    q.currentMouseEvent = t_Event{};
    q.mouseHook = Nothing;
    q.menuHook = Nothing;
    q.pasteHook = RingBell;
    q.eventPending = false;
    q.mouseEventPending = false;
    q.menuEventPending = false;
    q.leftClick = false;
    q.rightClick = false;
    q.quitRequest = false;
    q.currentModifiers = 0;
}

// Before a reset, no hook started by t_RunAsync may still run.
ProgramState<EventQueues> queues{ResetQueues, [] {
    while (queues->hooksRunning > 0) SleepMilliseconds(1);
}};

EventQueues& Queues() { return *queues; }

// Hooks are copied out under the lock and run without it, so that a hook
// may queue events itself.
EventHook CopyHook(EventHook EventQueues::*which) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    return q.*which;
}

void SetHook(EventHook EventQueues::*which, EventHook hook) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    q.*which = std::move(hook);
}

}  // namespace

void RingBell() {
    Platform& p = CurrentPlatform();
    p.RunOnGui([&p] { p.Bell(); });
}

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
    Queues().currentModifiers = HostModifierFlags(modifiers);
}

HostModifiers CurrentModifiers() {
    const Int flags = Queues().currentModifiers;
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
        std::lock_guard lock(q.mutex);
        q.keys.push_back(e);
        q.eventPending = true;
    }
    WakeProgram();
}

void AppendKeyEvents(std::vector<t_Event> events) {
    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.mutex);
        for (t_Event& e : events) q.keys.push_back(std::move(e));
        q.eventPending = true;
    }
    WakeProgram();
}

void AppendMouseEvent(t_Event e) {
    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.mutex);
        q.mice.push_back(std::move(e));
        q.mouseEventPending = true;
    }
    WakeProgram();
}

void AppendMenuEvent(t_MenuEvent e) {
    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.mutex);
        q.menus.push_back(std::move(e));
        q.menuEventPending = true;
    }
    WakeProgram();
}

void RecordClick(bool rightButton) {
    EventQueues& q = Queues();
    q.leftClick = !rightButton;
    q.rightClick = rightButton;
}

bool TakeKeyEvent(t_Event& out) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    if (q.keys.empty()) {
        q.eventPending = false;
        return false;
    }
    q.currentEvent = std::move(q.keys.front());
    q.keys.pop_front();
    q.eventPending = !q.keys.empty();
    out = q.currentEvent;
    return true;
}

std::size_t KeyQueueLength() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    return q.keys.size();
}

std::optional<t_Event> NewestKeyEvent() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    if (q.keys.empty()) return std::nullopt;
    return q.keys.back();
}

std::vector<t_Event> PeekKeyEvents(std::size_t count) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    const std::size_t n = std::min(count, q.keys.size());
    return std::vector<t_Event>(q.keys.begin(), q.keys.begin() + static_cast<std::ptrdiff_t>(n));
}

void ClearKeyQueue() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    q.keys.clear();
    q.eventPending = false;
}

bool EventPendingFlag() { return Queues().eventPending; }

void SetEventPendingFromQueue() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    q.eventPending = !q.keys.empty();
}

t_Event CurrentEvent() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    return q.currentEvent;
}

// --- mouse queue ------------------------------------------------------------------

bool TakeMouseEvent(UInt8 window, t_Event& out) {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    for (auto it = q.mice.begin(); it != q.mice.end(); ++it) {
        if (it->Window != window) continue;
        q.currentMouseEvent = std::move(*it);
        q.mice.erase(it);
        q.mouseEventPending = !q.mice.empty();
        out = q.currentMouseEvent;
        return true;
    }
    return false;
}

std::size_t MouseQueueLength() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    return q.mice.size();
}

bool MouseEventPendingFlag() { return Queues().mouseEventPending; }

t_Event CurrentMouseEvent() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    return q.currentMouseEvent;
}

bool LeftMouseClick() { return Queues().leftClick; }
bool RightMouseClick() { return Queues().rightClick; }

void ClearMouseClicks() {
    Queues().leftClick = false;
    Queues().rightClick = false;
}

void RequestProgramQuit() {
    Queues().quitRequest = true;
    WakeProgram();
}

bool QuitRequestPending() { return Queues().quitRequest; }

bool TakeQuitRequest() { return Queues().quitRequest.exchange(false); }

// --- menu queue ---------------------------------------------------------------------

std::size_t MenuQueueLength() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    return q.menus.size();
}

bool MenuEventPendingFlag() { return Queues().menuEventPending; }

std::vector<t_MenuEvent> MenuEvents() {
    EventQueues& q = Queues();
    std::lock_guard lock(q.mutex);
    return q.menus;
}

// --- hooks ----------------------------------------------------------------------------

void SetMouseHook(EventHook hook) { SetHook(&EventQueues::mouseHook, std::move(hook)); }
void SetMenuHook(EventHook hook) { SetHook(&EventQueues::menuHook, std::move(hook)); }
void SetPasteHook(EventHook hook) { SetHook(&EventQueues::pasteHook, std::move(hook)); }

void RunPasteHook() {
    if (EventHook hook = CopyHook(&EventQueues::pasteHook)) hook();
}

void t_RunAsync(std::function<void()> closure) {
    EventQueues& q = Queues();
    ++q.hooksRunning;
    auto body = [&q, closure = std::move(closure)] {
        if (closure) closure();
        --q.hooksRunning;
    };
    if (!CurrentPlatform().StartThread(HookStackSize, std::move(body))) {
        --q.hooksRunning;
        LogLine("t_RunAsync: Thread could not be started.");
    }
}

void t_EventMouse() {
    if (currentthreadnumber() >= 3) CurrentPlatform().SetCurrentThreadName("t_EventMouse");
    if (EventHook hook = CopyHook(&EventQueues::mouseHook)) hook();
}

void t_EventMenu() {
    if (currentthreadnumber() >= 3) CurrentPlatform().SetCurrentThreadName("t_EventMenu");
    if (EventHook hook = CopyHook(&EventQueues::menuHook)) hook();
}

