#include "commands/calculation_files.h"

#include <chrono>
#include <string>

#include "files/file_utilities.h"
#include "platform/log.h"
#include "runtime/dialogs.h"
#include "runtime/window.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"

namespace {

// Whole milliseconds since the last stamp, which moves on.
class Stopwatch {
public:
    long long Lap() {
        const auto now = std::chrono::steady_clock::now();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last_).count();
        last_ = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

void RedrawAfterQuestion() {
    EnsureColumnVisible(Calculation().CursorColumn);
    EnsureCursorRowVisible();
    RedrawScreen();
    RedrawGrid();
}

}  // namespace

bool SaveCalculation() {
    CalculationState& c = Calculation();
    if (c.CalcFileName.empty()) {
        LogLine("TabronaSave: The Calculation has no file name yet.");
        return false;
    }
    Stopwatch clock;
    const String text = CalculationFileText(CalculationToText());
    LogLine("TabronaSave: Write memory to calculation, " + std::to_string(clock.Lap()) + " ms.");
    const int error = setstringtofile(text, c.CalcFolder + c.CalcFileName);
    LogLine("TabronaSave: Write calculation to disk, " + std::to_string(clock.Lap()) + " ms.");
    if (error != 0) return false;
    c.Modified = false;
    return true;
}

void OpenCalculation(const String& path) {
    CalculationState& c = Calculation();
    if (c.Modified) {
        const Int answer = t_AskYesNo(SheetWindow, "Calculation öffnen", "Aktuelle Calculation vorher speichern?", "");
        // A save that fails keeps the Calculation: loading over it would
        // lose the work the user meant to keep.
        const bool keep = answer == 0 || (answer == 1 && !SaveCalculation());
        RedrawAfterQuestion();
        if (keep) return;
    }
    if (path.empty()) return;
    ClearCalculation();
    Stopwatch clock;
    const String text = getstringfromfile(path);
    LogLine("TabronaLoadFile: Load calculation from disk, encoding = " + LastFileEncoding() + ", " +
            std::to_string(clock.Lap()) + " ms.");
    CalculationFromText(text);
    LogLine("TabronaLoadFile: Read calculation in memory, " + std::to_string(clock.Lap()) + " ms.");
    c.CalcFileName = nameofpath(path);
    c.CalcFolder = folderofpath(path);
    RecalculateAll();
    t_WindowTitle(SheetWindow, c.CalcFileName);
    EnsureColumnVisible(c.CursorColumn);
    EnsureCursorRowVisible();
    RedrawScreen();
    RedrawGrid();
    BuildHeaderLine();
}
