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

void AppendKeyEvents(std::vector<t_Event> events) {
    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.Mutex);
        for (t_Event& e : events) q.Keys.push_back(std::move(e));
        q.EventPending = true;
    }
    WakeProgram();
}

void AppendMouseEvent(t_Event e) {
    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.Mutex);
        q.Mice.push_back(std::move(e));
        q.MouseEventPending = true;
    }
    WakeProgram();
}

void AppendMenuEvent(t_MenuEvent e) {
    EventQueues& q = Queues();
    {
        std::lock_guard lock(q.Mutex);
        q.Menus.push_back(std::move(e));
        q.MenuEventPending = true;
    }
    WakeProgram();
}

void RecordClick(bool rightButton) {
    EventQueues& q = Queues();
    q.LeftClick = !rightButton;
    q.RightClick = rightButton;
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

void RunPasteHook() {
    if (EventHook hook = CopyHook(&EventQueues::PasteHook)) hook();
}

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

