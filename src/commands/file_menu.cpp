// The keys of the menu "Ablage/Format": files, the cursor cell's format and
// width, the global switches, the about screen and quitting.
#include <string>

#include "catalog/catalog.h"
#include "catalog/file_selector.h"
#include "commands/calculation_files.h"
#include "commands/database_import.h"
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "commands/open_calculation.h"
#include "commands/text_files.h"
#include "dialogs/dialogs.h"
#include "files/file_utilities.h"
#include "input/events.h"
#include "input/input_line.h"
#include "runtime/charset.h"
#include "runtime/key_codes.h"
#include "screen/text_output.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"
#include "sheet/history.h"

namespace {

CalculationState& C() { return Calculation(); }

// After a selector, which covered the help lines too.
Int RedrawWithHelp(Int key) {
    RedrawAfterDialog();
    return StayInMenu(key);
}

template <void (*Command)()>
Int ThenMainMenu(Int) {
    Command();
    ReturnToMainMenu();
    return 0;
}

template <bool CalculationState::*Switch>
Int Toggle(Int key) {
    C().*Switch = !(C().*Switch);
    return StayInMenu(key);
}

Int& CursorAttributes() { return C().CellAttributes.Edit(static_cast<std::size_t>(CellIndex(C().CursorRow, C().CursorColumn))); }

// A, H and Z change only the cursor cell's look: not a change of content.
template <Int (*Get)(Int), void (*Set)(Int&, Int), Int Count>
Int Advance(Int key) {
    Int& attributes = CursorAttributes();
    Set(attributes, (Get(attributes) + 1) % Count);
    RedrawAroundCursor();
    return StayInMenu(key);
}

Int ShowHelp(Int key) {
    C().GridTop = HelpModeAll;
    ShowMenuHelp(FileMenu);
    RedrawAroundCursor();
    return StayInMenu(key);
}

Int ColumnWidthPrompt(Int key) {
    CalculationState& c = C();
    t_Htab(SheetWindow, c.ColorMode ? 20 : 17);
    t_Vtab(SheetWindow, 7);
    const Int current = c.ColumnWidth[static_cast<std::size_t>(c.CursorColumn)];
    const String answer = t_InputForm(SheetWindow, "", std::to_string(current), false, InputInteger, 2);
    const Int width = TextToInteger(Text::FromBytes(answer));
    if (width >= 1 && width <= MaxColumnWidth) {
        NoteWidthChanging(c.CursorColumn);
        c.ColumnWidth[static_cast<std::size_t>(c.CursorColumn)] = width;
        BuildHeaderLine();
        RedrawGrid();
    }
    RedrawScreen();
    return StayInMenu(key);
}

String PickFile(const String& title) {
    return OpenFileSelector(SheetWindow, SelectorStartFolder(), title, "", 5, C().GridBottom - 10, SelectorWidth,
                            false, false);
}

template <bool Lock>
Int Protect(Int key) {
    const String path = PickFile(Lock ? "Datei schützen" : "Datei entschützen");
    if (!path.empty()) lockfile(path, Lock);
    return RedrawWithHelp(key);
}

// Tells why a file was left as it was, and waits for a key.
void Refused(const String& title, const String& why, const String& name) {
    RedrawAfterDialog();
    TellUser(title, why, name);
}

String WhyNot(const String& path, const char* failed) {
    return FileLocked(path) ? String("Die Datei ist geschützt:") : String(failed);
}

Int Rename(Int key) {
    const String path = PickFile("Datei umbenennen");
    if (path.empty()) return RedrawWithHelp(key);
    if (C().GridTop == HelpModeAll) ShowMenuHelp(FileMenu);
    RedrawAroundCursor();
    const String name = NamePrompt(SheetWindow, "Neuer Name:", Utf8(Scalars(CompatibilityComposed(SelectedItemName()))), 12,
                                   SelectorWidth, false);
    const int result = name.empty() ? 0 : renamefile(path, name);
    if (result == -2) Refused("Datei umbenennen", "Eine Datei dieses Namens gibt es schon:", name);
    if (result == -1) Refused("Datei umbenennen", WhyNot(path, "Die Datei konnte nicht umbenannt werden:"), nameofpath(path));
    return RedrawWithHelp(key);
}

Int Delete(Int key) {
    const String path = PickFile("Datei löschen");
    if (!path.empty() && deletefile(path) != 1)
        Refused("Datei löschen", WhyNot(path, "Die Datei konnte nicht gelöscht werden:"), nameofpath(path));
    return RedrawWithHelp(key);
}

// The folder's listing in the grid's place, a page at a time.
Int CatalogListing(Int key) {
    CalculationState& c = C();
    const UInt8 w = SheetWindow;
    t_Area(w, 1, c.GridTop + 1, c.ScreenColumns, c.GridBottom);
    t_CursorHome(w);
    t_ClearEndOfWindow(w);
    ResetCatalog();
    // The Calculation's folder whenever it has one, even one that is gone.
    const String& folder = c.CalcFolder;
    f_CatLoad(folder.empty() ? SelectorStartFolder() : folder, false, false, false, "");
    if (Catalog().CatStatus == CatLoaded && !Catalog().CatList.empty()) {
        t_Print(w, f_CatHeader(true, 80, false));
        t_Cr(w);
        t_Area(w, 1, c.GridTop + 3, c.ScreenColumns, c.GridBottom);
        Int count = 2;
        for (const f_CatItem& item : Catalog().CatList) {
            t_Print(w, f_CatStr(item, 80, false));
            t_Cr(w);
            if (++count == c.GridBottom - c.GridTop - 1) {
                t_WaitKey(w);
                count = 0;
            }
        }
    }
    t_WaitKey(w);
    t_FullArea(w);
    RedrawAroundCursor();
    return StayInMenu(key);
}

void Quit() {
    if (!AskSaveFirst("Beenden")) return;
    C().QuitRequested = true;
    t_CursorHome(SheetWindow);
    t_ClearEndOfWindow(SheetWindow);
    t_ProgramBanner(SheetWindow);
}

Int QuitKey(Int) {
    Quit();
    if (!C().QuitRequested) ReturnToMainMenu();
    return 0;
}

void About() {
    t_CursorHome(SheetWindow);
    t_ClearEndOfWindow(SheetWindow);
    t_ProgramBanner(SheetWindow);
    t_Cr(SheetWindow);
    t_Print(SheetWindow, String("Bitte irgendeine Taste drücken "));
    t_WaitKey(SheetWindow);
}

constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
    {'#', Toggle<&CalculationState::FormulasInsteadOfContents>},
    {'*', Toggle<&CalculationState::CopyFormats>},
    {'F', Toggle<&CalculationState::AutoRecalculate>},
    {'+', Protect<true>},
    {'-', Protect<false>},
    {'?', ShowHelp},
    {'A', Advance<DisplayFormat, SetDisplayFormat, DisplayFormatCurrency + 1>},
    {'B', ColumnWidthPrompt},
    {'C', CatalogListing},
    {'D', Rename},
    {'E', ThenMainMenu<ExportText>},
    {'H', Advance<BackgroundColor, SetBackgroundColor, 16>},
    {'I', ThenMainMenu<InsertTextFile>},
    {'J', ThenMainMenu<ImportDatabaseDialog>},
    {'N', ThenMainMenu<NewCalculation>},
    {'O', ThenMainMenu<OpenCalculationDialog>},
    {'Q', QuitKey},
    {'S', ThenMainMenu<[] { SaveCalculation(); }>},
    {'U', ThenMainMenu<[] { SaveCalculationAs(); }>},
    {'X', Delete},
    {'Z', Advance<FontColor, SetFontColor, 16>},
    {0xDC, ThenMainMenu<About>},  // Ü
};

}  // namespace

void QuitProgramCommand() { Quit(); }

Int FileMenuKey(Int key) {
    return RunMenuCommand(Commands, UpperCaseKey(key), StayInMenu);
}
