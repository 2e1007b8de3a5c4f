#include "host/menu_bar.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <string>

#include "host/qt_platform.h"
#include "runtime/events.h"

namespace {

// One menu-bar item that goes through the runtime's menu-event handling.
void AddTagged(QMenu& menu, const QString& title, Int tag) {
    QAction* action = menu.addAction(title);
    QObject::connect(action, &QAction::triggered, [&menu, action, tag] {
        HostMenuItem item;
        item.MenuTitle = menu.title().remove('&').toStdString();
        item.ItemTitle = action->text().remove('&').toStdString();
        item.Tag = tag;
        t_MenuEventHandler(item);
    });
}

struct TaggedItem {
    const char* Title;
    Int Tag;
};

// Show and hide pairs of the host windows that are no graphic windows.
constexpr TaggedItem WindowItems[] = {
    {"Zwischenablage zeigen", 211}, {"Zwischenablage ausblenden", 212},
    {"Drucker zeigen", 209},        {"Drucker ausblenden", 210},
    {"Konsole zeigen", 229},        {"Konsole ausblenden", 230},
    {"Einstellungen zeigen", 207},  {"Einstellungen ausblenden", 208},
};

}  // namespace

void BuildMenuBar(QMainWindow& window, QtPlatform& platform, std::function<void()> quit) {
    QMenuBar* bar = window.menuBar();

    QMenu* file = bar->addMenu("Ablage");
    QObject::connect(file->addAction("Beenden"), &QAction::triggered, quit);

    QMenu* edit = bar->addMenu("Bearbeiten");
    AddTagged(*edit, "Bildschirm als Bild kopieren", 110);
    AddTagged(*edit, "Bildschirm als Text kopieren", 111);
    edit->addSeparator();
    AddTagged(*edit, "Einsetzen", 113);

    QMenu* view = bar->addMenu("Ansicht");
    auto* zooms = new QActionGroup(view);
    for (int zoom = 1; zoom <= 3; ++zoom) {
        QAction* action = view->addAction(QString("Vergrößerung %1x").arg(zoom));
        action->setCheckable(true);
        zooms->addAction(action);
        QObject::connect(action, &QAction::triggered, [&platform, zoom] { platform.AskZoom(zoom); });
    }
    // A zoom whose window would not fit the screen is not offered.
    QObject::connect(view, &QMenu::aboutToShow, [&platform, zooms] {
        const int largest = platform.FittingZoom(3);
        for (QAction* action : zooms->actions()) {
            const int zoom = zooms->actions().indexOf(action) + 1;
            action->setEnabled(zoom <= largest);
            action->setChecked(zoom == platform.Zoom());
        }
    });

    QMenu* windows = bar->addMenu("Fenster");
    for (const TaggedItem& item : WindowItems) AddTagged(*windows, item.Title, item.Tag);
    windows->addSeparator();
    AddTagged(*windows, "Drucker leeren", 112);
    AddTagged(*windows, "Konsole leeren", 114);
    windows->addSeparator();
    QMenu* graphics = windows->addMenu("Grafikfenster");
    // The program's own window carries this menu bar: a desktop without a
    // global menu could not bring it back, so no item hides it (neither
    // hide-all 200, hide-main 201, nor window 0's 214).
    for (int w = 0; w < 8; ++w) {
        AddTagged(*graphics, QString("Fenster %1 zeigen").arg(w), 213 + 2 * w);
        if (w > 0) AddTagged(*graphics, QString("Fenster %1 ausblenden").arg(w), 214 + 2 * w);
    }
}
