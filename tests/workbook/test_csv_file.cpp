// German CSV out, whatever CSV in, and the batch mode's tab text.
#include "workbook/csv_file.h"

#include "workbook/workbook_fixture.h"

namespace {

class CsvTest : public WorkbookTest {
protected:
    static SheetTable Read(const std::string& bytes) {
        SheetTable table;
        std::string error;
        EXPECT_TRUE(CsvToTable(bytes, table, error)) << error;
        return table;
    }
    // "row,column kind shown" of every cell.
    static std::string Cells(const SheetTable& table) {
        std::string out;
        for (const TableCell& c : table.Cells)
            out += std::to_string(c.Row) + "," + std::to_string(c.Column) + (c.Kind == CellKindNumber ? " Z " : " T ") +
                   CalculationFileText(c.Shown) + "|";
        return out;
    }
};

TEST_F(CsvTest, WritesGermanCsvAndPlainTabText) {
    Enter(1, 1, "Grüße");
    Enter(1, 3, "2,5");
    Enter(2, 2, "=Z1S3*2");
    Enter(4, 1, "a;b \"c\"");
    Calculation().CellAttributes.Set(static_cast<std::size_t>(CellIndex(3, 5)), 0xE000);  // colour only
    RecalculateCells();
    const SheetTable table = TableFromCalculation();
    // Every CSV row as wide as the widest, so that ";" stands in each line.
    EXPECT_EQ(CsvFromTable(table), "\xEF\xBB\xBFGrüße;;2,5\r\n;5;\r\n;;\r\n\"a;b \"\"c\"\"\";;\r\n");
    EXPECT_EQ(TabTextFromTable(table), "Grüße\t\t2,5\n\t5\n\na;b \"c\"\n");
    // Read back as written, also where a comma could split every line alike (found by fuzzing).
    const std::string shapes[] = {"a;1,5\r\n2,5\r\n", "\xEF\xBB\xBFName;\"x\"\"\";1.2345\r\n\",0\"\r\n",
                                  "1.23,\n\r4\t", "\xEF\xBB\xBF" "2.234,\n\"M\xFC\r\n"};
    for (const std::string& csv : shapes) EXPECT_EQ(Cells(Read(CsvFromTable(Read(csv)))), Cells(Read(csv))) << csv;
    ClearCalculation();
    EXPECT_EQ(TabTextFromTable(TableFromCalculation()), "");
}

TEST_F(CsvTest, FindsSeparatorsQuotesAndNumbers) {
    EXPECT_EQ(Cells(Read("\xEF\xBB\xBFName;Betrag\r\n\"Mül;ler\";1.234,50\r\n")),
              "1,1 T Name|1,2 T Betrag|2,1 T Mül;ler|2,2 Z 1234,5|");
    EXPECT_EQ(Cells(Read("a,b,c\n1.5,\"x,\"\"y\"\"\",-2\n")), "1,1 T a|1,2 T b|1,3 T c|2,1 Z 1,5|2,2 T x,\"y\"|2,3 Z -2|");
    EXPECT_EQ(Cells(Read("a\tb;c\td\n")), "1,1 T a|1,2 T b;c|1,3 T d|");
    EXPECT_EQ(Cells(Read("12,5\r\n-3\r\n")), "1,1 Z 12,5|2,1 Z -3|");  // one column, decimal commas
    EXPECT_EQ(Cells(Read("1,5;2,5\n3;4\n")), "1,1 Z 1,5|1,2 Z 2,5|2,1 Z 3|2,2 Z 4|");
    EXPECT_EQ(Cells(Read("\"zwei\r\nZeilen\";x")), "1,1 T zwei Zeilen|1,2 T x|");
    const std::pair<const char*, const char*> numbers[] = {
        {"12,5", "Z 12,5"}, {"-0,25", "Z -0,25"}, {"1.234.567", "Z 1234567"}, {"1.5", "Z 1,5"}, {"0", "Z 0"},
        {"1,5e-05", "Z 1,5e-05"}, {"1E+20", "Z 1e+20"}, {"01234", "T 01234"}, {"+5", "T +5"}, {"1.23.4", "T 1.23.4"},
{"1 000", "T 1 000"}, {"-", "T -"}, {"3 Äpfel", "T 3 Äpfel"}, {"1e999", "T 1e999"},
    };
    for (const auto& [field, cell] : numbers) EXPECT_EQ(Cells(Read(field)), std::string("1,1 ") + cell + "|") << field;
}

TEST_F(CsvTest, ReadsEveryEncodingItMeetsAndNoBinary) {
    std::string encoding;
    EXPECT_EQ(DecodedText("Gr\xFC\xDF" "e \x80", encoding), "Grüße €");
    EXPECT_EQ(encoding, "Windows-1252");
    EXPECT_EQ(DecodedText("\xEF\xBB\xBFGrüße", encoding), "Grüße");
    EXPECT_EQ(encoding, "UTF-8");
    EXPECT_EQ(DecodedText(std::string("\xFF\xFE" "a\0\xFC\0", 6), encoding), "aü");
    EXPECT_EQ(DecodedText("\x81\x8D\x9D" "a", encoding), "\u0081\u008D\u009Da");
    SheetTable table;
    std::string error;
    // Zero bytes outside UTF-16, also after its byte-order mark with an odd count (found by fuzzing).
    for (const std::string& bytes : {std::string("a\0b", 3), std::string("\xFE\xFF\xFF\ra\x15\0\n1", 9)})
        EXPECT_TRUE(!CsvToTable(bytes, table, error) && error == "not a text file") << error;
    EXPECT_EQ(Cells(Read("Gr\xFC\xDF" "e;\x80")), "1,1 T Grüße|1,2 T €|");
}

// Beyond 999 rows and 100 columns cells are counted, not kept.
TEST_F(CsvTest, ALargeSheetIsCutAndCounted) {
    std::string csv;
    for (int row = 1; row <= 1005; ++row) csv += std::to_string(row) + std::string(102, ';') + "x\r\n";
    const SheetTable table = Read(csv);
    EXPECT_EQ(table.Cells.size(), 999u);
    EXPECT_EQ(table.CellsLeftOut, 6 + 1005);
    EXPECT_EQ(table.LastRow, 1005);
    EXPECT_EQ(table.LastColumn, 103);
    EXPECT_EQ(LeftOutText(table), "1011 Zellen weggelassen (bis Zeile 1005, Spalte 103)");
}

}  // namespace
