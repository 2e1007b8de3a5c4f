#include "runtime/charset.h"

#include <gtest/gtest.h>

#include "platform/log.h"

namespace {

String Code(int c) { return Utf8(static_cast<char32_t>(c)); }

TEST(Charset, ConvertsTheTableAndComposesFirst) {
    struct Case {
        String input;
        String expected;
    };
    const Case cases[] = {
        {"a\nb", "a" + Code(13) + "b"},
        {"Æsop æ Ø", "Aesop ae 0"},
        {"Œuvre œ", "Oeuvre oe"},
        {"€ π µ ˚", Code(164) + " " + Code(240) + " " + Code(181) + " " + Code(176)},
        {"– —", "- " + Code(154)},
        {"‘’‚“”„", Code(96) + Code(180) + Code(180) + Code(34) + Code(34) + Code(34)},
        {"†•…‹›", Code(189) + Code(184) + Code(191) + "<>"},
        {"⁰⁴⁵⁶⁷⁸⁹", Code(216) + Code(170) + Code(215) + Code(186) + Code(229) + Code(230) + Code(188)},
        {"™∆∈∏∑√∞∫≠≤≥", Code(168) + Code(254) + Code(161) + Code(208) + Code(221) + Code(253) + Code(255) +
                           Code(222) + Code(173) + Code(197) + Code(198)},
        {"u\u0308ber", Code(252) + "ber"},  // decomposed umlaut
        {"ÿ", Code(255)},
    };
    for (const Case& c : cases) {
        const ConvertResult r = t_ConvertUniCode(c.input);
        EXPECT_EQ(r.Converted, c.expected) << c.input;
        EXPECT_EQ(r.LastUnmapped, 0u) << c.input;
    }
}

TEST(Charset, UnmappedCharactersBecome127AndAreLogged) {
    LogCapture log;
    SetLogToStdout(false);
    const ConvertResult r = t_ConvertUniCode("a中b😀");
    SetLogToStdout(true);
    EXPECT_EQ(r.Converted, "a" + Code(127) + "b" + Code(127));
    EXPECT_EQ(r.LastUnmapped, 0x1F600u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_ConvertUniCode: Missing Unicode 中 = 20013",
                                                     "t_ConvertUniCode: Missing Unicode 😀 = 128512"}));
}

TEST(Charset, ExportReplacesLineDrawingCodes) {
    String input;
    for (int c = 126; c <= 161; ++c) input += Code(c);
    EXPECT_EQ(t_ExportText(input), "~#*#<=>O++++||--++++++++++++--||+=\u02FD" + Code(161));
    EXPECT_EQ(t_ExportText("ä€x"), "ä€x");
}

TEST(Text, Utf8RoundTripsAndRepairsBadInput) {
    EXPECT_EQ(Scalars("aä€😀"), (std::u32string{U'a', U'ä', U'€', U'😀'}));
    EXPECT_EQ(Utf8(U"aä€😀"), "aä€😀");
    EXPECT_EQ(Scalars("a\xFF" "b\xC3"), (std::u32string{U'a', 0xFFFD, U'b', 0xFFFD}));
    EXPECT_EQ(Scalars("\xE0\x80\x80"), (std::u32string{0xFFFD, 0xFFFD, 0xFFFD}));  // overlong
    EXPECT_EQ(Scalars("\xED\xA0\x80").front(), 0xFFFDu);                           // surrogate
    EXPECT_EQ(ScalarCount("Grüße"), 5u);
    EXPECT_EQ(TextToString(Text{'A', 0xE4, 138}), "Aä\u008A");
}

}  // namespace
