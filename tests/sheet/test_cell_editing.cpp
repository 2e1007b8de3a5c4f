#include "sheet/cell_editing.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "runtime/events.h"
#include "runtime/screen_fixture.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"

namespace {

Text T(std::string_view bytes) { return Text::FromBytes(bytes); }
std::string S(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

std::size_t Slot(Int row, Int column) { return static_cast<std::size_t>(CellIndex(row, column)); }

std::string Address(Int row, Int column) { return "Z" + std::to_string(row) + "S" + std::to_string(column); }

class CellEditingTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ResetCalculation();
        ResetParser();
        parser_InitFunctions();
        Parser().CellReferencesEnabled = true;
        t_Color(SheetWindow, Int{0}, Int{15});
    }
    void TearDown() override {
        ResetEvents();
        ResetCalculation();
        ResetParser();
        ScreenTest::TearDown();
    }

    static const Text& TextAt(Int row, Int column) { return Calculation().CellText[Slot(row, column)]; }
    static const Text& FormulaAt(Int row, Int column) { return Calculation().CellFormula[Slot(row, column)]; }
    static Int& AttributesAt(Int row, Int column) { return Calculation().CellAttributes[Slot(row, column)]; }
    static Int KindAt(Int row, Int column) { return CellKind(AttributesAt(row, column)); }

    static void SetCell(Int row, Int column, std::string_view text, Int kind, std::string_view formula = "") {
        Calculation().CellText[Slot(row, column)] = T(text);
        Calculation().CellFormula[Slot(row, column)] = T(formula);
        SetCellKind(AttributesAt(row, column), kind);
    }

    // Every cell of rows 4 to 6 (or columns 2 to 4) holds its own address,
    // a formula naming it and a colour of its own, so moves are visible.
    static void MarkCell(Int row, Int column) {
        SetCell(row, column, Address(row, column), CellKindText, "=\"" + Address(row, column) + "\"");
        SetFontColor(AttributesAt(row, column), (row + column) % 16);
        SetDisplayFormat(AttributesAt(row, column), column % 5);
    }

    static void Keys(std::string_view typed, std::initializer_list<Int> then = {13}) {
        t_TypeString(String(typed));
        for (Int code : then) {
            t_Event e;
            e.Kind = 1;
            e.Value = code;
            e.Description = Utf8(static_cast<char32_t>(code));
            AppendKeyEvent(e);
        }
    }

    static void Cursor(Int row, Int column) {
        Calculation().CursorRow = row;
        Calculation().CursorColumn = column;
    }
};

TEST_F(CellEditingTest, EntryKindFollowsTheFirstCharacters) {
    struct Case {
        std::string_view entry;
        Int kind;
    };
    const Case cases[] = {
        {"=1+2", CellKindUncomputed}, {"=", CellKindUncomputed},  {"12", CellKindNumber},   {"0abc", CellKindNumber},
        {"9", CellKindNumber},        {"-", CellKindNumber},      {",", CellKindNumber},    {".", CellKindNumber},
        {"-5", CellKindNumber},       {",5", CellKindNumber},     {".5", CellKindNumber},   {"-,5", CellKindNumber},
        {"--", CellKindText},         {"..", CellKindText},       {",,", CellKindText},     {"---x", CellKindText},
        {"Abc", CellKindText},        {"a", CellKindText},        {" 1", CellKindText},     {"+5", CellKindText},
        {"\xE4rger", CellKindText},
    };
    for (const Case& c : cases) EXPECT_EQ(EntryKind(T(c.entry)), c.kind) << c.entry;
}

