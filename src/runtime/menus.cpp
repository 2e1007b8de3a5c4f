#include "runtime/menus.h"

#include "platform/current_platform.h"
#include "platform/log.h"

namespace {

constexpr Int LastItem = 65535;

// Resolves 65535 to the last item; -1 when the index is out of range.
Int ResolveIndex(HostMenuBar& p, const std::string& menuTitle, Int index) {
    const Int count = p.MenuItemCount(menuTitle);
    if (index == LastItem) index = count - 1;
    return index >= 0 && index < count ? index : -1;
}

void DeleteItemIfPresent(const std::string& menuTitle, const std::string& itemTitle, const char* logPrefix) {
    if (!CurrentPlatform().HasMenu(menuTitle)) return;
    const Int index = t_MenuItemIndex(menuTitle, itemTitle);
    if (index < 0) return;
    if (logPrefix) LogLine(std::string(logPrefix) + itemTitle);
    t_MenuItemDelete(menuTitle, index);
}

void DeleteTrailingSeparator(const std::string& menuTitle) {
    Platform& p = CurrentPlatform();
    if (!p.HasMenu(menuTitle) || p.MenuItemCount(menuTitle) == 0) return;
    if (t_MenuItemTitle(menuTitle, LastItem).empty()) t_MenuItemDelete(menuTitle, LastItem);
}

}  // namespace

Int t_MenuItemIndex(const std::string& menuTitle, const std::string& itemTitle) {
    Int result = -1;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        if (!p.HasMenu(menuTitle)) {
            LogLine("t_MenuItemIndex: Menu not found.");
            result = -2;
            return;
        }
        const Int count = p.MenuItemCount(menuTitle);
        for (Int i = 0; i < count; ++i) {
            if (p.MenuItemTitle(menuTitle, static_cast<int>(i)) == itemTitle) {
                result = i;
                return;
            }
        }
    });
    return result;
}

void t_MenuItemDelete(const std::string& menuTitle, Int index) {
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        if (!p.HasMenu(menuTitle)) {
            LogLine("t_MenuItemDelete: Menu not found.");
            return;
        }
        const Int at = ResolveIndex(p, menuTitle, index);
        if (at < 0) {
            LogLine("t_MenuItemDelete: Item position out of range");
            return;
        }
        p.DeleteMenuItem(menuTitle, static_cast<int>(at));
    });
}

std::string t_MenuItemTitle(const std::string& menuTitle, Int index) {
    std::string title;
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] {
        if (!p.HasMenu(menuTitle)) {
            LogLine("t_MenuItemTitle: Menu not found.");
            return;
        }
        const Int at = ResolveIndex(p, menuTitle, index);
        if (at < 0) {
            LogLine("t_MenuItemTitle: Item position out of range");
            return;
        }
        title = p.MenuItemTitle(menuTitle, static_cast<int>(at));
    });
    return title;
}

// Menus the host does not have are skipped without a word: a desktop
// without these menus has nothing to clean.
void CleanMenuBar() {
    for (const char* item : {"Special Characters…", "Emoji & Symbols", "Emoji & Symbole", "Start Dictation…",
                             "Diktat starten …"}) {
        DeleteItemIfPresent("Bearbeiten", item, nullptr);
        DeleteItemIfPresent("Edit", item, nullptr);
    }
    DeleteTrailingSeparator("Bearbeiten");
    DeleteTrailingSeparator("Edit");
    for (const char* item : {"Tile Window to Left of Screen", "Tile Window to Right of Screen", "Vollbildmodus"}) {
        DeleteItemIfPresent("Fenster", item, "*** Found Fenster Menu Item ");
        DeleteItemIfPresent("Window", item, "*** Found Window Menu Item ");
    }
}
