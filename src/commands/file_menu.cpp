// The keys of the menu "Ablage/Format".
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "runtime/key_codes.h"
#include "sheet/calculation.h"

namespace {

// Until the file and format commands come with the files, the menu only leads back.
constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
};

}  // namespace

void QuitProgramCommand() { Calculation().QuitRequested = true; }

Int FileMenuKey(Int key) { return RunMenuCommand(Commands, key, PassOn); }