TEST_F(CellEditingTest, EntriesIntoEmptyCellsAreStoredByTheirKind) {
    struct Case {
        std::string_view entry;
        std::string_view text;
        std::string_view formula;
        Int kind;
    };
    const Case cases[] = {
        {"12", "12", "", CellKindNumber},
        {"-5", "-5", "", CellKindNumber},
        {",5", "0,5", "", CellKindNumber},
        {"1.50", "1,5", "", CellKindNumber},
        {"007", "7", "", CellKindNumber},
        {"12abc", "12", "", CellKindNumber},
        {"--", "--", "", CellKindText},
        {"Abc", "Abc", "", CellKindText},
        {"=1+2", "3", "=1+2", CellKindNumber},
        {"=\"ab\"+\"cd\"", "abcd", "=\"ab\"+\"cd\"", CellKindText},
    };
    Int row = 1;
    for (const Case& c : cases) {
        Calculation().Modified = false;
        EditCell(row, 2, T(c.entry), false);
        EXPECT_EQ(S(TextAt(row, 2)), c.text) << c.entry;
        EXPECT_EQ(S(FormulaAt(row, 2)), c.formula) << c.entry;
        EXPECT_EQ(KindAt(row, 2), c.kind) << c.entry;
        EXPECT_TRUE(Calculation().Modified) << c.entry;
        ++row;
    }
}

TEST_F(CellEditingTest, LaterEntriesKeepTheKindOfTheCell) {
    SetCell(1, 1, "5", CellKindNumber);
    EditCell(1, 1, T("Abc"), false);
    EXPECT_EQ(S(TextAt(1, 1)), "0");
    EXPECT_EQ(KindAt(1, 1), CellKindNumber);

    SetCell(2, 1, "x", CellKindText);
    EditCell(2, 1, T("12"), false);
    EXPECT_EQ(S(TextAt(2, 1)), "12");
    EXPECT_EQ(KindAt(2, 1), CellKindText);

    // "=" turns text and number cells into formula cells; the outcome then
    // decides the kind.
    EditCell(2, 1, T("=4*2"), false);
    EXPECT_EQ(S(TextAt(2, 1)), "8");
    EXPECT_EQ(S(FormulaAt(2, 1)), "=4*2");
    EXPECT_EQ(KindAt(2, 1), CellKindNumber);
    EditCell(1, 1, T("=\"x\""), false);
    EXPECT_EQ(S(TextAt(1, 1)), "x");
    EXPECT_EQ(KindAt(1, 1), CellKindText);

    // A text or number entry replaces a formula.
    EditCell(2, 1, T("7,25"), false);
    EXPECT_EQ(S(TextAt(2, 1)), "7,25");
    EXPECT_TRUE(FormulaAt(2, 1).Empty());
}

TEST_F(CellEditingTest, AnUncomputedFormulaCellTakesEveryEntryAsAFormula) {
    // An error keeps kind 1, so the cell stays a formula cell.
    EditCell(1, 1, T("="), false);
    EXPECT_EQ(S(TextAt(1, 1)), "(ERR#11@1)");
    EXPECT_EQ(KindAt(1, 1), CellKindUncomputed);
    EditCell(1, 1, T("42"), false);
    EXPECT_EQ(S(FormulaAt(1, 1)), "42");
    // The first character is taken for the "=", so "2" is computed.
    EXPECT_EQ(S(TextAt(1, 1)), "2");
    EXPECT_EQ(KindAt(1, 1), CellKindNumber);
}

TEST_F(CellEditingTest, AnUnknownKindStoresNothing) {
    SetCell(1, 1, "alt", 7);
    EditCell(1, 1, T("neu"), false);
    EXPECT_EQ(S(TextAt(1, 1)), "alt");
    EXPECT_EQ(KindAt(1, 1), 7);
}

TEST_F(CellEditingTest, LongEntriesAreCutToTheScreenWidthLessTwenty) {
    const std::string longText(150, 'a');
    EditCell(1, 1, T(longText), false);
    EXPECT_EQ(S(TextAt(1, 1)), std::string(101, 'a'));

    const std::string longFormula = "=\"" + std::string(140, 'b') + "\"";
    EditCell(2, 1, T(longFormula), false);
    EXPECT_EQ(S(FormulaAt(2, 1)), longFormula.substr(0, 101));
    // The cut formula lost its closing quote; the literal runs to the end.
    EXPECT_EQ(S(TextAt(2, 1)), std::string(99, 'b'));

    Calculation().ScreenColumns = 80;
    EditCell(3, 1, T(longText), false);
    EXPECT_EQ(TextAt(3, 1).Size(), 60u);
}

