// Key translation: from a key as a Linux desktop reports it (which key,
// what it typed, which modifiers were held) to the program's 8-bit key code
// and the keyboard event queued for the program thread.
#pragma once

#include <cstdint>
#include <optional>

#include "input/events.h"
#include "runtime/text.h"
#include "runtime/types.h"

// The keys that are told apart by what they are rather than by what they
// type. Every key that types text (letters, digits, punctuation, keypad
// digits while Num Lock is on) is a Character key.
enum class HostKeyName : std::uint8_t {
    Character,
    Return,
    Enter,       // keypad Enter
    Tab,
    Backtab,     // Shift-Tab
    Backspace,
    Delete,      // forward delete
    Escape,
    Clear,       // keypad 5 with Num Lock off
    Insert,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    Function,    // F1, F2, ...: FunctionNumber
    DeadCircumflex,
    DeadAcute,
    DeadGrave,
    DeadDiaeresis,
    DeadTilde,
    DeadOther,   // any other dead key
    None,        // modifier keys alone, media keys: no event
};

// One key press. A Qt host fills it from a QKeyEvent: Name from key(),
// Symbol = key() for character keys (Qt's key values of such keys are the
// upper-case character on the key: 'A', 0xD6 for Ö, '\\', ']', ...), Text =
// text(), the modifiers from modifiers() (GroupSwitchModifier is AltGr,
// KeypadModifier is Keypad), Code = nativeScanCode() or key().
struct HostKey {
    HostKeyName Name = HostKeyName::Character;
    char32_t Symbol = 0;       // character keys: the key's own character, upper case; 0 when unknown
    int FunctionNumber = 0;    // Function keys: 1 for F1
    String Text;               // what the key typed, UTF-8; empty for keys that type nothing
    HostModifiers Modifiers;
    Int Code = 0;              // the host's key code, kept in the event's Index
    Int Time = 0;              // milliseconds on the platform clock
};

// What a key press comes to: a keyboard event, a change of a window's
// output target (Control with keypad 7, 8, 9), or nothing.
struct KeyTranslation {
    std::optional<t_Event> Event;     // Window is left 0
    std::optional<Int> RedirectTarget;
};

// The translation itself, without any state.
KeyTranslation TranslateHostKey(const HostKey& key);

// The view's key-down: the window checks, then the translated key is queued
// (or the window's output redirected).
void t_KeyEventHandler(UInt8 w, const HostKey& key);
