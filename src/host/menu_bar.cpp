#include "host/menu_bar.h"

#include <QActionGroup>
#include <QDialog>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <string>

#include "host/qt_platform.h"
#include "input/events.h"
#include "input/file_events.h"
#include "input/keys.h"
#include "runtime/key_codes.h"
#include "runtime/runtime_state.h"

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
    {"Zwischenablage zeigen", MenuActions::ShowPasteboard}, {"Zwischenablage ausblenden", MenuActions::ShowPasteboard + 1},
    {"Drucker zeigen", MenuActions::ShowPrinter},           {"Drucker ausblenden", MenuActions::ShowPrinter + 1},
    {"Konsole zeigen", MenuActions::ShowConsole},           {"Konsole ausblenden", MenuActions::ShowConsole + 1},
    {"Einstellungen zeigen", MenuActions::ShowPreferences}, {"Einstellungen ausblenden", MenuActions::ShowPreferences + 1},
};

// Items that type the program's own keys, so they behave exactly as the
// keys do, questions included. The label shows the keys; they are no Qt
// shortcuts, the program takes its keys itself.
struct TypedItem {
    const char* Title;
    Int Menu;  // the control key that opens the program's menu
    char Key;
    const char* Label;
};

constexpr TypedItem FileItems[] = {
    {"Neu", CtrlQ, 'N', "^Q N"},
    {"Öffnen…", CtrlQ, 'O', "^Q O"},
    {"Sichern", CtrlQ, 'S', "^Q S"},
    {"Sichern unter…", CtrlQ, 'U', "^Q U"},
    {"Drucken…", CtrlP, 'P', "^P P"},
};

// The export formats of "Exportieren als": the request names the format by
// its extension, and the program writes the file beside the Calculation.
struct ExportItem {
    const char* Title;
    const char* Extension;
};

constexpr ExportItem ExportItems[] = {
    {"Excel-Arbeitsmappe (.xlsx)…", ".xlsx"},
    {"OpenDocument-Tabelle (.ods)…", ".ods"},
    {"CSV für deutsche Tabellen (.csv)…", ".csv"},
};

// Undo and redo as the keys: Ctrl-], with Shift for redo.
void PressUndoKey(bool redo) {
    if (!Runtime().WaitingAtMainMenu) return;
    HostKey key;
    key.Symbol = U']';
    key.Modifiers.Control = true;
    key.Modifiers.Shift = redo;
    t_KeyEventHandler(0, key);
}

// A window of its own for a help text, kept open beside the program.
void ShowHelpText(QWidget& parent, const QString& title, const QString& text) {
    auto* dialog = new QDialog(&parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName("HelpText");
    dialog->setWindowTitle(title);
    auto* view = new QPlainTextEdit(text, dialog);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    (new QVBoxLayout(dialog))->addWidget(view);
    const QFontMetrics metrics(view->font());
    dialog->resize(metrics.horizontalAdvance(QString(124, 'M')), metrics.lineSpacing() * 30);
    dialog->show();
}

}  // namespace

void BuildMenuBar(QMainWindow& window, QtPlatform& platform, const MenuBarHooks& hooks) {
    QMenuBar* bar = window.menuBar();

    QMenu* file = bar->addMenu("Ablage");
    QList<QAction*> typed;
    for (const TypedItem& item : FileItems) {
        QAction* action = file->addAction(QString("%1\t%2").arg(item.Title, item.Label));
        typed.append(action);
        QObject::connect(action, &QAction::triggered, [item] {
            // The menu may have been opened before the program left its main menu.
            if (Runtime().WaitingAtMainMenu) t_TypeString(String{static_cast<char>(item.Menu), item.Key});
        });
    }
    // The program owns the Calculation: the request goes to its command
    // loop, which writes the file (and asks before replacing one).
    QMenu* exports = file->addMenu("Exportieren als…");
    for (const ExportItem& item : ExportItems) {
        QObject::connect(exports->addAction(item.Title), &QAction::triggered, [item] {
            if (Runtime().WaitingAtMainMenu) f_FileEventHandler(item.Extension, ExportFileEventType);
        });
    }
    typed.append(exports->menuAction());
    // Its keys mean other things outside the main menu, in a dialog or before
    // the program has started.
    QObject::connect(file, &QMenu::aboutToShow, [typed] {
        for (QAction* action : typed) action->setEnabled(Runtime().WaitingAtMainMenu);
    });
    file->addSeparator();
    QObject::connect(file->addAction("Beenden"), &QAction::triggered, hooks.Quit);

    QMenu* edit = bar->addMenu("Bearbeiten");
    QAction* undo = edit->addAction("Rückgängig\t^]");
    QAction* redo = edit->addAction("Wiederherstellen\tUmschalt ^]");
    QObject::connect(undo, &QAction::triggered, [] { PressUndoKey(false); });
    QObject::connect(redo, &QAction::triggered, [] { PressUndoKey(true); });
    QObject::connect(edit, &QMenu::aboutToShow, [undo, redo] {
        undo->setEnabled(Runtime().WaitingAtMainMenu);
        redo->setEnabled(Runtime().WaitingAtMainMenu);
    });
    edit->addSeparator();
    AddTagged(*edit, "Bildschirm als Bild kopieren", MenuActions::CopyScreenPicture);
    AddTagged(*edit, "Bildschirm als Text kopieren", MenuActions::CopyScreenText);
    edit->addSeparator();
    AddTagged(*edit, "Einsetzen", MenuActions::Paste);

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
    AddTagged(*windows, "Drucker leeren", MenuActions::ClearPrinter);
    AddTagged(*windows, "Konsole leeren", MenuActions::ClearConsole);
    windows->addSeparator();
    QMenu* graphics = windows->addMenu("Grafikfenster");
    // The program's own window carries this menu bar: a desktop without a
    // global menu could not bring it back, so no item hides it (neither
    // hide-all, hide-main, nor window 0's hide).
    for (int w = 0; w < 8; ++w) {
        const Int show = MenuActions::FirstGraphicAction + 2 * w;
        AddTagged(*graphics, QString("Fenster %1 zeigen").arg(w), show);
        if (w > 0) AddTagged(*graphics, QString("Fenster %1 ausblenden").arg(w), show + 1);
    }

    QMenu* help = bar->addMenu("Hilfe");
    for (const HelpPage& page : hooks.Help) {
        const QString title = QString::fromStdString(page.Title);
        QObject::connect(help->addAction(title), &QAction::triggered, [&window, title, text = page.Text] {
            ShowHelpText(window, title, QString::fromStdString(text()));
        });
    }
    // The texts read the program's tables, which exist once it has started.
    QObject::connect(help, &QMenu::aboutToShow, [help] {
        for (QAction* action : help->actions()) action->setEnabled(Runtime().StartedUp);
    });
}
