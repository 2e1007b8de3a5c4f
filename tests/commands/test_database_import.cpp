// A table wider and longer than the sheet goes into the Calculation as far
// as the sheet reaches, names in row 1, values as texts or formulas.
#include "commands/database_import.h"

#include <gtest/gtest.h>

#include <string>

#include "database/database.h"
#include "runtime/program.h"
#include "screen/screen_fixture.h"
#include "sheet/calculation.h"

namespace {

class DatabaseImportTest : public ScreenTest {};

TEST_F(DatabaseImportTest, TheFirstTableFillsWhatTheSheetHolds) {
    initoxtools();
    ClearCalculation();
    d_CreateTable("Breit");
    for (int f = 1; f <= 120; ++f) d_CreateField(0, "F" + std::to_string(f), FieldString);
    for (int r = 1; r <= 1005; ++r) {
        const Int record = d_CreateRecord(0);
        const Int first = Database().DatabaseTables[0].RecordIndex[static_cast<std::size_t>(record)];
        d_SetData(first, FieldString, r == 1 ? "=1+1" : "Z" + std::to_string(r));
        d_SetData(first + 99, FieldString, "\xC3\xBC");
    }
    TransferTable();
    const CalculationState& c = Calculation();
    const auto text = [&](Int row, Int column) {
        const Text& t = c.CellText[static_cast<std::size_t>(CellIndex(row, column))];
        return std::string(t.Elements.begin(), t.Elements.end());
    };
    EXPECT_EQ(text(1, 1) + "|" + text(1, 100) + "|" + text(999, 1) + "|" + text(999, 100), "F1|F100|Z998|\xFC");
    EXPECT_EQ(c.CellFormula.Get(static_cast<std::size_t>(CellIndex(2, 1))), Text::FromBytes("=1+1"));
    EXPECT_EQ(CellKind(c.CellAttributes[static_cast<std::size_t>(CellIndex(1, 1))]), CellKindText);
    EXPECT_EQ(CellKind(c.CellAttributes[static_cast<std::size_t>(CellIndex(3, 1))]), CellKindUncomputed);
}

}  // namespace
