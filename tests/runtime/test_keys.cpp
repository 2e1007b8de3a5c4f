// Key translation from host keys to program codes, and the view's key-down
// path that queues them.
#include <optional>
#include <string>
#include <vector>

#include "platform/log.h"
#include "runtime/events.h"
#include "runtime/font.h"
#include "runtime/keys.h"
#include "runtime/memory.h"
#include "runtime/window.h"
#include "runtime_fixture.h"
#include "test_fonts.h"

namespace {

using N = HostKeyName;

HostModifiers Mods(std::string_view which) {
    HostModifiers m;
    for (char c : which) {
        switch (c) {
            case 'S': m.Shift = true; break;
            case 'C': m.Control = true; break;
            case 'A': m.Alt = true; break;
            case 'G': m.AltGr = true; break;
            case 'K': m.Keypad = true; break;
            case 'L': m.CapsLock = true; break;
            default: ADD_FAILURE() << "unknown modifier " << c;
        }
    }
    return m;
}

HostKey Typed(const std::string& text, char32_t symbol = 0, std::string_view mods = "") {
    HostKey k;
    k.Name = N::Character;
    k.Symbol = symbol;
    k.Text = text;
    k.Modifiers = Mods(mods);
    return k;
}

HostKey Named(HostKeyName name, std::string_view mods = "") {
    HostKey k;
    k.Name = name;
    k.Modifiers = Mods(mods);
    return k;
}

HostKey Function(int number) {
    HostKey k = Named(N::Function);
    k.FunctionNumber = number;
    return k;
}

struct KeyCase {
    const char* what;
    HostKey key;
    Int value;
    std::string description;
    bool cursorKey = false;
    bool functionKey = false;
};

void ExpectKey(const KeyCase& c) {
    SCOPED_TRACE(c.what);
    const KeyTranslation t = TranslateHostKey(c.key);
    EXPECT_FALSE(t.RedirectTarget.has_value());
    ASSERT_TRUE(t.Event.has_value());
    const t_Event& e = *t.Event;
    EXPECT_EQ(e.Kind, 1);
    EXPECT_EQ(e.Value, c.value);
    EXPECT_EQ(e.Description, c.description);
    EXPECT_EQ(e.CursorKeyPressed, c.cursorKey);
    EXPECT_EQ(e.FunctionKeyPressed, c.functionKey);
}

TEST(KeyTranslation, PrintableAndControlKeys) {
    const std::vector<KeyCase> cases = {
        {"a", Typed("a", 'A'), 97, "a"},
        {"Shift-A", Typed("A", 'A', "S"), 65, "A"},
        {"e acute from the input method", Typed("é"), 233, "é"},
        {"Ctrl-C with the control character", Typed("\x03", 'C', "C"), 3, "Ctrl-C"},
        {"Ctrl-C by the key even when the text is the letter", Typed("c", 'C', "C"), 3, "Ctrl-C"},
        {"Ctrl-Shift-Z", Typed("\x1a", 'Z', "CS"), 26, "Ctrl-Z"},
        {"Ctrl-A with a lower-case symbol", Typed("a", 'a', "C"), 1, "Ctrl-A"},
        {"Ctrl-Ö", Typed("ö", 0xD6, "C"), 28, "Ctrl-\\"},
        {"Ctrl-Backslash", Typed("\\", '\\', "C"), 28, "Ctrl-\\"},
        {"Ctrl-]", Typed("]", ']', "C"), 29, "Ctrl-]"},
        {"Ctrl-^", Typed("^", '^', "C"), 30, "Ctrl-^"},
        {"Ctrl-_", Typed("_", '_', "C"), 31, "Ctrl-_"},
        {"Ctrl-[", Typed("[", '[', "C"), 27, "Ctrl-["},
        {"Ctrl-AltGr-L", Typed("\x0c", 'L', "CG"), 0, "Ctrl-@"},
        {"Ctrl with a digit types the digit", Typed("1", '1', "C"), 49, "1"},
        {"control character without a known key", Typed("\x01"), 1, "Ctrl-A"},
        {"Alt-a (macros)", Typed("a", 'A', "A"), 97, "a"},
    };
    for (const KeyCase& c : cases) ExpectKey(c);
}

TEST(KeyTranslation, NamedKeys) {
    const std::vector<KeyCase> cases = {
        {"Left", Named(N::Left), 8, "Ctrl-H", true},
        {"Right", Named(N::Right), 21, "Ctrl-U", true},
        {"Up", Named(N::Up), 11, "Ctrl-K", true},
        {"Down", Named(N::Down), 10, "Ctrl-J", true},
        {"Home", Named(N::Home), 2, "Ctrl-B", true},
        {"End", Named(N::End), 5, "Ctrl-E", true},
        {"Page Up", Named(N::PageUp), 18, "Ctrl-R", true},
        {"Page Down", Named(N::PageDown), 3, "Ctrl-C", true},
        {"forward delete", Named(N::Delete), 7, "Ctrl-G"},
        {"Backspace", Named(N::Backspace), 127, "\x7f"},
        {"Return", Named(N::Return), 13, "Ctrl-M"},
        {"keypad Enter", Named(N::Enter, "K"), 13, "Ctrl-M"},
        {"Esc", Named(N::Escape), 27, "Ctrl-["},
        {"keypad Clear", Named(N::Clear), 27, "Ctrl-["},
        {"Tab", Named(N::Tab), 9, "Ctrl-I"},
        {"Shift-Tab", Named(N::Backtab, "S"), 20, "Ctrl-T"},
        {"Tab with Shift", Named(N::Tab, "S"), 20, "Ctrl-T"},
        {"Ctrl-Left is still Left", Named(N::Left, "C"), 8, "Ctrl-H", true},
        {"keypad Up without Num Lock", Named(N::Up, "K"), 11, "Ctrl-K", true},
        {"F1", Function(1), 129, "F1", false, true},
        {"F5", Function(5), 133, "F5", false, true},
        {"F12", Function(12), 140, "F12", false, true},
        {"circumflex dead key", Named(N::DeadCircumflex), 94, "^"},
        {"Ctrl with the circumflex dead key", Named(N::DeadCircumflex, "C"), 30, "Ctrl-^"},
        {"acute dead key", Named(N::DeadAcute), 180, "´"},
        {"acute dead key with Shift", Named(N::DeadAcute, "S"), 96, "`"},
        {"grave dead key", Named(N::DeadGrave), 96, "`"},
        {"diaeresis dead key", Named(N::DeadDiaeresis), 175, "¯"},
        {"tilde dead key", Named(N::DeadTilde), 126, "~"},
        {"other dead key", Named(N::DeadOther), 0, "Ctrl-@"},
    };
    for (const KeyCase& c : cases) ExpectKey(c);
}

TEST(KeyTranslation, AltGrCharactersTakeTheOptionCodes) {
    const std::vector<KeyCase> cases = {
        {"AltGr-E euro", Typed("€", 'E', "G"), 164, "¤"},
        {"euro from elsewhere", Typed("€"), 164, "¤"},
        {"pi", Typed("π", 'P', "G"), 240, "ð"},
        {"n-ary product", Typed("∏", 'P', "GS"), 208, "Ð"},
        {"less or equal", Typed("≤", '<', "G"), 197, "Å"},
        {"greater or equal", Typed("≥", '>', "GS"), 198, "Æ"},
        {"infinity", Typed("∞", ',', "G"), 255, "ÿ"},
        {"ellipsis", Typed("…", '.', "G"), 191, "¿"},
        {"en dash", Typed("–", '-', "G"), 154, "\xc2\x9a"},
        {"square root", Typed("√", 'V', "G"), 253, "ý"},
        {"a ring with AltGr", Typed("å", 'A', "G"), 176, "°"},
        {"a ring typed plainly is itself", Typed("å"), 229, "å"},
        {"AltGr-Q at sign", Typed("@", 'Q', "G"), 64, "@"},
        {"AltGr-M micro sign", Typed("µ", 'M', "G"), 181, "µ"},
    };
    for (const KeyCase& c : cases) ExpectKey(c);
}

TEST(KeyTranslation, KeysWithoutEvent) {
    const std::vector<std::pair<const char*, HostKey>> cases = {
        {"a macron (U+0101)", Typed("ā")},
        {"CJK character", Typed("中")},
        {"last character below the function keys", Typed("\xef\x9c\x83")},  // U+F703
        {"function-key character typed as text", Typed("\xef\x9c\x84")},  // U+F704
        {"emoji", Typed("😀")},
        {"key that types nothing", Typed("", 0)},
        {"modifier key alone", Named(N::None, "S")},
        {"Insert", Named(N::Insert)},
        {"function number 0", Function(0)},
        {"function number beyond code 255", Function(128)},
    };
    for (const auto& [what, key] : cases) {
        SCOPED_TRACE(what);
        const KeyTranslation t = TranslateHostKey(key);
        EXPECT_FALSE(t.Event.has_value());
        EXPECT_FALSE(t.RedirectTarget.has_value());
    }
}

TEST(KeyTranslation, KeypadDigits) {
    const Int optionCodes[10] = {216, 185, 178, 179, 170, 215, 186, 229, 230, 188};
    for (int d = 0; d <= 9; ++d) {
        SCOPED_TRACE(d);
        const std::string digit(1, static_cast<char>('0' + d));
        for (const char* option : {"KA", "KG"}) {
            const KeyTranslation t = TranslateHostKey(Typed(digit, static_cast<char32_t>('0' + d), option));
            ASSERT_TRUE(t.Event.has_value());
            EXPECT_EQ(t.Event->Value, optionCodes[d]);
            EXPECT_TRUE(t.Event->NumericPadPressed);
        }
        // Without a modifier the keypad types its digit.
        const KeyTranslation plain = TranslateHostKey(Typed(digit, static_cast<char32_t>('0' + d), "K"));
        ASSERT_TRUE(plain.Event.has_value());
        EXPECT_EQ(plain.Event->Value, '0' + d);
    }
    // With Num Lock off the same keys report navigation keys.
    const KeyTranslation home7 = TranslateHostKey(Named(N::Home, "KA"));
    ASSERT_TRUE(home7.Event.has_value());
    EXPECT_EQ(home7.Event->Value, 229);
    const KeyTranslation clear5 = TranslateHostKey(Named(N::Clear, "KA"));
    ASSERT_TRUE(clear5.Event.has_value());
    EXPECT_EQ(clear5.Event->Value, 215);
}

TEST(KeyTranslation, ControlWithKeypadSevenEightNineRedirectsOutput) {
    struct RedirectCase {
        const char* what;
        HostKey key;
        Int target;
    };
    const std::vector<RedirectCase> cases = {
        {"keypad 7", Typed("7", '7', "CK"), 0},
        {"keypad 8", Typed("8", '8', "CK"), 2},
        {"keypad 9", Typed("9", '9', "CK"), 1},
        {"keypad 8 without Num Lock", Named(N::Up, "CK"), 2},
        {"keypad 9 without Num Lock", Named(N::PageUp, "CK"), 1},
    };
    for (const RedirectCase& c : cases) {
        SCOPED_TRACE(c.what);
        const KeyTranslation t = TranslateHostKey(c.key);
        EXPECT_FALSE(t.Event.has_value());
        ASSERT_TRUE(t.RedirectTarget.has_value());
        EXPECT_EQ(*t.RedirectTarget, c.target);
    }
    // The digits of the main keyboard and keypad 6 do not redirect.
    EXPECT_FALSE(TranslateHostKey(Typed("8", '8', "C")).RedirectTarget.has_value());
    EXPECT_FALSE(TranslateHostKey(Typed("6", '6', "CK")).RedirectTarget.has_value());
    // Option wins over Control.
    const KeyTranslation both = TranslateHostKey(Typed("8", '8', "CKA"));
    EXPECT_FALSE(both.RedirectTarget.has_value());
    ASSERT_TRUE(both.Event.has_value());
    EXPECT_EQ(both.Event->Value, 230);
}

TEST(KeyTranslation, ModifierFlagsAndHostFields) {
    struct ModCase {
        const char* mods;
        Int bits;
    };
    const std::vector<ModCase> cases = {
        {"", 0}, {"L", 1}, {"S", 2}, {"C", 4}, {"G", 8}, {"A", 16}, {"K", 32}, {"LSCGAK", 63},
    };
    for (const ModCase& c : cases) {
        SCOPED_TRACE(c.mods);
        HostKey key = Named(N::Down, c.mods);
        key.Code = 0x01000015;
        key.Time = 123456789;
        const KeyTranslation t = TranslateHostKey(key);
        ASSERT_TRUE(t.Event.has_value());
        const t_Event& e = *t.Event;
        EXPECT_EQ(e.Mods, c.bits);
        EXPECT_EQ(e.CapsLockPressed, (c.bits & 1) != 0);
        EXPECT_EQ(e.ShiftPressed, (c.bits & 2) != 0);
        EXPECT_EQ(e.ControlPressed, (c.bits & 4) != 0);
        EXPECT_EQ(e.OptionPressed, (c.bits & 8) != 0);
        EXPECT_EQ(e.CommandPressed, (c.bits & 16) != 0);
        EXPECT_EQ(e.NumericPadPressed, (c.bits & 32) != 0);
        EXPECT_FALSE(e.HelpPressed);
        EXPECT_FALSE(e.FnPressed);
        EXPECT_EQ(e.Index, 0x01000015);
        EXPECT_EQ(e.Time, 123456789);
        EXPECT_EQ(e.WindowX, 0);
        EXPECT_EQ(e.ClickX, 0);
        EXPECT_FALSE(e.CloseBox);
    }
}

// --- the key-down path --------------------------------------------------------

// The log without the auto-update thread's lines, which arrive whenever
// that thread gets to run.
std::vector<std::string> Lines(const LogCapture& log) {
    std::vector<std::string> lines;
    for (const std::string& l : log.Lines())
        if (l.rfind("t_WindowAutoUpdateProcess:", 0) != 0) lines.push_back(l);
    return lines;
}

class KeyDownTest : public RuntimeTest {
protected:
    static void OpenWindow(UInt8 w) {
        t_InitWindow(w, 24, false, 121 * 8, 50 * 16, 8, 8, CellFont(), true);
        ASSERT_TRUE(WindowReady(w));
    }
};

TEST_F(KeyDownTest, QueuesTheTranslatedKeyForItsWindow) {
    OpenWindow(0);
    OpenWindow(2);
    t_KeyEventHandler(2, Typed("x", 'X'));
    EXPECT_TRUE(EventPendingFlag());
    t_Event e;
    ASSERT_TRUE(TakeKeyEvent(e));
    EXPECT_EQ(e.Value, 'x');
    EXPECT_EQ(e.Window, 2);
    EXPECT_FALSE(EventPendingFlag());
}

TEST_F(KeyDownTest, DropsKeysBeforeInitialisationForUnreadyAndIgnoringWindows) {
    LogCapture log;
    t_KeyEventHandler(0, Typed("x", 'X'));  // runtime not initialised: silent
    EXPECT_TRUE(Lines(log).empty());
    OpenWindow(0);
    log.Clear();
    t_KeyEventHandler(1, Typed("x", 'X'));
    EXPECT_EQ(Lines(log), std::vector<std::string>{"viewKeyDown: Graphic window (1) not initialized."});
    Screen().WindowTable[0].IgnoreEvents = true;
    t_KeyEventHandler(0, Typed("x", 'X'));
    EXPECT_EQ(KeyQueueLength(), 0u);
    EXPECT_FALSE(EventPendingFlag());
}

TEST_F(KeyDownTest, ControlKeypadRedirectsTheWindowAndQueuesNothing) {
    OpenWindow(0);
    t_KeyEventHandler(0, Typed("8", '8', "CK"));
    EXPECT_EQ(Screen().WindowTable[0].TextRedirectOutput, 2);
    t_KeyEventHandler(0, Typed("7", '7', "CK"));
    EXPECT_EQ(Screen().WindowTable[0].TextRedirectOutput, 0);
    t_KeyEventHandler(0, Typed("9", '9', "CK"));
    EXPECT_EQ(Screen().WindowTable[0].TextRedirectOutput, 1);
    EXPECT_EQ(KeyQueueLength(), 0u);
    EXPECT_FALSE(EventPendingFlag());
}

TEST_F(KeyDownTest, UnmappedCharactersQueueNothing) {
    OpenWindow(0);
    t_KeyEventHandler(0, Typed("中"));
    EXPECT_EQ(KeyQueueLength(), 0u);
    EXPECT_FALSE(EventPendingFlag());
}

}  // namespace
