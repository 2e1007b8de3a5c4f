#include "commands/text_files.h"

#include <string>
#include <utility>

#include "catalog/file_selector.h"
#include "commands/calculation_files.h"
#include "commands/menus.h"
#include "commands/stopwatch.h"
#include "dialogs/dialogs.h"
#include "files/file_utilities.h"
#include "input/events.h"
#include "platform/log.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/exchange_text.h"
#include "sheet/grid_display.h"

namespace {

// CopyFormats off for as long as it lives: an exported text carries no
// attribute words.
class FormatsOff {
public:
    FormatsOff() : formats_(std::exchange(Calculation().CopyFormats, false)) {}
    ~FormatsOff() { Calculation().CopyFormats = formats_; }
    FormatsOff(const FormatsOff&) = delete;
    FormatsOff& operator=(const FormatsOff&) = delete;

private:
    bool formats_;
};

}  // namespace

String ExportedText() {
    const FormatsOff off;
    return SheetAsText();
}

void ExportedTextInParts(const std::function<bool(std::string_view)>& write) {
    const FormatsOff off;
    const CalculationState& c = Calculation();
    CellsAsTextInParts(1, 1, c.RowCount, c.ColumnCount, std::size_t{1} << 16, write);
}

int ExportTextTo(const String& path) {
    Stopwatch clock;
    const String text = ExportedText();
    LogLine("TabronaExport: Write memory to text, " + std::to_string(clock.Lap()) + " ms.");
    const int error = setstringtofile(text, path);
    LogLine("TabronaExport: Write text to disk, " + std::to_string(clock.Lap()) + " ms.");
    return error;
}

InsertOutcome InsertTextFrom(const String& path) {
    Stopwatch clock;
    const String text = getstringfromfile(path);
    LogLine("TabronaInsert: Load text from disk, encoding = " + LastFileEncoding() + ", " +
            std::to_string(clock.Lap()) + " ms.");
    const int error = LastFileError();
    if (error != 0) return {error, 0};
    const PasteOutcome pasted = PasteText(text);
    LogLine("TabronaInsert: Read text in memory, " + std::to_string(clock.Lap()) + " ms.");
    return {0, pasted.LinesCut};
}

void ExportText() {
    const String path = SaveFileSelector(SheetWindow, SelectorStartFolder(), "Textdatei exportieren",
                                         "Exportieren:", Calculation().CalcFileName, 5, Calculation().GridBottom - 10,
                                         SelectorWidth, false);
    const int error = path.empty() ? 0 : ExportTextTo(path);
    if (error != 0) TellFileError("Textdatei exportieren", "Der Text konnte nicht gesichert werden:", error);
}

void InsertTextFile() {
    const String path =
        OpenFileSelector(SheetWindow, SelectorStartFolder(), "Textdatei einfügen", "DIR,txt,text,asm,bin,bas", 5,
                         Calculation().GridBottom - 10, SelectorWidth, false, false);
    if (path.empty()) return;
    const InsertOutcome outcome = InsertTextFrom(path);
    if (outcome.Error != 0) TellNotOpened("Textdatei einfügen", path, FileErrorText(outcome.Error), "eingefügt");
    TellLinesCut("Textdatei einfügen", outcome.LinesCut);
}
