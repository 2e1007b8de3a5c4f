// The German menu bar of the program's window. Its items carry the tags of
// the runtime's menu actions (copy the screen, paste, clear the printer and
// the console, show and hide windows), so choosing one goes through
// t_MenuEventHandler. No item takes a key the program uses.
#pragma once

#include <QMainWindow>
#include <functional>

class QtPlatform;

void BuildMenuBar(QMainWindow& window, QtPlatform& platform, std::function<void()> quit);
