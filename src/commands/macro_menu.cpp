// The keys of the menu "Macro", which shows its own header line.
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "runtime/key_codes.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"
#include "sheet/help_texts.h"

namespace {

constexpr UInt8 HorizontalRule = 154;  // fills the header line

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

// The grid's header line comes back with the main menu.
Int LeaveMacroMenu(Int key) {
    BuildHeaderLine();
    return BackToMainMenu(key);
}

// Until the macros come, the menu only leads back.
constexpr MenuCommand Commands[] = {
    {0, LeaveMacroMenu},
    {ReturnKey, LeaveMacroMenu},
    {EscapeKey, LeaveMacroMenu},
};

}  // namespace

Int EnterMacroMenu(Int key) {
    CalculationState& c = Calculation();
    c.MenuState = MacroMenu;
    c.HeaderLine = MacroHeaderLine();
    if (c.GridTop == HelpModeAll) ShowMenuHelp(MacroMenu);
    RedrawScreen();
    return key;
}

Int MacroMenuKey(Int key) { return RunMenuCommand(Commands, key, PassOn); }
