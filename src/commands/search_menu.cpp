// The keys of the menu "Suchen".
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "runtime/key_codes.h"

namespace {

// Until the search commands come with the search, the menu only leads back.
constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
};

}  // namespace

Int SearchMenuKey(Int key) { return RunMenuCommand(Commands, key, PassOn); }
