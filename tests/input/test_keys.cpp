// Key translation from host keys to program codes, and the view's key-down path.
#include <set>

#include "input/keys.h"
#include "runtime/charset.h"
#include "runtime_fixture.h"
#include "screen/window.h"
#include "test_fonts.h"

namespace {

using N = HostKeyName;

// mods: S Shift, C Control, A Alt, G AltGr, K keypad, L Caps Lock.
HostKey Key(N name, std::string_view mods = "", std::string text = "", char32_t symbol = 0, int function = 0) {
    HostKey k{name, symbol, function, std::move(text), {}};
    HostModifiers& m = k.Modifiers;
    for (char c : mods)
        (c == 'S' ? m.Shift : c == 'C' ? m.Control : c == 'A' ? m.Alt : c == 'G' ? m.AltGr : c == 'K' ? m.Keypad : m.CapsLock) = true;
    return k;
}
HostKey Char(std::string text, char32_t symbol = 0, std::string_view mods = "") { return Key(N::Character, mods, text, symbol); }
HostKey F(int number) { return Key(N::Function, "", "", 0, number); }

// What a key comes to in one line: "value description" (with "cursor" or
// "function" for such keys), "redirect N", or "nothing".
std::string Outcome(const HostKey& key) {
    const KeyTranslation t = TranslateHostKey(key);
    if (t.RedirectTarget) return std::string(t.Event ? "event and " : "") + "redirect " + std::to_string(*t.RedirectTarget);
    if (!t.Event) return "nothing";
    const t_Event& e = *t.Event;
    return std::to_string(e.Value) + " " + e.Description + (e.CursorKeyPressed ? " cursor" : "") +
           (e.FunctionKeyPressed ? " function" : "") + (e.Kind == 1 ? "" : " not a key event");
}

TEST(KeyTranslation, EachKindOfKeyAndPropertiesAcrossKeys) {
    const std::pair<HostKey, std::string> cases[] = {
        {Char("a", 'A'), "97 a"}, {Char("a", 'A', "A"), "97 a"},  // Alt leaves letters alone (macros use it)
        {Char("\x01"), "1 Ctrl-A"}, {Char("1", '1', "C"), "49 1"},  // control text without a key; Ctrl with a digit
        {Char("ö", 0xD6, "C"), "28 Ctrl-\\"}, {Char("]", ']', "C"), "29 Ctrl-]"}, {Char("\x0c", 'L', "CG"), "0 Ctrl-@"},
        {Key(N::Left), "8 Ctrl-H cursor"}, {Key(N::Up, "K"), "11 Ctrl-K cursor"},  // keypad 8 without Num Lock
        {Key(N::Return), "13 Ctrl-M"}, {Key(N::Backspace), "127 \x7f"}, {Key(N::Delete), "7 Ctrl-G"}, {Key(N::Clear), "27 Ctrl-["},
        {Key(N::Tab), "9 Ctrl-I"}, {Key(N::Tab, "S"), "20 Ctrl-T"}, {Key(N::Backtab, "S"), "20 Ctrl-T"},
        {Key(N::DeadCircumflex), "94 ^"}, {Key(N::DeadAcute, "S"), "96 `"},
        {F(1), "129 F1 function"}, {F(127), "255 F127 function"}, {F(0), "nothing"}, {F(128), "nothing"},
        {Char("€", 'E', "G"), "164 ¤"}, {Char("€"), "164 ¤"}, {Char("å", 'A', "G"), "176 °"}, {Char("å"), "229 å"}, {Char("ÿ"), "255 ÿ"},
        {Char("7", '7', "KA"), "229 å"}, {Char("7", '7', "K"), "55 7"}, {Char("8", '8', "CKA"), "230 æ"},
        {Char("7", '7', "CK"), "redirect 0"}, {Key(N::Up, "CK"), "redirect 2"}, {Char("9", '9', "CK"), "redirect 1"},
        {Char("6", '6', "CK"), "54 6"},
        {Char("ā"), "nothing"}, {Char(""), "nothing"}, {Key(N::None, "S"), "nothing"}, {Key(N::Insert), "nothing"},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(Outcome(cases[row].first), cases[row].second) << "row " << row;
    for (char32_t letter = 'A'; letter <= 'Z'; ++letter)  // by the key, whatever the text or the symbol's case
        EXPECT_EQ(Outcome(Char(std::string(1, char(letter + 32)), letter + letter % 2 * 32, "CS")),
                  std::to_string(letter - 'A' + 1) + " Ctrl-" + char(letter));
    // Keys that type a control code give what Control with its character gives.
    EXPECT_EQ(Outcome(Key(N::Escape)), Outcome(Char("[", '[', "C")));
    EXPECT_EQ(Outcome(Key(N::Enter, "K")), Outcome(Key(N::Return)));
    EXPECT_EQ(Outcome(Char("\\", '\\', "C")), Outcome(Char("ö", 0xD6, "C")));
    EXPECT_EQ(Outcome(Key(N::DeadCircumflex, "C")), Outcome(Char("^", '^', "C")));
    std::set<std::string> cursorKeys;
    for (N name : {N::Left, N::Right, N::Up, N::Down, N::Home, N::End, N::PageUp, N::PageDown})
        EXPECT_TRUE(cursorKeys.insert(Outcome(Key(name, "C"))).first->ends_with(" cursor"));
    EXPECT_EQ(cursorKeys.size(), 8u);
    // Option with the keypad digits types superscript digits, also with Num
    // Lock off, when the keys report what they do without it.
    const N numLockOff[] = {N::Insert, N::End, N::Down, N::PageDown, N::Left, N::Clear, N::Right, N::Home, N::Up, N::PageUp};
    const char* superscripts[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
    for (char d = '0'; d <= '9'; ++d)
        for (const char* mods : {"KA", "KG"}) {
            const std::string digit = Outcome(Char({d}, d, mods));
            EXPECT_TRUE(digit.ends_with(" " + t_ConvertUniCode(superscripts[d - '0']).Converted)) << digit;
            EXPECT_EQ(Outcome(Key(numLockOff[d - '0'], mods)), digit);
        }
}

class KeyDownTest : public RuntimeTest {};

TEST_F(KeyDownTest, QueuesForReadyWindowsAndRedirectsWithControlKeypad) {
    LogCapture log;
    t_KeyEventHandler(0, Char("x", 'X'));  // runtime not initialised: silent
    EXPECT_EQ(log.Text(), "");
    t_InitWindow(2, 24, false, 121 * 8, 50 * 16, 8, 8, CellFont(), true);
    t_KeyEventHandler(1, Char("x", 'X'));
    EXPECT_TRUE(log.Contains("viewKeyDown: Graphic window (1) not initialized."));
    t_KeyEventHandler(2, Char("中"));
    t_KeyEventHandler(2, Char("8", '8', "CK"));
    EXPECT_EQ(Screen().WindowTable[2].TextRedirectOutput, 2);
    EXPECT_FALSE(EventPendingFlag());
    HostKey x = Char("x", 'X', "SGK");
    std::tie(x.Code, x.Time) = std::tuple(0x01000015, 123456789);
    t_KeyEventHandler(2, x);
    t_Event e;
    ASSERT_TRUE(TakeKeyEvent(e));
    EXPECT_EQ(std::tuple(e.Value, e.Window, e.Index, e.Time), std::tuple(Int{'x'}, UInt8{2}, Int{0x01000015}, Int{123456789}));
    EXPECT_TRUE(e.ShiftPressed && e.OptionPressed && e.NumericPadPressed && !e.ControlPressed && !e.CommandPressed);
    EXPECT_FALSE(EventPendingFlag());
    Screen().WindowTable[2].IgnoreEvents = true;
    t_KeyEventHandler(2, Char("x", 'X'));
    EXPECT_EQ(KeyQueueLength(), 0u);
}

}  // namespace
