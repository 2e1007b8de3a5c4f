// Unicode into the program's codes and its line-drawing codes out again.
#include "runtime/charset.h"

#include <gtest/gtest.h>

#include "platform/log.h"

namespace {

String Code(int c) { return Utf8(static_cast<char32_t>(c)); }

TEST(Charset, ConvertsComposedTextAndLogsWhatHasNoCode) {
    LogCapture log;
    // Latin-1 stays, composition comes first, line ends become returns, some get codes or spellings.
    EXPECT_EQ(t_ConvertUniCode("ÿu\u0308\n€Æœ").Converted, Code(255) + Code(252) + Code(13) + Code(164) + "Aeoe");
    EXPECT_EQ(t_ConvertUniCode("„x“ ‘y’").Converted, "\"x\" `y" + Code(180));  // typographic quotes
    const ConvertResult r = t_ConvertUniCode("\u0100中b😀");
    EXPECT_EQ(r.Converted, Code(127) + Code(127) + "b" + Code(127));
    EXPECT_EQ(r.LastUnmapped, 0x1F600u);
    EXPECT_EQ(log.Lines().at(1), "t_ConvertUniCode: Missing Unicode 中 = 20013");
    EXPECT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(t_ConvertUniCode("ok").LastUnmapped, 0u);
}

TEST(Charset, ExportReplacesOnlyTheLineDrawingCodes) {
    String all;
    for (int c = 1; c <= 300; ++c) all += Code(c);
    const std::u32string out = Scalars(t_ExportText(all));
    ASSERT_EQ(out.size(), 300u);
    for (int c = 1; c <= 300; ++c)
        EXPECT_TRUE(c < 127 || c > 160 ? out[c - 1] == char32_t(c) : out[c - 1] < 127 || out[c - 1] == 0x2FD) << c;
    EXPECT_EQ(t_ExportText(Code(138) + Code(140) + Code(159) + Code(160)), "|-=\u02FD");  // rules and the visible blank
}

TEST(Text, Utf8RoundTripsAndRepairsBadInput) {
    const std::u32string scalars = U"a\u007F\u0080ä\u07FF\u0800€\uFFFF\U00010000😀\U0010FFFF";
    EXPECT_EQ(Scalars(Utf8(scalars)), scalars);
    EXPECT_EQ(Scalars("\xFF" "\xE0\x80\x80" "\xED\xA0\x80" "b\xC3"), std::u32string(7, 0xFFFD) + U"b\uFFFD");
    EXPECT_EQ(Utf8(char32_t{0xD800}) + Utf8(char32_t{0x110000}), "\uFFFD\uFFFD");
    EXPECT_EQ(TextToString(Text{'A', 0xE4, 138}), "Aä\u008A");
}

}  // namespace
