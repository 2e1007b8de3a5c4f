#include "app/key_script.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<ScriptStep> Steps(const std::string& script) {
    KeyScriptReader reader(script);
    std::vector<ScriptStep> steps;
    ScriptStep step;
    while (reader.Next(step)) steps.push_back(step);
    EXPECT_EQ(reader.Error(), "") << script;
    return steps;
}

// The codes the script's keys come to after the key translation.
std::vector<Int> Codes(const std::string& script) {
    std::vector<Int> codes;
    for (const ScriptStep& step : Steps(script)) {
        const KeyTranslation t = TranslateHostKey(step.Key);
        codes.push_back(t.Event ? t.Event->Value + (t.Event->CommandPressed ? 1000 : 0) : -1);
    }
    return codes;
}

TEST(KeyScript, KeysComeOutAsTheProgramCodes) {
    EXPECT_EQ(Codes("aZ ä€\n1"), (std::vector<Int>{'a', 'Z', ' ', 0xE4, 164, '1'}));
    EXPECT_EQ(Codes("^A^z^Ö^^^_^]^["), (std::vector<Int>{1, 26, 28, 30, 31, 29, 27}));
    EXPECT_EQ(Codes("{Esc}{Return}{Tab}{ShiftTab}{Backspace}{Delete}"), (std::vector<Int>{27, 13, 9, 20, 127, 7}));
    EXPECT_EQ(Codes("{Left}{Right}{Up}{Down}{Home}{End}{PageUp}{PageDown}"),
              (std::vector<Int>{8, 21, 11, 10, 2, 5, 18, 3}));
    EXPECT_EQ(Codes("{F1}{F12}{{{^}{Cmd-a}{Cmd- }"), (std::vector<Int>{129, 140, '{', '^', 1000 + 'a', 1000 + ' '}));
}

TEST(KeyScript, ActionsCarryTheirArguments) {
    const std::vector<ScriptStep> steps =
        Steps("{Click 12,7}{Open /tmp/a b.calc}{Screen s.txt}{Screenshot s.png}{Wait 25}{Click 121,80}{Wait 60000}");
    ASSERT_EQ(steps.size(), 7u);
    EXPECT_EQ(steps[0].Action, ScriptStep::Kind::Click);
    EXPECT_EQ(steps[0].Column * 100 + steps[0].Line, 1207);
    EXPECT_EQ(steps[1].Path, "/tmp/a b.calc");
    EXPECT_EQ(steps[2].Action, ScriptStep::Kind::Screen);
    EXPECT_EQ(steps[3].Action, ScriptStep::Kind::Screenshot);
    EXPECT_EQ(steps[4].Milliseconds, 25);
    EXPECT_EQ(steps[5].Column * 100 + steps[5].Line, 12180);
}

TEST(KeyScript, MistakesAreReportedWithTheGroupShownSafely) {
    // "" stands for "unknown" and the group itself: refused clicks and waits are unknown too.
    const char* const cases[][2] = {
        {"{Esc", "a { without its }"}, {"abc^", "a ^ at the end of the script"}, {"{Nonsense}", "unknown {Nonsense}"},
        {"ab{Bell\x07\xff\\ä}", "unknown {Bell\\x07\\xFF\\x5Cä}"}, {"{Click 1}", ""}, {"{Click 0,1}", ""}, {"{Click 122,1}", ""},
        {"{Click 9223372036854775807,9223372036854775807}", ""}, {"{Click 99999999999999999999,1}", ""}, {"{Wait x}", ""},
        {"{Wait -1}", ""}, {"{Wait 60001}", ""}, {"{Wait 12abc}", ""}, {"{F13}", ""}, {"{Open}", ""}, {"{Cmd-ab}", ""},
    };
    for (const auto& [script, error] : cases)
        EXPECT_EQ(CheckKeyScript(script), *error ? std::string(error) : "unknown " + std::string(script)) << script;
    // Keys before a mistake come out; nothing after it.
    KeyScriptReader reader("ab{Oops}c");
    ScriptStep step;
    int keys = 0;
    while (reader.Next(step)) ++keys;
    EXPECT_EQ(keys, 2);
    EXPECT_FALSE(reader.Next(step));
}

}  // namespace
