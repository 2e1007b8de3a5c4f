#include "commands/undo.h"

#include <string>

#include "commands/menus.h"
#include "runtime/key_codes.h"
#include "runtime/text.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"
#include "sheet/history.h"
#include "sheet/recalculation.h"

namespace {

struct NamedKey {
    Int Menu;
    Int Key;  // menus 1-4: upper case
    const char* Name;
};

// The names the help lines give these keys.
constexpr NamedKey StepNames[] = {
    {MainMenu, TabKey, "Spalte einfügen"},
    {MainMenu, CtrlG, "Spalte löschen"},
    {MainMenu, CtrlT, "Zeile einfügen"},
    {MainMenu, CtrlX, "Zeile löschen"},
    {MainMenu, BackspaceKey, "Feld löschen"},
    {MainMenu, CtrlV, "Einfügen"},
    {MainMenu, CtrlUnderscore, "Demodaten einfügen"},
    {FileMenu, 'A', "Ausrichtung"},
    {FileMenu, 'B', "Spaltenbreite"},
    {FileMenu, 'H', "Hintergrund"},
    {FileMenu, 'I', "Text einfügen"},
    {FileMenu, 'J', "Datenbank importieren"},
    {FileMenu, 'Z', "Schrift"},
    {SelectionMenu, 'B', "Löschen"},
    {SelectionMenu, 'D', "Formate löschen"},
    {SelectionMenu, 'G', "Großbuchstaben"},
    {SelectionMenu, 'K', "Kleinbuchstaben"},
    {SelectionMenu, 'L', "Linksbündig"},
    {SelectionMenu, 'M', "Erster Buchstabe groß"},
    {SelectionMenu, 'N', "Normal"},
    {SelectionMenu, 'R', "Rechtsbündig"},
    {SelectionMenu, 'V', "Einsetzen"},
    {SelectionMenu, 'W', "Währung"},
    {SelectionMenu, 'X', "Ausschneiden"},
    {SelectionMenu, 'Z', "Zentriert"},
    {SearchMenu, 'A', "Alles ändern"},
    {SearchMenu, 'E', "Ändern"},
    {SearchMenu, 196, "Ändern & Suchen"},  // Ä
};

std::string Address(Int row, Int column) { return "Z" + std::to_string(row) + "S" + std::to_string(column); }

// "Einfügen Z3S1..Z40S5": the name and what the step changed.
std::string Described(const StepSummary& step) {
    std::string text = step.Name;
    if (step.WholeSheet) return text;
    if (step.FirstRow > 0) {
        text += " " + Address(step.FirstRow, step.FirstColumn);
        if (step.LastRow != step.FirstRow || step.LastColumn != step.FirstColumn)
            text += ".." + Address(step.LastRow, step.LastColumn);
    } else if (step.FirstWidth > 0) {
        text += " S" + std::to_string(step.FirstWidth);
        if (step.LastWidth != step.FirstWidth) text += "..S" + std::to_string(step.LastWidth);
    }
    return text;
}

}  // namespace

std::string StepName(Int menu, Int key) {
    const Int named = menu == MainMenu ? key : UpperCaseKey(key);
    for (const NamedKey& entry : StepNames)
        if (entry.Menu == menu && entry.Key == named) return entry.Name;
    if (menu == MainMenu && (key == ReturnKey || key >= 32)) return "Feld bearbeiten";
    return "Änderung";
}

void UndoCommand(bool redo) {
    const std::optional<StepSummary> step = redo ? RedoStep() : UndoStep();
    if (!step) {
        SetStatusNote(redo ? "Nichts wiederherzustellen" : "Nichts rückgängig zu machen");
        return;
    }
    if (Calculation().AutoRecalculate) RecalculateChanged();
    SetStatusNote((redo ? "Wiederherstellen: " : "Rückgängig: ") + Described(*step));
    BuildHeaderLine();
    RedrawAroundCursor();
}
