#include "app/key_script.h"

#include <gtest/gtest.h>

namespace {

// The codes the script's keys come to after the key translation.
std::vector<Int> Codes(const std::string& script) {
    const ParsedScript parsed = ParseKeyScript(script);
    EXPECT_EQ(parsed.Error, "") << script;
    std::vector<Int> codes;
    for (const ScriptStep& step : parsed.Steps) {
        if (step.Action != ScriptStep::Kind::Key) continue;
        const KeyTranslation t = TranslateHostKey(step.Key);
        codes.push_back(t.Event ? t.Event->Value : -1);
    }
    return codes;
}

TEST(KeyScript, KeysComeOutAsTheProgramCodes) {
    EXPECT_EQ(Codes("aZ ä€\n1"), (std::vector<Int>{'a', 'Z', ' ', 0xE4, 164, '1'}));
    EXPECT_EQ(Codes("^A^z^Ö^^^_^]^["), (std::vector<Int>{1, 26, 28, 30, 31, 29, 27}));
    EXPECT_EQ(Codes("{Esc}{Return}{Tab}{ShiftTab}{Backspace}{Delete}"), (std::vector<Int>{27, 13, 9, 20, 127, 7}));
    EXPECT_EQ(Codes("{Left}{Right}{Up}{Down}{Home}{End}{PageUp}{PageDown}"),
              (std::vector<Int>{8, 21, 11, 10, 2, 5, 18, 3}));
    EXPECT_EQ(Codes("{F1}{F12}{{{^}"), (std::vector<Int>{129, 140, '{', '^'}));
    const ParsedScript cmd = ParseKeyScript("{Cmd-a}");
    ASSERT_EQ(cmd.Steps.size(), 1u);
    const KeyTranslation t = TranslateHostKey(cmd.Steps[0].Key);
    ASSERT_TRUE(t.Event.has_value());
    EXPECT_EQ(t.Event->Value, 'a');
    EXPECT_TRUE(t.Event->CommandPressed);
}

TEST(KeyScript, ActionsCarryTheirArguments) {
    const ParsedScript parsed = ParseKeyScript("{Click 12,7}{Open /tmp/a b.calc}{Screen s.txt}{Screenshot s.png}{Wait 25}");
    ASSERT_EQ(parsed.Error, "");
    ASSERT_EQ(parsed.Steps.size(), 5u);
    EXPECT_EQ(parsed.Steps[0].Action, ScriptStep::Kind::Click);
    EXPECT_EQ(parsed.Steps[0].Column, 12);
    EXPECT_EQ(parsed.Steps[0].Line, 7);
    EXPECT_EQ(parsed.Steps[1].Path, "/tmp/a b.calc");
    EXPECT_EQ(parsed.Steps[2].Action, ScriptStep::Kind::Screen);
    EXPECT_EQ(parsed.Steps[3].Action, ScriptStep::Kind::Screenshot);
    EXPECT_EQ(parsed.Steps[4].Milliseconds, 25);
}

TEST(KeyScript, MistakesAreReported) {
    for (const char* bad : {"{Esc", "{Nonsense}", "{Click 1}", "{Wait x}", "{F13}", "{Open}", "abc^", "{Cmd-ab}"})
        EXPECT_NE(ParseKeyScript(bad).Error, "") << bad;
}

}  // namespace
