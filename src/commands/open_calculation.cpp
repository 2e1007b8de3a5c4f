#include "commands/open_calculation.h"

#include <string>

#include "catalog/file_selector.h"
#include "commands/calculation_files.h"
#include "commands/menus.h"
#include "commands/stopwatch.h"
#include "commands/workbook_exchange.h"
#include "files/file_utilities.h"
#include "platform/log.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"
#include "sheet/history.h"

void OpenCalculation(const String& path) {
    CalculationState& c = Calculation();
    if (!AskSaveFirst("Calculation öffnen") || path.empty()) return;
    if (OpensAsImport(path)) {
        ImportWorkbookFile(path);
        return;
    }
    Stopwatch clock;
    const String text = getstringfromfile(path);
    LogLine("TabronaLoadFile: Load calculation from disk, encoding = " + LastFileEncoding() + ", " +
            std::to_string(clock.Lap()) + " ms.");
    // A file that is missing starts a new Calculation of that name; one that
    // cannot be read, or is no Calculation, leaves the sheet, its name and
    // its unsaved work as they were: a save would write over that file.
    const String why = WhyNotReadable(LastFileError(), text);
    if (!why.empty()) {
        TellNotOpened("Calculation öffnen", path, why);
        return;
    }
    StartHistory();
    ClearCalculation();
    CalculationFromText(text);
    LogLine("TabronaLoadFile: Read calculation in memory, " + std::to_string(clock.Lap()) + " ms.");
    c.CalcFileName = nameofpath(path);
    c.CalcFolder = folderofpath(path);
    RecalculateAll();
    ShowOpenedCalculation();
}

void OpenCalculationDialog() {
    if (!AskSaveFirst("Tabelle öffnen")) return;
    const String path = OpenFileSelector(SheetWindow, SelectorStartFolder(), "Tabellendatei öffnen", "DIR,calc,xlsx,ods,csv", 5,
                                         Calculation().GridBottom - 10, SelectorWidth, false, false);
    RedrawAfterDialog();
    OpenCalculation(path);
}
