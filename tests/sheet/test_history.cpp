// Undo and redo against a model: the file text after every step, walked back
// and forth at random between random commands.
#include "sheet/history.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sheet/sheet_fixture.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/exchange_text.h"
#include "sheet/menu_settings.h"
#include "sheet/recalculation.h"
#include "sheet/search.h"
#include "sheet/selection.h"

namespace {

std::string FileText() { return CalculationFileText(CalculationToText()); }

class HistoryTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        // Formulas name only these rows, which no formula reaches: no circles,
        // so the values after an undo are the values before.
        for (Int column = 1; column <= 5; ++column) EditCell(995, column, Text::FromBytes(std::to_string(column)), false);
        Calculation().Modified = false;  // as after an open
        EnableHistory(true);
        StartHistory();
    }

    // One random command, as the menus run it: a step of its own.
    void Command(std::mt19937& random) {
        CalculationState& c = Calculation();
        const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        c.CursorRow = pick(1, 12), c.CursorColumn = pick(1, 6);
        const char* entries[] = {"12,5", "abc", "=Z995S1*2", "=Z995S2+\"x\"", "Anna", "--", "=Sum(Z995S1,Z995S2,1,2)"};
        BeginStep("test");
        switch (pick(0, 11)) {
            case 0:
            case 1: EditCell(c.CursorRow, c.CursorColumn, Text::FromBytes(entries[pick(0, 6)]), false); break;
            case 2: InsertCellInRow(); break;
            case 3: DeleteCellInRow(); break;
            case 4: InsertCellInColumn(); break;
            case 5: DeleteCellInColumn(); break;
            case 6: PasteCells("1\tabc\t=Z995S3\r\nzwei\t\t3,5\r\n"); break;
            case 7:
                c.SelectionStartRow = pick(1, 6), c.SelectionStartColumn = pick(1, 3);
                c.SelectionEndRow = pick(6, 12), c.SelectionEndColumn = pick(3, 6);
                if (pick(0, 2) == 0) DeleteSelection();
                else if (pick(0, 1) == 0) UpperCaseSelection();
                else SetSelectionFormat(pick(0, 4));
                break;
            case 8: {
                Search().SearchText = Text::FromBytes("a"), Search().ReplaceText = Text::FromBytes("bb");
                Search().PartialMatch = true;
                c.CursorRow = c.CursorColumn = 1;
                while (FindNext()) ReplaceAtCursor();
                break;
            }
            case 9:
                NoteWidthChanging(c.CursorColumn);
                c.ColumnWidth[static_cast<std::size_t>(c.CursorColumn)] = pick(1, 30);
                break;
            case 10: ClearCell(); break;
            default:
                // A whole new sheet, as a database import makes one.
                ClearCalculation();
                EditCell(1, 1, Text::FromBytes("Name"), false);
                break;
        }
        EndStep();
        RecalculateChanged();
    }
};

// Random commands with undo and redo among them: every undo gives the file
// text from before its step, every redo the one after it, a new step drops
// what could be redone, and Modified is clear exactly at the saved state.
TEST_F(HistoryTest, UndoAndRedoWalkTheFileTextsOfTheSteps) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SetUp();
        std::mt19937 random(seed);
        std::vector<std::string> states = {FileText()};
        std::size_t at = 0, saved = 0;
        const auto check = [&](const char* what) {
            ASSERT_EQ(FileText(), states[at]) << what << " seed " << seed << " at " << at;
            ASSERT_EQ(Calculation().Modified, at != saved) << what << " seed " << seed;
        };
        for (int i = 0; i < 150; ++i) {
            const int action = std::uniform_int_distribution<int>(0, 9)(random);
            if (action < 2) {
                const bool redo = action == 1;
                const bool possible = redo ? at + 1 < states.size() : at > 0;
                ASSERT_EQ((redo ? RedoStep() : UndoStep()).has_value(), possible);
                if (!possible) continue;
                at = redo ? at + 1 : at - 1;
                RecalculateChanged();
                check(redo ? "redo" : "undo");
            } else if (action == 2) {
                Calculation().Modified = false;
                NoteSaved();
                saved = at;
            } else {
                const std::size_t before = CurrentHistory().UndoSteps;
                Command(random);
                if (CurrentHistory().UndoSteps == before) continue;
                states.resize(at + 1);
                if (saved > at) saved = states.size() + 1000;  // no longer reachable
                states.push_back(FileText());
                ++at;
                EXPECT_EQ(CurrentHistory().RedoSteps, 0u);
            }
        }
        // All the way back, and all the way forward again.
        while (UndoStep()) RecalculateChanged(), --at;
        ASSERT_EQ(at, 0u) << seed;
        check("undo all");
        while (RedoStep()) RecalculateChanged(), ++at;
        ASSERT_EQ(at, states.size() - 1) << seed;
        check("redo all");
    }
}

