// The keys of the menu "Macro": a list of the 95 macros to move through,
// edit and empty, and the macro files to load, save, import and export.
#include <algorithm>

#include "catalog/file_selector.h"
#include "commands/calculation_files.h"
#include "commands/macros.h"
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "input/input_line.h"
#include "runtime/key_codes.h"
#include "screen/text_output.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"
#include "sheet/help_texts.h"

namespace {

constexpr UInt8 W = SheetWindow;
constexpr UInt8 HorizontalRule = 154;  // fills the header line
constexpr Int ShownBytes = 70;
constexpr Int TextColumn = 8;  // after "Alt-X: "

// " Macro Editor " centred in the header line, filled with rules.
Text MacroHeaderLine() {
    const String title = " Macro Editor ";
    const Int width = Calculation().ScreenColumns;
    const Int length = static_cast<Int>(title.size());
    Text line;
    const Int front = width - length >= 2 ? (width - length) / 2 : 0;
    line.Elements.assign(static_cast<std::size_t>(front), HorizontalRule);
    line += Text::FromBytes(title);
    line.Elements.resize(static_cast<std::size_t>(width), HorizontalRule);
    return line;
}

Int PageSize() { return std::max<Int>(Macros().LastLine - Macros().FirstLine + 1, 1); }

// The selection within the macros, the list's top within its range, and
// the selected macro on a line of the list.
void Clamp() {
    MacroState& m = Macros();
    const Int page = PageSize();
    m.Selected = std::clamp<Int>(m.Selected, 1, MacroCount);
    m.Top = std::clamp<Int>(m.Top, 1, std::max<Int>(MacroCount - page + 1, 1));
    if (m.Selected < m.Top) m.Top = m.Selected;
    if (m.Selected > m.Top + page - 1) m.Top = m.Selected - page + 1;
}

template <Int SelectedStep, Int TopStep>
Int Move(Int key) {
    Macros().Selected += SelectedStep;
    Macros().Top += TopStep;
    Clamp();
    return key;
}

template <Int Sign>
Int MovePage(Int key) {
    Macros().Selected += Sign * PageSize();
    Macros().Top += Sign * PageSize();
    Clamp();
    return key;
}

Int First(Int key) {
    Macros().Selected = Macros().Top = 1;
    return key;
}

Int Last(Int key) {
    Macros().Selected = MacroCount;
    Macros().Top = MacroCount - PageSize() + 1;
    Clamp();
    return key;
}

void SaveTo(const String& path) {
    const int error = MacroSave(path);
    if (error != 0) TellFileError("Macros sichern", "Die Macros konnten nicht gesichert werden:", error);
}

Int Load(Int key) {
    LoadDefaultMacros();
    return key;
}

Int Save(Int key) {
    const int error = SaveDefaultMacros();
    if (error != 0) TellFileError("Macros sichern", "Die Macros konnten nicht gesichert werden:", error);
    return key;
}

Int Import(Int key) {
    const String path = OpenFileSelector(W, SelectorStartFolder(), "Macro importieren", "DIR,txt,text", 5,
                                         Calculation().GridBottom - 10, SelectorWidth, false, false);
    if (!path.empty()) MacroLoad(path);
    RedrawScreen();
    return key;
}

Int Export(Int key) {
    const String path = SaveFileSelector(W, SelectorStartFolder(), "Macro exportieren", "Exportieren:", "Macro.txt", 5,
                                         Calculation().GridBottom - 10, SelectorWidth, false);
    if (!path.empty()) SaveTo(path);
    RedrawScreen();
    return key;
}

// The selected macro in the input line on its own list line.
Int Edit(Int key) {
    MacroState& m = Macros();
    t_Vtab(W, m.FirstLine + m.Selected - m.Top);
    t_Htab(W, TextColumn);
    t_ClearEndOfLine(W);
    const String typed = t_InputForm(W, "", TextToString(m.Table[m.Selected]), false, InputAnyWithControls, ShownBytes);
    if (!typed.empty()) m.Table[m.Selected] = EditorResultToText(typed);
    return key;
}

Int Empty(Int key) {
    Macros().Table[Macros().Selected] = Text();
    return key;
}

Int EmptyAll(Int key) {
    for (Text& macro : Macros().Table) macro = Text();
    return key;
}

// The help lines take the top of the screen: the list starts below them.
Int ShowHelp(Int key) {
    Calculation().GridTop = HelpModeAll;
    Macros().FirstLine = HelpModeAll + 1;
    Clamp();
    ShowMenuHelp(MacroMenu);
    RedrawScreen();
    return key;
}

// The grid's header line comes back with the main menu.
Int LeaveMacroMenu(Int key) {
    BuildHeaderLine();
    return BackToMainMenu(key);
}

constexpr MenuCommand Commands[] = {
    {0, LeaveMacroMenu},   {EscapeKey, LeaveMacroMenu},
    {CtrlK, Move<-1, 0>},  {CtrlJ, Move<1, 0>},
    {CtrlW, Move<-1, -1>}, {CtrlY, Move<1, 1>},
    {CtrlR, MovePage<-1>}, {CtrlC, MovePage<1>},
    {CtrlB, First},        {CtrlE, Last},
    {CtrlL, Load},         {CtrlS, Save},
    {CtrlI, Import},       {CtrlU, Export},
    {ReturnKey, Edit},     {BackspaceKey, Empty},
    {CtrlG, Empty},        {CtrlX, EmptyAll},
    {'?', ShowHelp},
};

}  // namespace

void DrawMacroList() {
    const MacroState& m = Macros();
    for (Int line = m.FirstLine; line <= m.LastLine; ++line) {
        const Int index = m.Top + line - m.FirstLine;
        t_Vtab(W, line);
        t_Htab(W, 1);
        if (index == m.Selected) StatusColors();
        if (index <= MacroCount) {
            // The macro key is Alt on Linux.
            t_Print(W, String("Alt-"));
            t_DisplayMode(W, 4);
            Text shown;
            shown += static_cast<UInt8>(index);
            shown += Text::FromBytes(": ");
            const Text& macro = m.Table[index];
            shown.Elements.insert(shown.Elements.end(), macro.Elements.begin(),
                                  macro.Elements.begin() +
                                      std::min<std::ptrdiff_t>(ShownBytes, static_cast<std::ptrdiff_t>(macro.Size())));
            t_Print(W, shown);
            t_DisplayMode(W, 0);
        }
        t_ClearEndOfLine(W);
        if (index == m.Selected) NormalColors();
    }
}

Int EnterMacroMenu(Int key) {
    CalculationState& c = Calculation();
    c.MenuState = MacroMenu;
    Macros().FirstLine = c.GridTop + 1;
    Clamp();
    c.HeaderLine = MacroHeaderLine();
    if (c.GridTop == HelpModeAll) ShowMenuHelp(MacroMenu);
    DrawMacroList();
    RedrawScreen();
    return key;
}

Int MacroMenuKey(Int key) { return RunMenuCommand(Commands, key, PassOn); }
