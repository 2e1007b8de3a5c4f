#include "input/keys.h"

#include <string>

#include "platform/log.h"
#include "runtime/runtime_state.h"
#include "screen/text_output.h"
#include "screen/window.h"

namespace {

enum class Style { Plain, Control };

// Keys known by what they are.
struct SpecialKey {
    HostKeyName Name;
    Int Code;
    Style KeyStyle;
    bool CursorKey;
};
constexpr SpecialKey SpecialKeys[] = {
    {HostKeyName::Return, 13, Style::Control, false},
    {HostKeyName::Enter, 13, Style::Control, false},
    {HostKeyName::Tab, 9, Style::Control, false},
    {HostKeyName::Backtab, 20, Style::Control, false},
    {HostKeyName::Backspace, 127, Style::Plain, false},
    {HostKeyName::Delete, 7, Style::Control, false},
    {HostKeyName::Escape, 27, Style::Control, false},
    {HostKeyName::Clear, 27, Style::Control, false},
    {HostKeyName::Home, 2, Style::Control, true},
    {HostKeyName::PageUp, 18, Style::Control, true},
    {HostKeyName::End, 5, Style::Control, true},
    {HostKeyName::PageDown, 3, Style::Control, true},
    {HostKeyName::Left, 8, Style::Control, true},
    {HostKeyName::Right, 21, Style::Control, true},
    {HostKeyName::Down, 10, Style::Control, true},
    {HostKeyName::Up, 11, Style::Control, true},
    {HostKeyName::DeadCircumflex, 94, Style::Plain, false},
    {HostKeyName::DeadAcute, 180, Style::Plain, false},
    {HostKeyName::DeadGrave, 96, Style::Plain, false},
    {HostKeyName::DeadDiaeresis, 175, Style::Plain, false},
    {HostKeyName::DeadTilde, 126, Style::Plain, false},
    {HostKeyName::DeadOther, 0, Style::Control, false},
};

// Characters of the German keyboard's third level (AltGr here, Option on
// the original keyboard) that the program takes as codes of its own.
struct OptionCharacter {
    char32_t Character;
    Int Code;
};
constexpr OptionCharacter OptionCharacters[] = {
    {0x00E5, 176}, {0x201A, 168}, {0x2202, 173}, {0x0192, 130}, {0x00AA, 131}, {0x2248, 132},
    {0x221A, 253}, {0x222B, 222}, {0x2211, 221}, {0x20AC, 164}, {0x03A9, 128}, {0x2020, 189},
    {0x201C, 163}, {0x00BF, 166}, {0x2260, 172}, {0x2022, 184}, {0x2044, 129}, {0x03C0, 240},
    {0x220F, 208}, {0x00BA, 183}, {0x2206, 254}, {0x0153, 190}, {0x2018, 180}, {0x221E, 255},
    {0x2013, 154}, {0x2026, 191}, {0x2264, 197}, {0x2265, 198},
};

// Control with a key other than a letter, by the key's own character.
struct ControlSymbol {
    char32_t Symbol;
    Int Code;
};
constexpr ControlSymbol ControlSymbols[] = {
    {U'@', 0}, {U'[', 27}, {U'\\', 28}, {0x00D6, 28} /* Ö */, {U']', 29}, {U'^', 30}, {U'_', 31},
    // Undo and redo: the German keyboard's key where others have ], and that
    // key with Shift.
    {U'+', 29}, {U'*', 29}, {U'}', 29},
};

// Keypad digits 0-9 with Option (Alt or AltGr).
constexpr Int KeypadOptionCodes[10] = {216, 185, 178, 179, 170, 215, 186, 229, 230, 188};
// Control with keypad 7, 8, 9: the window's output goes nowhere (0), to
// standard output (2), or back to the window (1).
constexpr Int KeypadRedirectTargets[3] = {0, 2, 1};

// Keypad keys with Num Lock off report navigation keys; they are still the
// digit keys underneath.
struct KeypadNavigation {
    HostKeyName Name;
    int Digit;
};
constexpr KeypadNavigation KeypadNavigationKeys[] = {
    {HostKeyName::Insert, 0}, {HostKeyName::End, 1},   {HostKeyName::Down, 2}, {HostKeyName::PageDown, 3},
    {HostKeyName::Left, 4},   {HostKeyName::Clear, 5}, {HostKeyName::Right, 6}, {HostKeyName::Home, 7},
    {HostKeyName::Up, 8},     {HostKeyName::PageUp, 9},
};

char32_t UpperSymbol(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
}

// The digit of a keypad digit key, -1 for every other key.
int KeypadDigit(const HostKey& key) {
    if (!key.Modifiers.Keypad) return -1;
    if (key.Name == HostKeyName::Character)
        return key.Symbol >= U'0' && key.Symbol <= U'9' ? static_cast<int>(key.Symbol - U'0') : -1;
    for (const KeypadNavigation& k : KeypadNavigationKeys)
        if (k.Name == key.Name) return k.Digit;
    return -1;
}

t_Event KeyEvent(const HostKey& key, Int code, Style style) {
    t_Event e;
    e.Kind = 1;
    e.Index = key.Code;
    e.Description = style == Style::Control ? ControlDescription(code) : KeyCharacter(code);
    e.Value = code;
    e.Time = key.Time;
    SetModifierFields(e, HostModifierFlags(key.Modifiers));
    return e;
}

KeyTranslation Queue(t_Event e) { return KeyTranslation{std::move(e), std::nullopt}; }

std::optional<KeyTranslation> KeypadKey(const HostKey& key) {
    const int digit = KeypadDigit(key);
    if (digit < 0) return std::nullopt;
    const HostModifiers& m = key.Modifiers;
    const bool option = m.Alt || m.AltGr;
    if (option) return Queue(KeyEvent(key, KeypadOptionCodes[digit], Style::Plain));
    if (m.Control && digit >= 7) return KeyTranslation{std::nullopt, KeypadRedirectTargets[digit - 7]};
    return std::nullopt;
}

std::optional<KeyTranslation> NamedKey(const HostKey& key) {
    const HostModifiers& m = key.Modifiers;
    // The keys whose code depends on a modifier.
    if (key.Name == HostKeyName::Tab && m.Shift) return Queue(KeyEvent(key, 20, Style::Control));
    if (key.Name == HostKeyName::DeadAcute && m.Shift) return Queue(KeyEvent(key, 96, Style::Plain));
    if (key.Name == HostKeyName::DeadCircumflex && m.Control) return Queue(KeyEvent(key, 30, Style::Control));
    for (const SpecialKey& s : SpecialKeys) {
        if (s.Name != key.Name) continue;
        t_Event e = KeyEvent(key, s.Code, s.KeyStyle);
        e.CursorKeyPressed = s.CursorKey;
        return Queue(std::move(e));
    }
    return std::nullopt;
}

KeyTranslation FunctionKey(const HostKey& key) {
    // Codes stop at 255: F1 is 129, F127 the last one there is room for.
    if (key.FunctionNumber < 1 || key.FunctionNumber > 127) return {};
    t_Event e = KeyEvent(key, 128 + key.FunctionNumber, Style::Plain);
    e.Description = "F" + std::to_string(key.FunctionNumber);
    e.FunctionKeyPressed = true;
    return Queue(std::move(e));
}

// Control with a character key, by the key rather than by the text: hosts
// type the key's own character with Control for anything but ASCII letters.
std::optional<Int> ControlCode(const HostKey& key) {
    const char32_t symbol = UpperSymbol(key.Symbol);
    if (symbol == U'L' && key.Modifiers.AltGr) return 0;
    if (symbol >= U'A' && symbol <= U'Z') return static_cast<Int>(symbol - U'A' + 1);
    for (const ControlSymbol& c : ControlSymbols)
        if (c.Symbol == symbol) return c.Code;
    return std::nullopt;
}

std::optional<Int> OptionCode(char32_t ch, bool altGr) {
    for (const OptionCharacter& o : OptionCharacters) {
        if (o.Character != ch) continue;
        // Latin-1 characters of the table are taken as themselves unless
        // AltGr typed them; the others have no code of their own anyway.
        if (ch <= 255 && !altGr) return std::nullopt;
        return o.Code;
    }
    return std::nullopt;
}

KeyTranslation CharacterKey(const HostKey& key) {
    if (key.Modifiers.Control) {
        if (const std::optional<Int> code = ControlCode(key)) return Queue(KeyEvent(key, *code, Style::Control));
    }
    const std::u32string typed = Scalars(key.Text);
    // A key that types nothing (and is no dead key) is none of the
    // program's keys.
    if (typed.empty()) return {};
    const char32_t ch = typed.front();
    if (const std::optional<Int> code = OptionCode(ch, key.Modifiers.AltGr))
        return Queue(KeyEvent(key, *code, Style::Plain));
    if (ch > 255) return {};
    const Int code = static_cast<Int>(ch);
    return Queue(KeyEvent(key, code, code < 32 ? Style::Control : Style::Plain));
}

}  // namespace

KeyTranslation TranslateHostKey(const HostKey& key) {
    if (std::optional<KeyTranslation> keypad = KeypadKey(key)) return *keypad;
    if (std::optional<KeyTranslation> named = NamedKey(key)) return *named;
    switch (key.Name) {
        case HostKeyName::Function: return FunctionKey(key);
        case HostKeyName::Character: return CharacterKey(key);
        default: return {};
    }
}

void t_KeyEventHandler(UInt8 w, const HostKey& key) {
    if (!Runtime().MemoryInitialized) return;
    if (!WindowReady(w)) {
        LogLine("viewKeyDown: Graphic window (" + std::to_string(w) + ") not initialized.");
        return;
    }
    if (Screen().WindowTable[w].IgnoreEvents) return;
    KeyTranslation translation = TranslateHostKey(key);
    if (translation.RedirectTarget) t_RedirectOutput(w, *translation.RedirectTarget);
    if (!translation.Event) return;
    translation.Event->Window = w;
    AppendKeyEvent(*translation.Event);
}
