// A menu's keys as data: one row per key with the command it runs.
#pragma once

#include <span>

#include "runtime/types.h"

// A key of a menu and its command. The command gives 0 when it consumed the
// key, else the key, which the command loop then offers the cursor movements.
struct MenuCommand {
    Int Key;
    Int (*Run)(Int key);
};

// Runs the row of `key`, or `otherKey` when the table has none.
Int RunMenuCommand(std::span<const MenuCommand> commands, Int key, Int (*otherKey)(Int key));

// For keys a menu has no command for: they go on to the cursor movements.
inline Int PassOn(Int key) { return key; }

// A command that does its work and consumes the key.
template <void (*Command)()>
Int Consumes(Int) {
    Command();
    return 0;
}
