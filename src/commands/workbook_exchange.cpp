#include "commands/workbook_exchange.h"

#include <string>

#include "commands/calculation_files.h"
#include "commands/menus.h"
#include "commands/stopwatch.h"
#include "dialogs/dialogs.h"
#include "files/file_utilities.h"
#include "input/events.h"
#include "platform/log.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"
#include "sheet/history.h"

namespace {

const char* FormatName(WorkbookFormat format) {
    switch (format) {
        case WorkbookFormat::Xlsx: return "Excel-Arbeitsmappe";
        case WorkbookFormat::Ods: return "OpenDocument-Tabelle";
        case WorkbookFormat::Csv: return "CSV-Datei";
        default: return "Textdatei";
    }
}

String WithoutExtension(const String& name) {
    const std::size_t dot = name.rfind('.');
    return dot == String::npos || dot == 0 ? name : name.substr(0, dot);
}

void LogValuesOnly(const String& tag, const std::vector<std::pair<Int, Int>>& cells) {
    if (!cells.empty())
        LogLine(tag + ": " + std::to_string(cells.size()) + " Formeln als Wert übertragen: " + ValuesOnlyText(cells));
}

}  // namespace

bool OpensAsImport(const String& path) {
    const WorkbookFormat format = FormatOfPath(path);
    return format == WorkbookFormat::Xlsx || format == WorkbookFormat::Ods || format == WorkbookFormat::Csv;
}

String ImportedCalculationName(const String& path) {
    const String folder = folderofpath(path), base = WithoutExtension(nameofpath(path));
    for (int n = 1; n < 1000; ++n) {
        const String name = base + (n == 1 ? "" : " " + std::to_string(n)) + ".calc";
        if (filekind(folder + name) == KindNothing) return name;
    }
    return base + ".calc";
}

void ImportWorkbookFile(const String& path) {
    const WorkbookFormat format = FormatOfPath(path);
    Stopwatch clock;
    const std::string bytes = getbytesfromfile(path, MaxWorkbookFileBytes);
    LogLine("TabronaImport: Load file from disk, " + std::to_string(clock.Lap()) + " ms.");
    if (const int error = LastFileError(); error != 0) {
        TellNotOpened("Calculation öffnen", path, FileErrorText(error), "importiert");
        return;
    }
    SheetTable table;
    std::string error;
    if (!ReadWorkbookBytes(format, bytes, table, error)) {
        LogLine("TabronaImport: " + LogExcerpt(path) + ": " + error);
        TellNotOpened("Calculation öffnen", path, String("Keine lesbare ") + FormatName(format) + " (beschädigt?)",
                      "importiert");
        return;
    }
    LogLine("TabronaImport: Read file in memory, " + std::to_string(clock.Lap()) + " ms.");
    StartHistory();
    ClearCalculation();
    PutTable(table);
    CalculationState& c = Calculation();
    c.CalcFileName = ImportedCalculationName(path);
    c.CalcFolder = folderofpath(path);
    c.Modified = false;
    LogLine("TabronaImport: Put file into calculation, " + std::to_string(clock.Lap()) + " ms.");
    LogValuesOnly("TabronaImport", table.ValuesOnly);
    ShowOpenedCalculation();
    if (table.CellsLeftOut > 0) {
        TellUser("Calculation öffnen", "»" + nameofpath(path) + "« ist größer als eine Calculation:", LeftOutText(table));
        RedrawAfterDialog();
    }
}

void ExportWorkbookBeside(WorkbookFormat format) {
    const CalculationState& c = Calculation();
    const String title = "Exportieren als " + String(FormatName(format));
    if (c.CalcFileName.empty()) {
        TellUser(title, "Die Calculation hat noch keinen Namen:", "Bitte zuerst sichern (^Q U).");
        RedrawAfterDialog();
        return;
    }
    const String name = WithoutExtension(c.CalcFileName) + FormatExtension(format);
    const String path = c.CalcFolder + name;
    if (filekind(path) != KindNothing) {
        const Int answer = t_AskYesNo(SheetWindow, title, "»" + name + "« gibt es schon. Ersetzen?", "");
        RedrawAfterDialog();
        if (answer != 1) return;
    }
    Stopwatch clock;
    std::vector<std::pair<Int, Int>> valuesOnly;
    std::string error;
    const std::optional<std::string> bytes = WorkbookBytes(format, TableFromCalculation(), valuesOnly, error);
    LogLine("TabronaExport: Write memory to " + std::string(FormatExtension(format) + 1) + ", " +
            std::to_string(clock.Lap()) + " ms.");
    if (!bytes) {
        LogLine("TabronaExport: " + error);
        TellUser(title, "»" + name + "« konnte nicht erstellt werden.", "");
        RedrawAfterDialog();
        return;
    }
    const int written = setstringtofile(*bytes, path);
    LogLine("TabronaExport: Write file to disk, " + std::to_string(clock.Lap()) + " ms.");
    if (written != 0) {
        TellFileError(title, "»" + name + "« konnte nicht gesichert werden:", written);
        return;
    }
    LogValuesOnly("TabronaExport", valuesOnly);
    TellUser(title, "»" + name + "« wurde geschrieben.",
             valuesOnly.empty() ? String() : std::to_string(valuesOnly.size()) + " Formeln als Wert (siehe Konsole).");
    RedrawAfterDialog();
}
