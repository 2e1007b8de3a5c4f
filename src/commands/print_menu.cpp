// The keys of the menu "Drucken".
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "runtime/key_codes.h"

namespace {

// Until the print commands come with the printer, the menu only leads back.
constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
};

}  // namespace

Int PrintMenuKey(Int key) { return RunMenuCommand(Commands, key, PassOn); }
