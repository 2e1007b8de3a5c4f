#include "commands/calculation_files.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "catalog/file_selector.h"
#include "commands/menus.h"
#include "commands/product.h"
#include "commands/stopwatch.h"
#include "dialogs/dialogs.h"
#include "files/file_utilities.h"
#include "input/events.h"
#include "platform/log.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/grid_display.h"
#include "sheet/history.h"

namespace {

}  // namespace

String FileErrorText(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return "Keine Berechtigung";
        case ENOENT: return "Ordner nicht gefunden";
        case ENOSPC: return "Kein Platz mehr auf dem Datenträger";
        case EDQUOT: return "Speicherkontingent erschöpft";
        case EROFS: return "Nur lesbares Dateisystem";
        case EISDIR: return "Ist ein Ordner";
        case ENAMETOOLONG: return "Name zu lang";
        case EIO: return "Ein-/Ausgabefehler";
        case EFBIG: return "Die Datei ist zu groß";
        case NotRegularFileError: return "Keine gewöhnliche Datei";
        case ELOOP: return "Zu viele symbolische Links";
        default: return std::strerror(error);
    }
}

namespace {

// Writes the Calculation to path with the log lines of `operation`; tells
// the user when it failed.
bool WriteCalculation(const String& operation, const String& path) {
    Stopwatch clock;
    const String text = CalculationFileText(CalculationToText());
    LogLine(operation + ": Write memory to calculation, " + std::to_string(clock.Lap()) + " ms.");
    // A file the reader would refuse is not written at all.
    const int error = text.size() > MaxTextFileBytes ? EFBIG : setstringtofile(text, path);
    LogLine(operation + ": Write calculation to disk, " + std::to_string(clock.Lap()) + " ms.");
    if (error == 0) {
        Calculation().Modified = false;
        NoteSaved();
        return true;
    }
    TellFileError("Calculation sichern", "Die Calculation konnte nicht gesichert werden:", error);
    return false;
}

}  // namespace

void TellFileError(const String& title, const String& what, int error) {
    TellUser(title, what, FileErrorText(error));
    RedrawAfterDialog();
}

String SelectorStartFolder() {
    const String& folder = Calculation().CalcFolder;
    return !folder.empty() && filekind(folder) == KindFolder ? folder : DesktopFolder();
}

bool SaveCalculation() {
    const CalculationState& c = Calculation();
    if (c.CalcFileName.empty()) return SaveCalculationAs();
    return WriteCalculation("TabronaSave", c.CalcFolder + c.CalcFileName);
}

bool SaveCalculationAs() {
    CalculationState& c = Calculation();
    const String path = SaveFileSelector(SheetWindow, SelectorStartFolder(), "Calculation sichern", "Sichern unter:",
                                         c.CalcFileName, 5, c.GridBottom - 10, SelectorWidth, false);
    RedrawAfterDialog();
    if (path.empty()) return false;
    // A name typed without an extension is a Calculation's: the desktop
    // finds it by its ".calc".
    const String name = nameofpath(path);
    const String file = name.find('.') == String::npos ? path + ".calc" : path;
    if (!WriteCalculation("TabronaSaveAs", file)) return false;
    c.CalcFileName = nameofpath(file);
    c.CalcFolder = folderofpath(file);
    t_WindowTitle(SheetWindow, c.CalcFileName);
    return true;
}

bool AskSaveFirst(const String& title) {
    if (!Calculation().Modified) return true;
    const Int answer = t_AskYesNo(SheetWindow, title, "Aktuelle Calculation vorher speichern?", "");
    RedrawAfterDialog();
    // A save that fails keeps the Calculation: going on would lose the work
    // the user meant to keep.
    return answer == 2 || (answer == 1 && SaveCalculation());
}

void NewCalculation() {
    if (!AskSaveFirst("Neue Calculation")) return;
    StartHistory();
    ClearCalculation();
    CalculationState& c = Calculation();
    c.TopRow = 1;
    c.CursorRow = 1;
    c.CursorColumn = 1;
    if (c.LeftColumn != 1) {
        c.LeftColumn = 1;
        BuildHeaderLine();
        RedrawScreen();
    }
    RedrawGrid();
    t_WindowTitle(SheetWindow, String("Tabrona ") + ProductInformation);
}

void TellNotOpened(const String& title, const String& path, const String& why, const String& done) {
    TellUser(title, "»" + nameofpath(path) + "« wurde nicht " + done + ":", why);
    RedrawAfterDialog();
}

String WhyNotReadable(int error, const String& text) {
    if (error != 0 && error != ENOENT) return FileErrorText(error);
    return IsCalculationText(text) ? String() : String("Keine Calculation-Datei");
}

void ShowOpenedCalculation() {
    CalculationState& c = Calculation();
    t_WindowTitle(SheetWindow, c.CalcFileName);
    EnsureColumnVisible(c.CursorColumn);
    EnsureCursorRowVisible();
    RedrawScreen();
    RedrawGrid();
    BuildHeaderLine();
}