// The budget: the oldest steps go first, the newest stays whatever its size;
// a hundred one-cell edits take little; a new history forgets the old one.
TEST_F(HistoryTest, TheOldestStepsGoFirstAndSmallStepsStaySmall) {
    for (int i = 0; i < 100; ++i) {
        BeginStep("Feld bearbeiten");
        EditCell(1 + i % 7, 1, Text::FromBytes(std::to_string(i)), false);
        EndStep();
    }
    EXPECT_EQ(CurrentHistory().UndoSteps, 100u);
    EXPECT_LT(CurrentHistory().Bytes, 100'000u);
    EXPECT_GT(CurrentHistory().Bytes, 100 * sizeof(Int));

    BeginStep("Demodaten einfügen");
    InsertDemoData();
    EndStep();
    const std::size_t whole = CurrentHistory().Bytes;
    SetHistoryBudget(whole / 2);
    EXPECT_EQ(CurrentHistory().UndoSteps, 1u);  // the demo data alone, over the budget
    BeginStep("Feld bearbeiten");
    EditCell(2, 2, Text::FromBytes("x"), false);
    EndStep();
    EXPECT_EQ(CurrentHistory().UndoSteps, 1u);
    ASSERT_TRUE(UndoStep());
    EXPECT_FALSE(UndoStep());
    EXPECT_EQ(CurrentHistory().RedoSteps, 1u);
    // Undone to before the demo data's step, which went: still modified.
    EXPECT_TRUE(Calculation().Modified);

    SetHistoryBudget(DefaultHistoryBudget);
    const std::optional<StepSummary> redone = RedoStep();
    ASSERT_TRUE(redone);
    EXPECT_EQ(redone->Name, "Feld bearbeiten");
    EXPECT_EQ(std::make_tuple(redone->FirstRow, redone->FirstColumn, redone->LastRow, redone->LastColumn),
              std::make_tuple(2, 2, 2, 2));
    // With steps to redo, the budget takes the oldest to undo first and
    // keeps the newest; then what could be redone.
    for (const char* entry : {"a", "b"}) {
        BeginStep("Feld bearbeiten");
        EditCell(3, 3, Text::FromBytes(entry), false);
        EndStep();
    }
    ASSERT_TRUE(UndoStep());
    SetHistoryBudget(1);
    EXPECT_EQ(std::make_pair(CurrentHistory().UndoSteps, CurrentHistory().RedoSteps), std::make_pair(std::size_t{1}, std::size_t{0}));
    SetHistoryBudget(DefaultHistoryBudget);

    // Saved in the middle of a command: undoing its later part is back at
    // the saved state.
    const auto cell55 = static_cast<std::size_t>(CellIndex(5, 5));
    const Text before = Calculation().CellText[cell55];
    BeginStep("Einfügen");
    EditCell(4, 4, Text::FromBytes("vorher"), false);
    Calculation().Modified = false;
    NoteSaved();
    EditCell(5, 5, Text::FromBytes("nachher"), false);
    EndStep();
    ASSERT_TRUE(UndoStep());
    EXPECT_FALSE(Calculation().Modified);
    EXPECT_EQ(Calculation().CellText[cell55], before);
    EXPECT_EQ(Calculation().CellText[static_cast<std::size_t>(CellIndex(4, 4))], Text::FromBytes("vorher"));

    // An open inside its command: what it loads is no step, and there is
    // nothing before it.
    BeginStep("Calculation öffnen");
    StartHistory();
    ClearCalculation();
    EditCell(1, 1, Text::FromBytes("geladen"), false);
    Calculation().Modified = false;
    EndStep();
    EXPECT_FALSE(UndoStep());
    EXPECT_EQ(CurrentHistory().Bytes, 0u);
    BeginStep("Feld bearbeiten");
    EditCell(1, 1, Text::FromBytes("neu"), false);
    EndStep();
    ASSERT_TRUE(UndoStep());
    EXPECT_FALSE(Calculation().Modified);  // back at what was opened
}

}  // namespace
