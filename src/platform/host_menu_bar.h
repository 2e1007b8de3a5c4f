// The desktop's menu bar, as far as the runtime reads and edits it: menus
// by title, their items by index. At start the runtime deletes the items
// the desktop adds that the program has no use for; a front end without a
// menu bar answers that it has no menus.
#pragma once

#include <string>

class HostMenuBar {
public:
    virtual ~HostMenuBar() = default;
    HostMenuBar(const HostMenuBar&) = delete;
    HostMenuBar& operator=(const HostMenuBar&) = delete;

    virtual bool HasMenu(const std::string& menuTitle) = 0;
    virtual int MenuItemCount(const std::string& menuTitle) = 0;
    virtual std::string MenuItemTitle(const std::string& menuTitle, int index) = 0;
    virtual void DeleteMenuItem(const std::string& menuTitle, int index) = 0;

protected:
    HostMenuBar() = default;
};