TEST_F(CellEditingTest, NumberEntriesReadTheirLeadingNumberFromUtf8AndLatin1Alike) {
    EditCell(1, 1, T("12,5\xE2\x82\xAC"), false);  // 12,5 and the euro sign in UTF-8
    EditCell(2, 1, T("12,5\xA4"), false);          // and an 8-bit code after it
    EXPECT_EQ(S(TextAt(1, 1)), "12,5");
    EXPECT_EQ(S(TextAt(2, 1)), "12,5");
}

TEST_F(CellEditingTest, ANonInteractiveEditComputesOnlyItsOwnCell) {
    EditCell(1, 1, T("5"), false);
    EditCell(1, 2, T("=Z1S1*2"), false);
    EXPECT_EQ(S(TextAt(1, 2)), "10");
    EditCell(1, 1, T("6"), false);
    EXPECT_EQ(S(TextAt(1, 2)), "10");
    RecalculateAll();
    EXPECT_EQ(S(TextAt(1, 2)), "12");
}

TEST_F(CellEditingTest, InteractiveEditingStartsWithTheTypedCharacter) {
    Keys("2");
    EditCell(3, 2, T("1"), true);
    EXPECT_EQ(S(TextAt(3, 2)), "12");
    EXPECT_EQ(KindAt(3, 2), CellKindNumber);
    EXPECT_TRUE(Calculation().Modified);
    EXPECT_EQ(KeyQueueLength(), 0u);
}

TEST_F(CellEditingTest, ReturnEditsTheFormulaOfAFormulaCell) {
    EditCell(1, 1, T("=1+2"), false);
    Keys("*3");
    EditCell(1, 1, Text(), true);
    EXPECT_EQ(S(FormulaAt(1, 1)), "=1+2*3");
    EXPECT_EQ(S(TextAt(1, 1)), "7");
    // The field on the status line showed the formula, not the value.
    EXPECT_EQ(Row(1, 20, 25), "=1+2*3");
}

TEST_F(CellEditingTest, ReturnWithoutChangesFormatsANumberAnew) {
    SetCell(1, 1, "007,50", CellKindNumber);
    Keys("");
    EditCell(1, 1, Text(), true);
    EXPECT_EQ(S(TextAt(1, 1)), "7,5");
    SetCell(2, 1, "Wort", CellKindText);
    Keys("e");
    EditCell(2, 1, Text(), true);
    EXPECT_EQ(S(TextAt(2, 1)), "Worte");
}

TEST_F(CellEditingTest, EscapeLeavesTheCellUnchanged) {
    EditCell(1, 1, T("=1+2"), false);
    Calculation().Modified = false;
    Keys("99", {27});
    EditCell(1, 1, T("4"), true);
    EXPECT_EQ(S(FormulaAt(1, 1)), "=1+2");
    EXPECT_EQ(S(TextAt(1, 1)), "3");
    EXPECT_FALSE(Calculation().Modified);
}

TEST_F(CellEditingTest, InteractiveEditingNeedsTheStatusLine) {
    Calculation().GridTop = 0;
    Keys("2");
    EditCell(1, 1, T("1"), true);
    EXPECT_TRUE(TextAt(1, 1).Empty());
    EXPECT_EQ(KindAt(1, 1), CellKindEmpty);
    EXPECT_EQ(KeyQueueLength(), 2u);
    // A non-interactive entry needs no screen.
    EditCell(1, 1, T("1"), false);
    EXPECT_EQ(S(TextAt(1, 1)), "1");
}

