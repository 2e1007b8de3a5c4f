// The Calculation file: the lines the writer makes, the lines the reader
// skips, and random Calculations through a real file and back.
#include "sheet/calculation_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "files/file_utilities.h"
#include "formula/function_table.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/exchange_text.h"
#include "test_support.h"

namespace {


class CalculationFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        SetLogToStdout(false);
        initoxtools();
        parser_InitFunctions();
    }
    static Int& Attributes(Int row, Int column) { return Calculation().CellAttributes.Edit(At(row, column)); }
    static std::size_t At(Int row, Int column) { return static_cast<std::size_t>(CellIndex(row, column)); }
    // Reads a file's text into a fresh Calculation.
    static void Load(const std::string& text) {
        ClearCalculation();
        CalculationFromText(text);
    }
};

// The writer emits widths, then every cell whose attributes are not the
// default, in reading order, each line ending in a carriage return.
TEST_F(CalculationFileTest, WriterEmitsWidthsAndCellsThatDifferFromEmpty) {
    ClearCalculation();
    EXPECT_EQ(S(CalculationToText()), "");
    CalculationState& c = Calculation();
    c.ColumnWidth[2] = 15;
    c.CellText.Set(At(1, 1), T("Hallo"));
    SetCellKind(Attributes(1, 1), CellKindText);
    EXPECT_EQ(S(CalculationToText()), "S2:15\rZ1S1:000000000000F002>Hallo\r");
    SetBackgroundColor(Attributes(4, 4), 14);
    c.CellFormula.Set(At(5, 2), T("=Z2S2*2"));
    c.CellText.Set(At(5, 2), T("4"));  // the value is not stored
    Attributes(5, 2) = 0x3F003;
    Attributes(999, 100) = -1;  // every bit of the word
    EXPECT_EQ(S(CalculationToText()),
              "S2:15\rZ1S1:000000000000F002>Hallo\rZ4S4:000000000000E000>\r"
              "Z5S2:000000000003F003>=Z2S2*2\rZ999S100:FFFFFFFFFFFFFFFF>\r");
}

// Lines the reader does not understand are skipped one by one; the rest
// still loads.
TEST_F(CalculationFileTest, ReaderSkipsWhatItDoesNotUnderstand) {
    Load(
        "S0:10\rS5:0\rS5:77\rS101:5\rZ1000S1:0000F002>a\rz1s1:0000F002>b\rX1:c\rohne Doppelpunkt\r\r"
        "Z1S1\rZ2S1:F002\rS3:76\rZ3S3:00000000000E000>\rZ4S4:0000f00gz>x\rZ5S5:>=1+2\rZ6S6:abc>>\r"
        "Z7S7:F002>Tab\tund ; Zeichen\n\rZ8S8:00000000000F00G2>y");
    const CalculationState& c = Calculation();
    for (Int column = 1; column <= 100; ++column)
        EXPECT_EQ(c.ColumnWidth[static_cast<std::size_t>(column)], column == 3 ? 76 : 9) << column;
    EXPECT_EQ(Attributes(1, 1), DefaultCellAttributes);
    EXPECT_EQ(Attributes(2, 1), DefaultCellAttributes);
    EXPECT_EQ(Attributes(3, 3), 0xE000);
    EXPECT_EQ(Attributes(4, 4), 0xF00);  // read up to the first character that is no digit
    EXPECT_EQ(Attributes(8, 8), 0xF00);  // also in a word of the usual sixteen characters
    EXPECT_EQ(std::pair(Attributes(5, 5), S(c.CellFormula.Get(At(5, 5)))), std::pair(Int{0}, std::string("=1+2")));
    EXPECT_EQ(std::pair(Attributes(6, 6), S(c.CellText[At(6, 6)])), std::pair(Int{0xABC}, std::string(">")));
    EXPECT_EQ(S(c.CellText[At(7, 7)]), "Tab\tund ; Zeichen\n");
    EXPECT_EQ(S(c.CellText[At(1, 1)]) + S(c.CellText[At(2, 1)]), "");
}

// The reader in parts says of a text what the whole-text check says, and
// stops at the first lines it is told to refuse.
TEST_F(CalculationFileTest, ReaderInPartsKnowsACalculationAndStops) {
    for (const std::string text : {"", " \r\n\t\r", "kein Inhalt\r", "Brief\rS3:20", "x\rZ1S1:F002>a\r\r", "S\r3:20"}) {
        ClearCalculation();
        CalculationReader reader(ValidUtf8);
        for (const char code : text) reader.Add(std::string_view(&code, 1));
        reader.Finish();
        EXPECT_EQ(reader.IsCalculation(), IsCalculationText(text)) << text;
    }
    ClearCalculation();
    CalculationReader reader([](std::string_view lines) { return lines.find("Z2") == std::string_view::npos; });
    reader.Add("Z1S1:F002>a\r");
    reader.Add("Z2S1:F002>b\rZ3");
    reader.Add("S1:F002>c\r");
    reader.Finish();
    EXPECT_TRUE(reader.Stopped());
    EXPECT_EQ(S(Calculation().CellText[At(1, 1)]) + S(Calculation().CellText[At(2, 1)]) +
                  S(Calculation().CellText[At(3, 1)]), "a");
}

