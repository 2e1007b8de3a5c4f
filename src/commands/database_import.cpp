#include "commands/database_import.h"

#include <string>

#include "catalog/file_selector.h"
#include "commands/calculation_files.h"
#include "commands/stopwatch.h"
#include "database/database.h"
#include "database/datafile.h"
#include "files/file_utilities.h"
#include "numbers/number_format.h"
#include "platform/log.h"
#include "runtime/charset.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"

namespace {

// A host text in the program's 8-bit codes, as the runtime maps them.
Text Codes(const std::string& text) { return WithoutLineEnds(EditorResultToText(t_ConvertUniCode(text).Converted)); }

void SetCell(Int row, Int column, const std::string& value, Int kind) {
    CalculationState& c = Calculation();
    const auto at = static_cast<std::size_t>(CellIndex(row, column));
    const bool formula = !value.empty() && value[0] == '=';
    c.CellFormula.Set(at, formula ? Codes(value) : Text());
    c.CellText.Set(at, formula ? Text() : Codes(value));
    SetCellKind(c.CellAttributes.Edit(at), kind);
}

String Grouped(std::int64_t number) { return TextToString(IntegerText(number, -1, 0, true)); }

String WhyNotImported() {
    const int error = LastFileError();
    const DatafileReport report = LastDatafileReport();
    if (error != 0) return FileErrorText(error);
    if (report.RecordsRefused > 0)
        return "Mehr als " + Grouped(MaxDataValues) + " Werte: " + Grouped(report.RecordsRefused) +
               " Sätze zu viel";
    if (report.Errors > 0) return Grouped(report.Errors) + " Fehler in der Datei (siehe Konsole)";
    return "Die Datei ist leer";
}

}  // namespace

void TransferTable() {
    const CalculationState& c = Calculation();
    const Int fields = d_FieldsInTable(0), records = d_RecordsInTable(0);
    for (Int i = 1; i <= fields && i <= c.ColumnCount; ++i) SetCell(1, i, d_GetFieldID(0, i - 1), CellKindText);
    for (Int r = 1; r <= records && r + 1 <= c.RowCount; ++r)
        for (Int i = 1; i <= fields && i <= c.ColumnCount; ++i)
            SetCell(r + 1, i, d_GetData(0, r, i - 1), CellKindUncomputed);
}

void ImportDatabase(const String& path) {
    if (path.empty()) return;
    Stopwatch clock;
    CalculationState& c = Calculation();
    if (!d_LoadDatabase(path)) {
        // The sheet, its name and its unsaved work stay as they were.
        TellNotOpened("Datenbank importieren", path, WhyNotImported(), "importiert");
        return;
    }
    LogLine("TabronaLoadDataBase: Load database from disk, " + std::to_string(clock.Lap()) + " ms.");
    // The user was asked to save the Calculation this replaces.
    ClearCalculation();
    TransferTable();
    c.Modified = true;
    // The folder, not the name: a save must not write a Calculation over
    // the datafile.
    c.CalcFolder = folderofpath(path);
    c.CalcFileName.clear();
    RecalculateAll();
    EnsureColumnVisible(c.CursorColumn);
    EnsureCursorRowVisible();
    RedrawScreen();
    RedrawGrid();
}

void ImportDatabaseDialog() {
    if (!AskSaveFirst("Datenbank importieren")) return;
    const String path = OpenFileSelector(SheetWindow, SelectorStartFolder(), "Datenbank importieren", "DIR,datb", 5,
                                         Calculation().GridBottom - 10, SelectorWidth, false, false);
    ImportDatabase(path);
}