TEST_F(CellEditingTest, InteractiveEditingRecalculatesAllOnlyWhenAutomatic) {
    EditCell(1, 2, T("=Z1S1+1"), false);
    EXPECT_EQ(S(TextAt(1, 2)), "1");

    Calculation().AutoRecalculate = false;
    Keys("");
    EditCell(1, 1, T("5"), true);
    EXPECT_EQ(S(TextAt(1, 2)), "1");

    Calculation().AutoRecalculate = true;
    Keys("");
    EditCell(1, 1, T("7"), true);
    EXPECT_EQ(S(TextAt(1, 2)), "8");
    // RecalculateAll redrew the grid: row 1 starts on line 10 after the
    // row number.
    EXPECT_EQ(Row(10, 5, 22), "7        8        ");
}

TEST_F(CellEditingTest, ComputeCellShowsValuesErrorsAndNoValue) {
    struct Case {
        std::string_view formula;
        Int kindBefore;
        std::string_view text;
        Int kindAfter;
    };
    const Case cases[] = {
        {"=2.5*2", CellKindUncomputed, "5", CellKindNumber},
        {"=1/4", CellKindText, "0,25", CellKindNumber},
        {"=\"a\"+\"b\"", CellKindNumber, "ab", CellKindText},
        {"=", CellKindNumber, "(ERR#11@1)", CellKindNumber},
        {"=1 )", CellKindText, "(ERR#8@3)", CellKindText},
        {"=1 )", CellKindUncomputed, "(ERR#8@3)", CellKindUncomputed},
    };
    for (const Case& c : cases) {
        SetCell(2, 3, "vorher", c.kindBefore, c.formula);
        SetFontColor(AttributesAt(2, 3), 4);
        Calculation().Modified = false;
        ComputeCell(CellIndex(2, 3));
        EXPECT_EQ(S(TextAt(2, 3)), c.text) << c.formula;
        EXPECT_EQ(KindAt(2, 3), c.kindAfter) << c.formula;
        EXPECT_EQ(FontColor(AttributesAt(2, 3)), 4) << c.formula;
        EXPECT_EQ(Calculation().ComputingCell, CellIndex(2, 3)) << c.formula;
        EXPECT_FALSE(Calculation().Modified) << c.formula;
    }
    // Result gives the previous evaluation's value; before any, none.
    Parser().ParserResult = parser_UniversalType{};
    SetCell(1, 1, "", CellKindUncomputed, "=Result");
    ComputeCell(CellIndex(1, 1));
    EXPECT_EQ(S(TextAt(1, 1)), "(NAN)");
    EXPECT_EQ(KindAt(1, 1), CellKindText);
}

TEST_F(CellEditingTest, ComputeCellLeavesCellsWithoutAFormulaAlone) {
    SetCell(1, 1, "Abc", CellKindText);
    Calculation().ComputingCell = 77;
    ComputeCell(CellIndex(1, 1));
    EXPECT_EQ(S(TextAt(1, 1)), "Abc");
    EXPECT_EQ(Calculation().ComputingCell, 77);
}

TEST_F(CellEditingTest, RecalculateAllMakesOnePassInCellIndexOrder) {
    // Z1S1 refers to the later Z1S2, which refers back: each pass computes
    // Z1S1 from the old Z1S2 and then Z1S2 from the new Z1S1.
    SetCell(1, 1, "", CellKindUncomputed, "=Z1S2");
    SetCell(1, 2, "", CellKindUncomputed, "=Z1S1+1");
    RecalculateAll();
    EXPECT_EQ(S(TextAt(1, 1)), "0");
    EXPECT_EQ(S(TextAt(1, 2)), "1");
    RecalculateAll();
    EXPECT_EQ(S(TextAt(1, 1)), "1");
    EXPECT_EQ(S(TextAt(1, 2)), "2");

    // Row 2 comes after column 100 of row 1; a chain along the order
    // settles in one pass, one against it moves one step per pass.
    SetCell(1, 100, "", CellKindUncomputed, "=Z2S1*10");
    SetCell(2, 1, "3", CellKindNumber);
    SetCell(3, 1, "", CellKindUncomputed, "=Z2S1+Z1S100");
    RecalculateAll();
    EXPECT_EQ(S(TextAt(1, 100)), "30");
    EXPECT_EQ(S(TextAt(3, 1)), "33");
    EXPECT_FALSE(Calculation().Modified);
}

