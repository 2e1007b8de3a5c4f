// Excel workbooks: ours read back by us, by openpyxl and by Gnumeric; theirs
// read by us; and the bounds of a stranger's file.
#include "workbook/xlsx_file.h"

#include "workbook/interop_support.h"
#include "workbook/zip_archive.h"

namespace {

class XlsxTest : public WorkbookTest {
public:
    // A workbook of our own making around one sheet's XML.
    static std::string Workbook(const std::string& sheetXml, const std::string& target = "worksheets/sheet1.xml") {
        const std::string ns = "http://schemas.openxmlformats.org/";
        std::string error;
        return WriteZip({{"xl/workbook.xml",
                          "<workbook xmlns=\"" + ns + "spreadsheetml/2006/main\" xmlns:r=\"" + ns +
                              "officeDocument/2006/relationships\"><sheets><sheet name=\"A\" r:id=\"rId1\"/></sheets></workbook>"},
                         {"xl/_rels/workbook.xml.rels",
                          "<Relationships xmlns=\"" + ns + "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" +
                              ns + "officeDocument/2006/relationships/worksheet\" Target=\"" + target + "\"/></Relationships>"},
                         {"xl/worksheets/sheet1.xml",
                          sheetXml.starts_with("<!") ? sheetXml
                                                     : "<worksheet xmlns=\"" + ns + "spreadsheetml/2006/main\">" + sheetXml +
                                                           "</worksheet>"}},
                        error)
            .value_or("");
    }
};

// Out and back in, everything that goes across comes back; the formula
// without a partner comes back as its value, and says so.
TEST_F(XlsxTest, OursComesBackWhole) { ExpectRoundTrip(*this, "a.xlsx"); }

TEST_F(XlsxTest, OpenpyxlReadsOurs) {
    SKIP_WITHOUT(HaveOpenpyxl(), "python3-openpyxl");
    EnterSample();
    const ForeignSheet sheet = OpenpyxlRead(Export("a.xlsx"));
    const std::pair<const char*, ForeignCell> rows[] = {
        {"A1", {"Grüße aus Köln €", "Grüße aus Köln €", "", "", "center", "General"}},
        {"B1", {"2.5", "2.5", "FFFF0000", "FFFFFF00", "right", "0.00"}},
        {"C1", {"=B1*2+SIN(B1)", "5.598472144103957", "", "", "", "General"}},
        {"B2", {"=(TRUNC((B1)*10^ABS(TRUNC(0))+0.5)/10^ABS(TRUNC(0)))", "3", "", "", "", "General"}},
        {"C2", {"=A1&\"!\"", "Grüße aus Köln €!", "", "", "", "General"}},
        {"A3", {"1", "1", "", "", "", "General"}},
        {"C3", {"-1e+20", "-1e+20", "", "", "", "General"}},
        {"D4", {"  zwei  Blanks", "  zwei  Blanks", "", "", "", "General"}},
    };
    for (const auto& [name, expected] : rows) {
        const auto found = sheet.Cells.find(name);
        ASSERT_NE(found, sheet.Cells.end()) << name;
        const ForeignCell& cell = found->second;
        EXPECT_EQ(cell.Entry, expected.Entry) << name;
        if (cell.Value != expected.Value) ExpectSameValue(name, expected.Value, cell.Value);
        EXPECT_EQ(cell.Font, expected.Font) << name;
        EXPECT_EQ(cell.Fill, expected.Fill) << name;
        EXPECT_EQ(cell.Align, expected.Align) << name;
        EXPECT_EQ(cell.NumberFormat, expected.NumberFormat) << name;
    }
    EXPECT_EQ(sheet.Cells.size(), std::size(rows));
    // Widths in characters of the standard font, with the cell's padding.
    EXPECT_EQ(ColumnWidthFromForeign(sheet.Widths.at("A")), 20);
    EXPECT_EQ(ColumnWidthFromForeign(sheet.Widths.at("B")), 9);
    EXPECT_EQ(ColumnWidthFromForeign(sheet.Widths.at("C")), 4);
}

// What Gnumeric computes of each translated formula is what we compute.
TEST_F(XlsxTest, GnumericComputesOurFormulasAlike) {
    SKIP_WITHOUT(HaveSsconvert(), "gnumeric (ssconvert)");
    EnterPairFormulas();
    std::vector<std::pair<Int, Int>> valuesOnly;
    const std::string path = Export("pairs.xlsx", &valuesOnly);
    EXPECT_TRUE(valuesOnly.empty()) << ValuesOnlyText(valuesOnly);
    const auto theirs = GnumericValues(path, Path("pairs.tsv"));
    const auto ours = OurValues();
    EXPECT_EQ(theirs.size(), ours.size());
    for (const auto& [name, value] : ours) ExpectSameValue(name, value, theirs.count(name) ? theirs.at(name) : "(none)");
}

TEST_F(XlsxTest, OpenpyxlsWorkbookComesIn) {
    SKIP_WITHOUT(HaveOpenpyxl(), "python3-openpyxl");
    ASSERT_EQ(Run(Python() + " " TABRONA_INTEROP " make '" + Path("theirs.xlsx") + "'").first, 0);
    std::string error;
    SheetTable read;
    ASSERT_TRUE(Import(Path("theirs.xlsx"), error, &read)) << error;
    const std::pair<std::pair<Int, Int>, std::pair<const char*, const char*>> cells[] = {
        {{1, 1}, {"2,5", ""}},
        {{1, 2}, {"Grüße", ""}},
        {{1, 3}, {"5,598472144103957", "=Z1S1*2+Sin(Z1S1)"}},
        {{1, 4}, {"", ""}},  // no value cached, no formula of ours: empty
        {{2, 1}, {"5", "=Len(Z1S2)"}},
        {{2, 2}, {"xGrüße", "=\"x\"+Z1S2"}},
        {{2, 3}, {"8,25", "=Z1S1^2-Trunc(-Z1S1)"}},  // POWER and a sign within
        {{3, 1}, {"Ünïcødé € 100%", ""}},
        {{3, 3}, {"1e+20", ""}},
        {{3, 4}, {"-0,125", ""}},
        {{3, 5}, {"1", ""}},
    };
    for (const auto& [at, expected] : cells) {
        ExpectSameValue(std::to_string(at.first) + "," + std::to_string(at.second), Shown(at.first, at.second),
                        expected.first);
        EXPECT_EQ(FormulaAt(at.first, at.second), expected.second) << at.first << "," << at.second;
    }
    EXPECT_EQ(read.ValuesOnly, (std::vector<std::pair<Int, Int>>{{1, 4}, {1, 5}}));
    EXPECT_EQ(Shown(4, 2).substr(0, 7), "(ERR#1@");
    EXPECT_EQ(read.CellsLeftOut, 2);
    EXPECT_EQ(LeftOutText(read), "2 Zellen weggelassen (bis Zeile 2000, Spalte 120)");
    const Int a1 = AttributesAt(1, 1);
    EXPECT_EQ(FontColor(a1), 1);
    EXPECT_EQ(BackgroundColor(a1), 13);
    EXPECT_EQ(DisplayFormat(a1), DisplayFormatCurrency);
    EXPECT_EQ(DisplayFormat(AttributesAt(1, 2)), DisplayFormatCentered);
    EXPECT_EQ(Calculation().ColumnWidth[2], 20);
    EXPECT_EQ(Calculation().ColumnWidth[3], 4);
    EXPECT_EQ(Calculation().ColumnWidth[1], DefaultColumnWidth);
}

// Gnumeric's own xlsx of that workbook: the values we compute after the
// import are the ones Gnumeric computes.
TEST_F(XlsxTest, GnumericsWorkbookComesIn) {
    SKIP_WITHOUT(HaveOpenpyxl() && HaveSsconvert(), "python3-openpyxl and gnumeric");
    ASSERT_EQ(Run(Python() + " " TABRONA_INTEROP " make '" + Path("theirs.xlsx") + "'").first, 0);
    ASSERT_EQ(Run("ssconvert '" + Path("theirs.xlsx") + "' '" + Path("gnumeric.xlsx") + "'").first, 0);
    std::string error;
    ASSERT_TRUE(Import(Path("gnumeric.xlsx"), error)) << error;
    auto theirs = GnumericValues(Path("gnumeric.xlsx"), Path("gnumeric.tsv"));
    theirs.erase("A2000");
    theirs.erase("DP1");
    theirs["E3"] = theirs["E3"] == "TRUE" ? "1" : theirs["E3"];  // no truth values here
    EXPECT_EQ(theirs["B4"], "#DIV/0!");  // an error on both sides, each in its words
    EXPECT_EQ(Shown(4, 2).substr(0, 7), "(ERR#1@");
    theirs.erase("B4");
    std::map<std::string, std::string> ours = OurValues();
    ours.erase("B4");
    for (const auto& [name, value] : ours) ExpectSameValue(name, value, theirs.count(name) ? theirs.at(name) : "(none)");
    EXPECT_EQ(ours.size(), theirs.size());
}

// A stranger's workbook breaks no bound: far rows and columns are counted,
// never stored; a path out of the archive, damage or a document type is
// refused with a reason, and nothing is read.
TEST_F(XlsxTest, StrangersWorkbooksStayInBounds) {
    SheetTable table;
    std::string error;
    ASSERT_TRUE(XlsxToTable(Workbook("<cols><col min=\"1\" max=\"16384\" width=\"12.7109375\"/></cols><sheetData>"
                                     "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"CW1\" t=\"inlineStr\"><is><t>x</t></is></c>"
                                     "<c r=\"B1\" t=\"s\"><v>99</v></c><c><f>A1+1</f></c></row>"
                                     "<row r=\"5000\"><c r=\"A5000\"><v>2</v></c></row>"
                                     "<row r=\"1000000000\"><c r=\"A1000000000\"><v>3</v></c></row></sheetData>"),
                            table, error))
        << error;
    ASSERT_EQ(table.Cells.size(), 3u);  // A1, B1 (a string that is not there), C1
    EXPECT_EQ(table.Cells[2].Column, 3);
    EXPECT_EQ(CalculationFileText(table.Cells[2].Formula), "=Z1S1+1");
    EXPECT_EQ(table.CellsLeftOut, 3);
    EXPECT_EQ(table.LastRow, 1000000000);
    EXPECT_EQ(table.LastColumn, 101);
    EXPECT_EQ(table.Widths[100], 12);
    const std::pair<std::string, std::string> refused[] = {
        {Workbook("<sheetData/>", "../../../etc/passwd"), "names no sheet inside it"},
        {Workbook("<sheetData/>", "worksheets/missing.xml"), "no member xl/worksheets/missing.xml"},
        {Workbook("<sheetData><row></sheetData>"), "xl/worksheets/sheet1.xml: damaged XML"},
        {Workbook("<!DOCTYPE x [<!ENTITY e SYSTEM \"/etc/passwd\">]><worksheet>&e;</worksheet>"), "document type"},
        {"PK not a zip", "not a zip archive"},
        {ReadAll("/proc/self/exe").substr(0, 1000), "not a zip archive"},
    };
    for (const auto& [bytes, reason] : refused) {
        SheetTable none;
        EXPECT_FALSE(XlsxToTable(bytes, none, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_TRUE(none.Cells.empty());
    }
}

}  // namespace