// Random Calculations (every code a cell can hold, umlauts, ß, characters
// above 255, numbers, formulas, colours, formats, widths, and entries pasted
// with quotes, tabs and line ends) survive a save to a real file and a load.
TEST_F(CalculationFileTest, RandomCalculationsSurviveAFileRoundTrip) {
    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::string pieces[] = {"Größe",
                                  "ß",
                                  "Ä",
                                  "x",
                                  "1",
                                  ",5",
                                  "=",
                                  "+",
                                  " ",
                                  "\xFF",
                                  "\x7F",
                                  "\x1B"
                                  "20AC\x1D",
                                  "\x1B"
                                  "4E2D\x1D",
                                  "Z1S1",
                                  ">",
                                  ":",
                                  "S"};
    const std::string path = testing::TempDir() + "round-trip.calc";
    for (int round = 0; round < 20; ++round) {
        ClearCalculation();
        CalculationState& c = Calculation();
        for (Int column = 1; column <= 100; ++column)
            if (pick(4) == 0) c.ColumnWidth[static_cast<std::size_t>(column)] = 1 + pick(76);
        for (int n = 0; n < 300; ++n) {
            const auto at = static_cast<std::size_t>(pick(99'900));
            std::string entry;
            for (int k = pick(6); k > 0; --k) {
                // Any single code but the line ends, which no entry holds.
                const char code = static_cast<char>(pick(256));
                entry += pick(2) == 0 && code != '\r' && code != '\n' ? std::string(1, code) : pieces[pick(std::size(pieces))];
            }
            // A text never starts with "=": typed, it would be a formula.
            const bool formula = pick(3) == 0 || entry.starts_with('=');
            c.CellFormula.Set(at, formula ? T("=" + entry) : Text());
            c.CellText.Set(at, formula ? Text() : T(entry));
            c.CellAttributes.Set(at, pick(10) == 0 ? static_cast<Int>(random()) << 20 | pick(1 << 20)
                                                   : (pick(5) << 16) | (pick(16) << 12) | (pick(16) << 8) | pick(4));
        }
        // Pasted entries: quoted fields with tabs, line ends and quotes.
        c.CursorRow = 1 + pick(990), c.CursorColumn = 1 + pick(95);
        std::string paste;
        const std::string marks[] = {"\"", "\t", "\r", "\n", "\r\n", "\"\"", "=", "a", "\xC3\xA4", "\xE2\x82\xAC"};
        for (int k = 0; k < 60; ++k) paste += marks[pick(std::size(marks))];
        PasteCells(paste);
        const CalculationState saved = c;
        ASSERT_EQ(setstringtofile(CalculationFileText(CalculationToText()), path), 0);
        const std::string file = getstringfromfile(path);
        // Read in parts cut anywhere (inside a line, a line end or a
        // character), the file gives what it gives read whole.
        ClearCalculation();
        CalculationReader reader(ValidUtf8);
        for (std::size_t from = 0; from < file.size();) {
            const std::size_t part = std::min<std::size_t>(file.size() - from, pick(3) == 0 ? 1 + pick(3) : pick(400));
            reader.Add(std::string_view(file).substr(from, part));
            from += part;
        }
        reader.Finish();
        EXPECT_TRUE(!reader.Stopped() && reader.IsCalculation());
        const CalculationState parts = c;
        Load(file);
        EXPECT_EQ(LastFileEncoding(), "NSUTF8StringEncoding");
        EXPECT_TRUE(c.ColumnWidth == parts.ColumnWidth && c.CellText == parts.CellText &&
                    c.CellFormula == parts.CellFormula && c.CellAttributes == parts.CellAttributes) << round;
        ASSERT_EQ(c.ColumnWidth, saved.ColumnWidth) << round;
        for (std::size_t at = 0; at < c.CellText.size(); ++at) {
            // An untouched cell is not stored: it comes back empty.
            const bool stored = saved.CellAttributes[at] != DefaultCellAttributes;
            ASSERT_EQ(c.CellAttributes[at], saved.CellAttributes[at]) << round << " cell " << at;
            ASSERT_EQ(S(c.CellFormula.Get(at)), S(stored ? saved.CellFormula.Get(at) : Text())) << round << " cell " << at << " text " << S(saved.CellText[at]);
            // A formula's value is not stored; it is computed after loading.
            const bool text = stored && saved.CellFormula.Empty(at);
            ASSERT_EQ(c.CellText[at], text ? saved.CellText[at] : Text()) << round << " cell " << at;
        }
    }
}

// The file's characters: codes above 127 as two UTF-8 bytes, escaped
// characters as themselves, and back.
TEST_F(CalculationFileTest, CodesAndFileCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xE4\xDF", "aäß"},
        {"\x1B"
         "20AC\x1D",
         "€"},
        {"\x1B"
         "D800\x1D",
         "\x1B"
         "D800\x1D"},  // no character: kept as codes
        {"\x1B"
         "20A\x1D",
         "\x1B"
         "20A\x1D"},
        {"\x1B"
         "20ac\x1D",
         "\x1B"
         "20ac\x1D"},  // the program writes upper case
        {"\x1B"
         "00E4\x1D",
         "\x1B"
         "00E4\x1D"},  // below 256 the code itself is kept
    };
    for (const auto& [codes, file] : cases) {
        EXPECT_EQ(CalculationFileText(T(codes)), file) << file;
        EXPECT_EQ(S(CalculationCodes(file)), codes) << file;
    }
    EXPECT_EQ(S(CalculationCodes("\U0001F600")), "\x7F");  // beyond four digits
}

}  // namespace
