// The German menu bar of the program's window. Most items carry the tags of
// the runtime's menu actions (copy the screen, paste, clear the printer and
// the console, show and hide windows), so choosing one goes through
// t_MenuEventHandler; the file items type the program's own keys. No item
// takes a key the program uses.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

class QtPlatform;

// One item of the help menu: its title and the text it shows.
struct HelpPage {
    std::string Title;
    std::function<std::string()> Text;
};

struct MenuBarHooks {
    std::function<void()> Quit;
    std::vector<HelpPage> Help;
};

void BuildMenuBar(QMainWindow& window, QtPlatform& platform, const MenuBarHooks& hooks);
