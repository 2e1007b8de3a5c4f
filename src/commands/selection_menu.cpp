// The keys of the menu "Auswahl".
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "runtime/key_codes.h"

namespace {

// Until the selection and pasteboard commands come with the pasteboard, the menu only leads back.
constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
};

}  // namespace

Int SelectionMenuKey(Int key) { return RunMenuCommand(Commands, key, PassOn); }
