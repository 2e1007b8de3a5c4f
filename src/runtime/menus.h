// Menu-bar look-ups and the menu-action table.
#pragma once

#include <string>

#include "runtime/types.h"

struct t_MenuAction {
    Int Tag = 0;
    Int Action = 0;
    std::string Title;
    std::string Note;
    std::string FileName;
    std::string FileTypes;
    std::string FilePath;
};

// Index of the first item of the menu with that title; -1 when there is
// none, -2 when the menu does not exist.
Int t_MenuItemIndex(const std::string& menuTitle, const std::string& itemTitle);
// Removes an item; index 65535 means the last one.
void t_MenuItemDelete(const std::string& menuTitle, Int index);
// Title of an item; index 65535 means the last one.
std::string t_MenuItemTitle(const std::string& menuTitle, Int index);

// Removes the desktop's own entries that make no sense for this program.
void CleanMenuBar();