TEST_F(CellEditingTest, ClearCellKeepsColoursAndFormat) {
    SetCell(4, 2, "12", CellKindNumber, "=6*2");
    Int& attributes = AttributesAt(4, 2);
    SetFontColor(attributes, 4);
    SetBackgroundColor(attributes, 2);
    SetDisplayFormat(attributes, DisplayFormatCurrency);
    Cursor(4, 2);
    ClearCell();
    EXPECT_TRUE(TextAt(4, 2).Empty());
    EXPECT_TRUE(FormulaAt(4, 2).Empty());
    EXPECT_EQ(KindAt(4, 2), CellKindEmpty);
    EXPECT_EQ(FontColor(attributes), 4);
    EXPECT_EQ(BackgroundColor(attributes), 2);
    EXPECT_EQ(DisplayFormat(attributes), DisplayFormatCurrency);
    EXPECT_TRUE(Calculation().Modified);
}

TEST_F(CellEditingTest, ResetCellRestoresTheDefaultAttributes) {
    MarkCell(4, 2);
    Cursor(4, 2);
    ResetCell();
    EXPECT_TRUE(TextAt(4, 2).Empty());
    EXPECT_TRUE(FormulaAt(4, 2).Empty());
    EXPECT_EQ(AttributesAt(4, 2), DefaultCellAttributes);
    EXPECT_TRUE(Calculation().Modified);
}

class CellShiftTest : public CellEditingTest {
protected:
    // Rows 4 to 6 fully marked, and columns 2 to 4 fully marked.
    void SetUp() override {
        CellEditingTest::SetUp();
        for (Int row = 4; row <= 6; ++row)
            for (Int column = 1; column <= 100; ++column) MarkCell(row, column);
        for (Int column = 2; column <= 4; ++column)
            for (Int row = 1; row <= 999; ++row) MarkCell(row, column);
    }

    // The cell holds what MarkCell put into (row, column).
    static void ExpectMarkOf(Int atRow, Int atColumn, Int row, Int column) {
        EXPECT_EQ(S(TextAt(atRow, atColumn)), Address(row, column)) << Address(atRow, atColumn);
        EXPECT_EQ(S(FormulaAt(atRow, atColumn)), "=\"" + Address(row, column) + "\"") << Address(atRow, atColumn);
        EXPECT_EQ(FontColor(AttributesAt(atRow, atColumn)), (row + column) % 16) << Address(atRow, atColumn);
        EXPECT_EQ(DisplayFormat(AttributesAt(atRow, atColumn)), column % 5) << Address(atRow, atColumn);
    }

    static void ExpectReset(Int row, Int column) {
        EXPECT_TRUE(TextAt(row, column).Empty()) << Address(row, column);
        EXPECT_TRUE(FormulaAt(row, column).Empty()) << Address(row, column);
        EXPECT_EQ(AttributesAt(row, column), DefaultCellAttributes) << Address(row, column);
    }
};

TEST_F(CellShiftTest, InsertInARowShiftsItsCellsRight) {
    Cursor(5, 3);
    InsertCellInRow();
    ExpectMarkOf(5, 1, 5, 1);
    ExpectMarkOf(5, 2, 5, 2);
    ExpectReset(5, 3);
    for (Int column = 4; column <= 100; ++column) ExpectMarkOf(5, column, 5, column - 1);
    for (Int column = 1; column <= 100; ++column) {
        ExpectMarkOf(4, column, 4, column);
        ExpectMarkOf(6, column, 6, column);
    }
    EXPECT_TRUE(Calculation().Modified);
}

