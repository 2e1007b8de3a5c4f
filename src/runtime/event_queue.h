// Keyboard, mouse and menu events: the three queues between the host's
// GUI thread and the program thread, and the hooks the program installs.
//
// The host side only appends (and sets the pending flags); the program side
// takes from the front and recomputes the flags from the queue lengths. The
// queues are guarded by one mutex, the flags are atomic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "runtime/text.h"
#include "runtime/types.h"

// One input event: Kind 1 keyboard, 2 mouse (4 file events, kept elsewhere).
struct t_Event {
    Int Kind = 0;
    Int Index = 0;            // keys: host key code; mouse: pressed-buttons mask
    String Description;       // keys: "a", "Ctrl-C", "F5", ...
    Int Value = 0;            // keys: the program code
    Int WindowX = 0;          // mouse: host window coordinates, origin bottom left
    Int WindowY = 0;
    Int ClickX = 0;           // mouse: pixels from the drawing area's top left, or -1 / -2
    Int ClickY = 0;
    Int Mods = 0;             // host modifier flag word shifted right 16 bits
    UInt8 Window = 0;
    Int Time = 0;             // milliseconds on the platform clock
    bool CloseBox = false;
    bool CapsLockPressed = false;
    bool ShiftPressed = false;
    bool ControlPressed = false;
    bool OptionPressed = false;
    bool CommandPressed = false;
    bool NumericPadPressed = false;
    bool HelpPressed = false;
    bool FnPressed = false;
    bool CursorKeyPressed = false;
    bool FunctionKeyPressed = false;
};

// One choice from the host menu bar.
struct t_MenuEvent {
    Int Kind = 0;             // 3, or 0 for an item that belongs to no menu
    String MenuTitle;
    String ItemTitle;
    String ItemKeyChar;
    std::uint64_t ItemKeyMods = 0;
    Int ItemKeyAsc = 0;       // first scalar of ItemKeyChar, 0 when it has none
    Int ItemAction = 0;       // the item's tag
    Int Time = 0;
};

// The modifier keys as a Linux host reports them. Alt is the command
// modifier (macros); AltGr plays the part of Option.
struct HostModifiers {
    bool Shift = false;
    bool Control = false;
    bool Alt = false;
    bool AltGr = false;
    bool Keypad = false;    // the key sits on the numeric keypad
    bool CapsLock = false;
};

// Bit positions of the host-like modifier flag word (the low 16 bits of
// Mods hold bits 16-31 of it).
inline constexpr Int CapsLockFlag = Int{1} << 16;
inline constexpr Int ShiftFlag = Int{1} << 17;
inline constexpr Int ControlFlag = Int{1} << 18;
inline constexpr Int OptionFlag = Int{1} << 19;
inline constexpr Int CommandFlag = Int{1} << 20;
inline constexpr Int NumericPadFlag = Int{1} << 21;
inline constexpr Int HelpFlag = Int{1} << 22;
inline constexpr Int FnFlag = Int{1} << 23;

// The flag word of a set of modifiers. PC keyboards report neither Help
// nor Fn, so bits 22 and 23 stay clear.
Int HostModifierFlags(const HostModifiers& modifiers);
// Fills Mods and the modifier Bools of an event from a flag word.
void SetModifierFields(t_Event& event, Int flags);

// The one-character string of a key code; U+0000 for values that are no
// Unicode scalar.
String KeyCharacter(Int value);
// The description of a key in control style: "Ctrl-" and the character of
// value + 64 (3 gives "Ctrl-C").
String ControlDescription(Int value);

// A host menu item as the menu bar hands it over.
struct HostMenuItem {
    bool HasMenu = true;      // false: Kind 0 and every text empty
    String MenuTitle;
    String ItemTitle;
    String KeyEquivalent;
    std::uint64_t KeyModifierMask = 0;
    Int Tag = 0;
};

// --- queues -----------------------------------------------------------------

// Host side: appends a key and sets EventPending.
void AppendKeyEvent(const t_Event& e);
// Program side: removes the oldest key into out and CurrentEvent and sets
// EventPending from what is left. False (and EventPending false) when the
// queue is empty.
bool TakeKeyEvent(t_Event& out);
std::size_t KeyQueueLength();
std::optional<t_Event> NewestKeyEvent();
// Copies of the oldest queued keys (at most count), left in the queue.
std::vector<t_Event> PeekKeyEvents(std::size_t count);
// Discards every queued key and recomputes EventPending.
void ClearKeyQueue();
bool EventPendingFlag();
void SetEventPendingFromQueue();
// The key most recently taken (program thread).
t_Event CurrentEvent();

// Removes the oldest mouse event of that window into out and
// CurrentMouseEvent and sets MouseEventPending from what is left.
bool TakeMouseEvent(UInt8 window, t_Event& out);
std::size_t MouseQueueLength();
bool MouseEventPendingFlag();
t_Event CurrentMouseEvent();
// Whether the last click that reached a view was a left or a right click.
bool LeftMouseClick();
bool RightMouseClick();
// The right button's release clears both click records.
void ClearMouseClicks();

std::size_t MenuQueueLength();
bool MenuEventPendingFlag();
// A copy of the menu queue, oldest first; the runtime never removes from it.
std::vector<t_MenuEvent> MenuEvents();

// The modifiers as the views' modifier-change handler last saw them.
void SetCurrentModifiers(const HostModifiers& modifiers);
HostModifiers CurrentModifiers();

// Host side: appends keys in one go (keys typed meanwhile cannot end up
// among them), a click, a menu choice; each sets its pending flag.
void AppendKeyEvents(std::vector<t_Event> events);
void AppendMouseEvent(t_Event e);
void AppendMenuEvent(t_MenuEvent e);
// Records whether the last click that reached a view was a right click.
void RecordClick(bool rightButton);

// The close box of the program's window, or the host's Quit, while work is
// unsaved: the program runs its quit command at its next key wait.
void RequestProgramQuit();
bool QuitRequestPending();
// True once for each request.
bool TakeQuitRequest();

// --- hooks ------------------------------------------------------------------

using EventHook = std::function<void()>;
// Rings the host's bell, on its GUI thread.
void RingBell();
// Run after a mouse event and after an unhandled menu choice; both default
// to doing nothing. The paste hook defaults to the bell.
void SetMouseHook(EventHook hook);
void SetMenuHook(EventHook hook);
void SetPasteHook(EventHook hook);
// Runs the paste hook on the calling thread (the menu bar's Paste).
void RunPasteHook();

// Starts the closure on a thread of its own (524,288-byte stack).
void t_RunAsync(std::function<void()> closure);
// Bodies of the hook threads: name the thread, run the hook.
void t_EventMouse();
void t_EventMenu();

