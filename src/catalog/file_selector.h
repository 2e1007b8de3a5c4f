// Picking files inside the character screen: a framed, scrollable listing
// of one folder in which the user walks through folders and picks an entry
// (OpenFileSelector), the same with a name field under it
// (SaveFileSelector), and a one-line input box (NamePrompt). They wait for
// keys, clicks and the host's file-open requests, and return a path or a
// text.
#pragma once

#include <string>

#include "runtime/types.h"

// The full path of the chosen entry (a folder's ends with "/"), or empty.
// `rows` list rows under a box whose top edge is on line `top`; width 40,
// 60 or 80 (anything else is 60). With `folderChoice` Return on a folder
// chooses it; with `drawOnly` the box is drawn and "" returned at once.
std::string OpenFileSelector(UInt8 w, const std::string& startFolder, const std::string& title,
                             const std::string& types, Int top, Int rows, Int width, bool folderChoice, bool drawOnly);
// The folder shown last followed by the typed name, or empty.
std::string SaveFileSelector(UInt8 w, const std::string& startFolder, const std::string& title,
                             const std::string& prompt, const std::string& proposed, Int top, Int rows, Int width,
                             bool drawOnly);
// The typed text, or empty after Esc.
std::string NamePrompt(UInt8 w, const std::string& prompt, const std::string& proposed, Int line, Int width,
                       bool drawOnly);

// The user's desktop folder, worked out once: where selectors start when
// given no folder.
std::string DesktopFolder();
// The selected entry's name and folder; empty when none.
std::string SelectedItemName();
std::string SelectedItemFolder();
// The first entry with that name; -1 when there is none.
Int CatIndexOfName(const std::string& name);