TEST_F(CellShiftTest, DeleteInARowShiftsItsCellsLeft) {
    Cursor(5, 3);
    DeleteCellInRow();
    ExpectMarkOf(5, 2, 5, 2);
    for (Int column = 3; column <= 99; ++column) ExpectMarkOf(5, column, 5, column + 1);
    ExpectReset(5, 100);
    ExpectMarkOf(4, 3, 4, 3);
    ExpectMarkOf(6, 100, 6, 100);
    EXPECT_TRUE(Calculation().Modified);
}

TEST_F(CellShiftTest, InsertInAColumnShiftsItsCellsDown) {
    Cursor(5, 3);
    InsertCellInColumn();
    ExpectMarkOf(4, 3, 4, 3);
    ExpectReset(5, 3);
    for (Int row = 6; row <= 999; ++row) ExpectMarkOf(row, 3, row - 1, 3);
    for (Int row = 1; row <= 999; ++row) {
        ExpectMarkOf(row, 2, row, 2);
        ExpectMarkOf(row, 4, row, 4);
    }
    EXPECT_TRUE(Calculation().Modified);
}

TEST_F(CellShiftTest, DeleteInAColumnShiftsItsCellsUp) {
    Cursor(5, 3);
    DeleteCellInColumn();
    ExpectMarkOf(4, 3, 4, 3);
    for (Int row = 5; row <= 998; ++row) ExpectMarkOf(row, 3, row + 1, 3);
    ExpectReset(999, 3);
    ExpectMarkOf(5, 2, 5, 2);
    ExpectMarkOf(5, 4, 5, 4);
    EXPECT_TRUE(Calculation().Modified);
}

TEST_F(CellShiftTest, AtTheLastColumnOrRowOnlyTheCursorCellChanges) {
    Cursor(5, 100);
    InsertCellInRow();
    ExpectReset(5, 100);
    ExpectMarkOf(5, 99, 5, 99);

    MarkCell(5, 100);
    DeleteCellInRow();
    ExpectReset(5, 100);
    ExpectMarkOf(5, 99, 5, 99);

    Cursor(999, 3);
    InsertCellInColumn();
    ExpectReset(999, 3);
    ExpectMarkOf(998, 3, 998, 3);

    MarkCell(999, 3);
    DeleteCellInColumn();
    ExpectReset(999, 3);
    ExpectMarkOf(998, 3, 998, 3);
}

TEST_F(CellShiftTest, AtTheFirstColumnOrRowTheWholeLineMoves) {
    Cursor(1, 3);
    DeleteCellInColumn();
    for (Int row = 1; row <= 998; ++row) ExpectMarkOf(row, 3, row + 1, 3);
    ExpectReset(999, 3);

    for (Int column = 1; column <= 100; ++column) MarkCell(5, column);
    Cursor(5, 1);
    InsertCellInRow();
    ExpectReset(5, 1);
    for (Int column = 2; column <= 100; ++column) ExpectMarkOf(5, column, 5, column - 1);
}

TEST_F(CellEditingTest, DemoDataGivesEveryCellItsOwnAddress) {
    SetCell(7, 8, "12", CellKindNumber, "=3*4");
    SetBackgroundColor(AttributesAt(7, 8), 3);
    SetDisplayFormat(AttributesAt(7, 8), DisplayFormatRight);
    InsertDemoData();
    const CalculationState& calc = Calculation();
    for (Int row = 1; row <= calc.RowCount; ++row) {
        for (Int column = 1; column <= calc.ColumnCount; ++column) {
            ASSERT_EQ(S(TextAt(row, column)), Address(row, column));
            ASSERT_EQ(KindAt(row, column), CellKindText);
            ASSERT_TRUE(FormulaAt(row, column).Empty());
        }
    }
    EXPECT_EQ(S(TextAt(999, 100)), "Z999S100");
    EXPECT_EQ(BackgroundColor(AttributesAt(7, 8)), 3);
    EXPECT_EQ(DisplayFormat(AttributesAt(7, 8)), DisplayFormatRight);
    EXPECT_TRUE(calc.Modified);
    // The grid shows it: row 1 on line 10.
    EXPECT_EQ(Row(10, 5, 13), "Z1S1     ");
}

}  // namespace
