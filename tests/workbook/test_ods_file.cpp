// OpenDocument spreadsheets: ours read back by us and by Gnumeric, Gnumeric's
// read by us, and the repeats a stranger's file can use to look endless.
#include "workbook/ods_file.h"

#include "workbook/interop_support.h"
#include "workbook/zip_archive.h"

namespace {

class OdsTest : public WorkbookTest {
public:
    static std::string Document(const std::string& table) {
        std::string error;
        return WriteZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                         {"content.xml",
                          "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                          "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>" +
                              table + "</office:spreadsheet></office:body></office:document-content>"}},
                        error)
            .value_or("");
    }
};

TEST_F(OdsTest, OursComesBackWhole) { ExpectRoundTrip(*this, "a.ods"); }

// Gnumeric reads our ods: the values it computes, and the widths and
// texts it finds (seen through the xlsx it writes of it).
TEST_F(OdsTest, GnumericReadsOurs) {
    SKIP_WITHOUT(HaveSsconvert(), "gnumeric (ssconvert)");
    EnterPairFormulas();
    Calculation().ColumnWidth[2] = 25;
    std::vector<std::pair<Int, Int>> valuesOnly;
    const std::string path = Export("pairs.ods", &valuesOnly);
    EXPECT_TRUE(valuesOnly.empty()) << ValuesOnlyText(valuesOnly);
    const auto theirs = GnumericValues(path, Path("pairs.tsv"));
    for (const auto& [name, value] : OurValues()) ExpectSameValue(name, value, theirs.count(name) ? theirs.at(name) : "(none)");
    EXPECT_EQ(theirs.size(), OurValues().size());
    SKIP_WITHOUT(HaveOpenpyxl(), "python3-openpyxl");
    ClearCalculation();
    EnterSample();
    ASSERT_EQ(Run("ssconvert '" + Export("sample.ods") + "' '" + Path("sample.xlsx") + "'").first, 0);
    const ForeignSheet sheet = OpenpyxlRead(Path("sample.xlsx"));
    EXPECT_EQ(sheet.Cells.at("A1").Value, "Grüße aus Köln €");
    EXPECT_EQ(sheet.Cells.at("D4").Value, "  zwei  Blanks");
    EXPECT_EQ(sheet.Cells.at("C1").Entry, "=B1*2+SIN(B1)");
    EXPECT_EQ(sheet.Cells.at("B1").Fill, "FFFFFF00");
    EXPECT_EQ(ColumnWidthFromForeign(sheet.Widths.at("A")), 20);
    EXPECT_EQ(ColumnWidthFromForeign(sheet.Widths.at("C")), 4);
}

TEST_F(OdsTest, GnumericsOdsComesIn) {
    SKIP_WITHOUT(HaveOpenpyxl() && HaveSsconvert(), "python3-openpyxl and gnumeric");
    ASSERT_EQ(Run(Python() + " " TABRONA_INTEROP " make '" + Path("theirs.xlsx") + "'").first, 0);
    ASSERT_EQ(Run("ssconvert '" + Path("theirs.xlsx") + "' '" + Path("gnumeric.ods") + "'").first, 0);
    std::string error;
    SheetTable read;
    ASSERT_TRUE(Import(Path("gnumeric.ods"), error, &read)) << error;
    EXPECT_EQ(read.CellsLeftOut, 2);
    EXPECT_EQ(FormulaAt(1, 3), "=Z1S1*2+Sin(Z1S1)");
    EXPECT_EQ(FormulaAt(2, 2), "=\"x\"+Z1S2");
    EXPECT_EQ(Calculation().ColumnWidth[2], 20);
    EXPECT_EQ(DisplayFormat(AttributesAt(1, 2)), DisplayFormatCentered);
    EXPECT_EQ(BackgroundColor(AttributesAt(1, 1)), 13);
    auto theirs = GnumericValues(Path("gnumeric.ods"), Path("gnumeric.tsv"));
    theirs.erase("A2000");
    theirs.erase("DP1");
    theirs.erase("B4");  // an error on both sides, each in its words
    theirs["E3"] = theirs["E3"] == "TRUE" ? "1" : theirs["E3"];
    std::map<std::string, std::string> ours = OurValues();
    ours.erase("B4");
    for (const auto& [name, value] : ours) ExpectSameValue(name, value, theirs.count(name) ? theirs.at(name) : "(none)");
    EXPECT_EQ(ours.size(), theirs.size());
}

// Repeats make a file look endless: rows and cells repeated a billion
// times are counted by arithmetic, and the sheet holds what fits.
TEST_F(OdsTest, RepeatsAreCountedNotWalked) {
    SheetTable table;
    std::string error;
    ASSERT_TRUE(OdsToTable(Document("<table:table><table:table-row table:number-rows-repeated=\"998\">"
                                    "<table:table-cell table:number-columns-repeated=\"16384\"/></table:table-row>"
                                    "<table:table-row table:number-rows-repeated=\"1000000000\">"
                                    "<table:table-cell table:number-columns-repeated=\"99\"/>"
                                    "<table:table-cell office:value-type=\"float\" office:value=\"7\" "
                                    "table:number-columns-repeated=\"3\"><text:p>7</text:p></table:table-cell>"
                                    "</table:table-row></table:table><table:table><table:table-row><table:table-cell "
                                    "office:value-type=\"string\"><text:p>zweite</text:p></table:table-cell>"
                                    "</table:table-row></table:table>"),
                           table, error))
        << error;
    ASSERT_EQ(table.Cells.size(), 1u);  // the second table is not read
    EXPECT_EQ(table.Cells[0].Row, 999);
    EXPECT_EQ(table.Cells[0].Column, 100);
    EXPECT_EQ(table.CellsLeftOut, 2 + Int{3} * (1000000000 - 1));
    EXPECT_EQ(table.LastRow, 998 + Int{1000000000});
    EXPECT_EQ(table.LastColumn, 102);
    for (const std::string& bad : {std::string("PK"), Document("<table:table><table:table-row>"),
                                   Document("<!DOCTYPE a><table:table/>")}) {
        SheetTable none;
        EXPECT_FALSE(OdsToTable(bad, none, error)) << bad.substr(0, 40);
        EXPECT_TRUE(none.Cells.empty());
    }
}

}  // namespace
