// Menu-bar look-ups and the menu-action table.
#pragma once

#include <string>

#include "runtime/types.h"

// The actions of the host's menu bar, as its items' tags name them. A host
// window w of 8-12 is shown by its action and hidden by the next one;
// graphic window w by FirstGraphicAction + 2w and hidden by the next one.
namespace MenuActions {
inline constexpr Int OpenPanel = 100, SavePanel = 101;
inline constexpr Int CopyScreenPicture = 110, CopyScreenText = 111, ClearPrinter = 112, Paste = 113,
                     ClearConsole = 114;
inline constexpr Int HideAll = 200, HideMainWindow = 201;
inline constexpr Int ShowMainWindow = 205, ShowPreferences = 207, ShowPrinter = 209, ShowPasteboard = 211,
                     ShowConsole = 229;
inline constexpr Int FirstGraphicAction = 213, LastGraphicAction = 228;
}  // namespace MenuActions

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
