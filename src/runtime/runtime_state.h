// The runtime's own flags: the ones that gate every window operation, the
// title-bar height, the program's progress as the host sees it, and the
// menu-action table.
#pragma once

#include <vector>

#include "runtime/menus.h"
#include "runtime/shared_value.h"
#include "runtime/types.h"

struct RuntimeState {
    SharedValue<bool> MemoryInitStarted = false;
    SharedValue<bool> MemoryInitialized = false;
    SharedValue<Int> TitleBarHeight = 0;
    SharedValue<bool> ProgramEnded = false;  // the program thread has quit
    // The program has work that a quit would lose; the host asks before
    // ending the application.
    SharedValue<bool> UnsavedWork = false;
    // The user answered a quit request of the host with Abbrechen.
    SharedValue<bool> QuitDeclined = false;
    // The program's start is done: its tables are built.
    SharedValue<bool> StartedUp = false;
    // The program waits for a key at its main menu, outside any dialog:
    // keys the host types for a menu item mean what they say.
    SharedValue<bool> WaitingAtMainMenu = false;
    std::vector<t_MenuAction> MenuActionTable;
};

RuntimeState& Runtime();
