#include "commands/menus.h"

#include <iterator>

#include "commands/menu_table.h"
#include "dialogs/dialogs.h"
#include "input/events.h"
#include "runtime/charset.h"
#include "runtime/key_codes.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"
#include "sheet/help_texts.h"

namespace {

// Each menu's key handler, by menu state.
constexpr Int (*MenuHandlers[])(Int key) = {MainMenuKey,  FileMenuKey,  SelectionMenuKey,
                                            SearchMenuKey, PrintMenuKey, MacroMenuKey};
static_assert(std::size(MenuHandlers) == MenuCount);

// For a menu state that has no menu: the way back to the main menu.
constexpr MenuCommand WayBack[] = {{0, BackToMainMenu}, {ReturnKey, BackToMainMenu}, {EscapeKey, BackToMainMenu}};

}  // namespace

Int RunMenuCommand(std::span<const MenuCommand> commands, Int key, Int (*otherKey)(Int key)) {
    for (const MenuCommand& command : commands)
        if (command.Key == key) return command.Run(key);
    return otherKey(key);
}

Int HandleMenuKey(Int key) {
    const Int menu = Calculation().MenuState;
    if (menu < 0 || menu >= MenuCount) return RunMenuCommand(WayBack, key, PassOn);
    return MenuHandlers[static_cast<std::size_t>(menu)](key);
}

Int EnterMenu(Int menu, Int key) {
    Calculation().MenuState = menu;
    if (Calculation().GridTop == HelpModeAll) ShowMenuHelp(menu);
    RedrawScreen();
    return key;
}

void ReturnToMainMenu() {
    NormalColors();
    CalculationState& c = Calculation();
    c.MenuState = MainMenu;
    if (c.GridTop == HelpModeAll) ShowMenuHelp(MainMenu);
    EnsureColumnVisible(c.CursorColumn);
    EnsureCursorRowVisible();
    RedrawScreen();
    RedrawGrid();
}

Int StayInMenu(Int key) {
    if (Calculation().GridTop != HelpModeAll) ReturnToMainMenu();
    return key;
}

void RedrawAroundCursor() {
    EnsureColumnVisible(Calculation().CursorColumn);
    EnsureCursorRowVisible();
    RedrawScreen();
    RedrawGrid();
}

void RedrawAfterDialog() {
    if (Calculation().GridTop == HelpModeAll) ShowMenuHelp(Calculation().MenuState);
    RedrawAroundCursor();
}

void TellUser(const String& title, const String& line1, const String& line2) {
    t_MessageBox(SheetWindow, title, line1, line2, "Bitte irgendeine Taste drücken", "!");
    t_WaitKey(SheetWindow);
}

Int UpperCaseKey(Int key) { return key >= 0 && key <= 255 ? UpperCaseBytes[static_cast<std::size_t>(key)] : key; }

void ShowHelpOf(Int menu) {
    Calculation().GridTop = HelpModeAll;
    ShowMenuHelp(menu);
}

Int BackToMainMenu(Int) {
    ReturnToMainMenu();
    return 0;
}
