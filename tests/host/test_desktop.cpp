// The desktop host with the real main program, in an offscreen Qt: keys as
// Qt delivers them, the picture the view paints, the quit paths, refresh
// pacing, drops and a long typing run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QThread>
#include <QUrl>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commands/help_overview.h"
#include "commands/main_program.h"
#include "host/desktop.h"
#include "host/qt_platform.h"
#include "input/events.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "runtime/charset.h"
#include "runtime/event_wait.h"
#include "runtime/runtime_state.h"
#include "screen/glyph.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "sheet/calculation.h"

namespace {

// Runs the GUI thread's events until done() holds; false after `limit` ms.
bool Pump(const std::function<bool()>& done, int limit = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

// The program waits for input with nothing unread: safe to look at.
bool ProgramIdle() {
    return Pump([] { return WaitUntilProgramIdle([] { return false; }, std::chrono::milliseconds(0)); });
}

std::string ScreenText() { return t_ExportText(t_GetScreen(0, "\n")); }

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLogToStdout(false);
        DesktopOptions options;
        options.Help = {{"Tasten: Ablage/Format", [] { return MenuKeyOverview(FileMenu); }},
                        {"Formeln", FormulaPrimer}};
        desktop_ = std::make_unique<Desktop>(options);
        desktop_->Launch(MainProgram);
        ASSERT_TRUE(ProgramIdle());
        ASSERT_NE(ScreenText().find("Bitte irgendeine Taste"), std::string::npos);
    }

    GraphicView& View() { return *desktop_->Windows().Views[0]; }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(&View(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QCoreApplication::sendEvent(&View(), &release);
    }

    void Compose(const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(&View(), &event);
    }

    void Type(const QString& text) {
        for (const QChar c : text) Key(c.toUpper().unicode(), Qt::NoModifier, QString(c));
    }

    // The application's event loop until it is told to quit: the time it took.
    static qint64 RunUntilQuit(const std::function<void()>& action) {
        QElapsedTimer clock;
        QTimer::singleShot(0, action);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        clock.start();
        EXPECT_EQ(QApplication::exec(), 0);
        return clock.elapsed();
    }

    std::unique_ptr<Desktop> desktop_;
};

// Without an eventfd to wake the GUI thread, every hand-over would wait for
// ever: the platform says so instead (here with no descriptor left).
TEST(QtPlatformTest, AMissingWakeUpIsReportedNotWaitedFor) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own checks need descriptors too";
#endif
    DesktopWindows windows;
    BuildDesktopWindows(windows, [] { return true; }, [](const QString&) {});
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    const int lowest = dup(0);
    ASSERT_GE(lowest, 0);
    close(lowest);
    rlimit none = before;
    none.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    const int error = QtPlatform(windows, 1).StartError();
    setrlimit(RLIMIT_NOFILE, &before);
    EXPECT_EQ(error, EMFILE);
    EXPECT_EQ(QtPlatform(windows, 1).StartError(), 0);
}

// Keys as Qt delivers them reach the program, and the view paints exactly
// the window's picture.
TEST_F(DesktopTest, QtKeysDriveTheProgramAndTheViewPaintsTheWindowPicture) {
    struct Step {
        std::function<void()> keys;
        const char* shows;  // a text the screen then holds
    };
    const std::vector<Step> steps = {
        {[&] { Key(Qt::Key_Return); }, "Hauptmen"},
        {[&] { Type("12"), Key(Qt::Key_Return); }, "12"},
        {[&] { Key(Qt::Key_Down); }, "Z2S1"},
        // AltGr+E types the euro sign into the next cell.
        {[&] { Key(Qt::Key_E, Qt::GroupSwitchModifier, "€"), Key(Qt::Key_Return); }, "Z2S1"},
        // A dead key's composed character comes from the input method.
        {[&] { Key(Qt::Key_Down), Compose("é"), Key(Qt::Key_Return); }, "Z3S1"},
        {[&] { Key(Qt::Key_Q, Qt::ControlModifier, QString(QChar(17))); }, "Ablage/Format Men"},
        {[&] { Key(Qt::Key_Escape); }, "Hauptmen"},
        // Ctrl+Ö arrives as the key Ö with the text "ö": the macro menu.
        {[&] { Key(Qt::Key_Odiaeresis, Qt::ControlModifier, "ö"); }, "Macro Editor"},
        {[&] { Key(Qt::Key_Escape), Key(Qt::Key_Escape); }, "Z3S1"},
    };
    for (const Step& step : steps) {
        step.keys();
        ASSERT_TRUE(ProgramIdle());
        EXPECT_NE(ScreenText().find(step.shows), std::string::npos) << step.shows << "\n" << ScreenText();
    }
    EXPECT_EQ(Calculation().CellText[0], Text::FromBytes("12"));
    EXPECT_EQ(Calculation().CellText[100], Text{164});  // the euro sign's code
    EXPECT_EQ(Calculation().CellText[200], Text{233});
    EXPECT_EQ(ScreenText().find("Hauptmen"), std::string::npos);  // Esc left help mode 9

    const QImage painted = View().grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const std::optional<ArgbImage> picture = t_WindowImage(0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(painted, ImageOf(*picture).convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(painted.size(), QSize(121 * 8, 50 * 16));
}

// The close box and the host's Quit: with nothing unsaved the application
// ends at once, also while the program waits for a key (the title screen)
// or in the middle of a cell's input line; with unsaved work the program
// quits first and the application follows.
struct QuitCase {
    const char* name;
    bool byMenu;  // the host's Quit rather than the close box
    int state;  // 0 title screen, 1 input line, 2 unsaved cell
};

class QuitTest : public DesktopTest, public ::testing::WithParamInterface<QuitCase> {
protected:
    void Quit() {
        if (!GetParam().byMenu) {
            desktop_->Windows().Windows[0]->close();
            return;
        }
        for (QAction* menu : desktop_->Windows().Windows[0]->menuBar()->actions())
            for (QAction* item : menu->menu()->actions())
                if (item->text() == "Beenden") item->trigger();
    }
};

TEST_P(QuitTest, EndsTheApplicationWithinASecond) {
    const int state = GetParam().state;
    if (state > 0) Key(Qt::Key_Return), Type("7");
    if (state > 1) Key(Qt::Key_Return);
    ASSERT_TRUE(ProgramIdle());
    EXPECT_EQ(static_cast<bool>(Runtime().UnsavedWork), state == 2);
    // With unsaved work the program asks first; Nein quits without saving.
    EXPECT_LT(RunUntilQuit([&] {
                  Quit();
                  if (state == 2) Key(Qt::Key_N, Qt::NoModifier, "n");
              }),
              1000);
    EXPECT_EQ(static_cast<bool>(Runtime().ProgramEnded), state == 2);
}

INSTANTIATE_TEST_SUITE_P(Desktop, QuitTest,
                         ::testing::Values(QuitCase{"close_box_at_title", false, 0}, QuitCase{"quit_at_title", true, 0},
                                           QuitCase{"close_box_in_input_line", false, 1},
                                           QuitCase{"quit_in_input_line", true, 1},
                                           QuitCase{"close_box_unsaved", false, 2}, QuitCase{"quit_unsaved", true, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// Each file item of the menu bar does what its keys do: the screen after the
// item is the screen after the keys. Outside the main menu the items are
// off and type nothing. The help items show their texts in a window.
TEST_F(DesktopTest, MenuBarItemsTypeTheProgramsKeysAndHelpShowsItsTexts) {
    QMainWindow& window = *desktop_->Windows().Windows[0];
    const auto item = [&](const QString& menu, const QString& title) -> QAction* {
        for (QAction* entry : window.menuBar()->actions()) {
            if (entry->text() != menu) continue;
            emit entry->menu()->aboutToShow();
            for (QAction* action : entry->menu()->actions())
                if (action->text().section('\t', 0, 0) == title) return action;
        }
        return nullptr;
    };
    const auto backToMainMenu = [&] {
        for (int i = 0; i < 3 && !Runtime().WaitingAtMainMenu; ++i) Key(Qt::Key_Escape), ProgramIdle();
    };
    Key(Qt::Key_Return);
    Type("7"), Key(Qt::Key_Return);
    ASSERT_TRUE(ProgramIdle());
    const std::string mainScreen = ScreenText();
    struct Case {
        const char* title;
        int menu;
        const char* key;
    };
    for (const Case& c : {Case{"Sichern unter…", Qt::Key_Q, "u"}, Case{"Öffnen…", Qt::Key_Q, "o"},
                          Case{"Sichern", Qt::Key_Q, "s"}, Case{"Drucken…", Qt::Key_P, "p"},
                          Case{"Neu", Qt::Key_Q, "n"}}) {
        QAction* action = item("Ablage", c.title);
        ASSERT_NE(action, nullptr) << c.title;
        EXPECT_TRUE(action->isEnabled()) << c.title;
        action->trigger();
        ASSERT_TRUE(ProgramIdle());
        const std::string byMenu = ScreenText();
        EXPECT_NE(byMenu, mainScreen) << c.title;
        backToMainMenu();
        const QChar control(c.menu - Qt::Key_A + 1);
        Key(c.menu, Qt::ControlModifier, QString(control)), Type(c.key);
        ASSERT_TRUE(ProgramIdle());
        EXPECT_EQ(byMenu, ScreenText()) << c.title;
        backToMainMenu();
    }
    // The export goes to the program's command loop, which says what it did.
    QAction* exports = item("Ablage", "Exportieren als…");
    ASSERT_NE(exports, nullptr);
    EXPECT_TRUE(exports->isEnabled());
    ASSERT_EQ(exports->menu()->actions().size(), 3);
    exports->menu()->actions()[1]->trigger();
    ASSERT_TRUE(ProgramIdle());
    EXPECT_NE(ScreenText().find("Die Calculation hat noch keinen Namen:"), std::string::npos);
    Key(Qt::Key_Escape);
    ASSERT_TRUE(ProgramIdle());
    backToMainMenu();
    Type("8"), Key(Qt::Key_Return);
    ASSERT_TRUE(ProgramIdle());
    item("Bearbeiten", "Rückgängig")->trigger();
    ASSERT_TRUE(ProgramIdle());
    EXPECT_EQ(Calculation().CellText[0], Text::FromBytes("7"));
    EXPECT_NE(ScreenText().find("Rückgängig: Feld bearbeiten Z1S1"), std::string::npos);
    item("Bearbeiten", "Wiederherstellen")->trigger();
    ASSERT_TRUE(ProgramIdle());
    EXPECT_EQ(Calculation().CellText[0], Text::FromBytes("8"));

    Key(Qt::Key_Q, Qt::ControlModifier, QString(QChar(17)));
    ASSERT_TRUE(ProgramIdle());
    const std::string fileMenu = ScreenText();
    QAction* save = item("Ablage", "Sichern");
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(item("Ablage", "Exportieren als…")->isEnabled());
    save->trigger();
    ASSERT_TRUE(ProgramIdle());
    EXPECT_EQ(ScreenText(), fileMenu);

    const auto shown = [&](const QString& title) {
        item("Hilfe", title)->trigger();
        const QDialog* dialog = nullptr;
        for (const QDialog* open : window.findChildren<QDialog*>("HelpText"))
            if (open->windowTitle() == title) dialog = open;
        return dialog ? dialog->findChild<QPlainTextEdit*>()->toPlainText().toStdString() : std::string();
    };
    const std::string keys = shown("Tasten: Ablage/Format");
    EXPECT_EQ(keys.rfind("Ablage/Format Menü:", 0), 0u) << keys;
    EXPECT_NE(keys.find("U = Calculation Sichern unter\n"), std::string::npos) << keys;
    EXPECT_EQ(keys.find("Datei ="), std::string::npos) << keys;  // the live values' lead is no key
    const std::string primer = shown("Formeln");
    for (const char* part : {"Z2S1", "  Abs(A)", "Round(A, B)", "UniqueID\n", "Void$(A)\n"})
        EXPECT_NE(primer.find(part), std::string::npos) << part << "\n" << primer;
}

// Abbrechen in the save question that the close box brought keeps both;
// the program's own quit later ends only the program.
TEST_F(DesktopTest, DeclinedQuitLeavesTheApplicationToTheProgram) {
    Key(Qt::Key_Return);
    Type("7"), Key(Qt::Key_Return);
    ASSERT_TRUE(ProgramIdle());
    EXPECT_FALSE(desktop_->Windows().Windows[0]->close());
    ASSERT_TRUE(Pump([] { return ScreenText().find("vorher speichern?") != std::string::npos; }));
    Key(Qt::Key_Escape);
    ASSERT_TRUE(ProgramIdle());
    Pump([] { return false; }, 200);  // the host sees the answer
    QTimer::singleShot(0, [&] { Key(Qt::Key_Q, Qt::ControlModifier, QString(QChar(17))), Type("qn"); });
    QTimer::singleShot(1000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 7);
    EXPECT_TRUE(Runtime().ProgramEnded);
}

// Window numbers; the other windows' close boxes hide them; the console
// shows the log; the menu's paste types ^V, which passes the title screen.
TEST_F(DesktopTest, AuxiliaryWindowsConsoleAndPaste) {
    HostWindow& printer = *desktop_->Windows().Windows[9];
    printer.show();
    EXPECT_FALSE(printer.close());
    EXPECT_FALSE(printer.isVisible());
    const DesktopWindows& windows = desktop_->Windows();
    for (int w = 0; w <= 11; ++w) EXPECT_EQ(t_WindowNumber(windows, windows.Windows[w]), w);
    EXPECT_EQ(t_WindowNumber(windows, windows.TextViews[9]), NoWindow);
    QPlainTextEdit& console = *desktop_->Windows().TextViews[10];
    EXPECT_TRUE(Pump([&] { return console.toPlainText().contains("Program: Start."); }));
    HostMenuItem paste;
    paste.Tag = 113;
    t_MenuEventHandler(paste);
    ASSERT_TRUE(ProgramIdle());
    EXPECT_NE(ScreenText().find("Hauptmen"), std::string::npos);
}

// A flood of log lines reaches the console window in a few batches, counted
// where lines repeat, and the window keeps no more than its lines.
TEST_F(DesktopTest, ALogFloodReachesTheConsoleInFewBatches) {
    QPlainTextEdit& console = *desktop_->Windows().TextViews[10];
    ASSERT_TRUE(Pump([&] { return console.toPlainText().contains("Program: Start."); }));
    const int before = desktop_->ConsoleAppends();
    for (int i = 0; i < 1'000'000; ++i)
        LogLine(i % 10 == 0 ? "d_CreateDatabaseFromBinary: Line #" + std::to_string(i) : std::string("gleich"));
    LogLine("Ende");
    EXPECT_TRUE(Pump([&] { return console.toPlainText().endsWith("Ende"); }));
    EXPECT_LE(desktop_->ConsoleAppends() - before, 4);
    EXPECT_LE(console.blockCount(), ConsoleLines);
    EXPECT_TRUE(console.toPlainText().contains("gleich\n… 8 weitere gleiche Zeilen\nd_CreateDatabaseFromBinary: Line #999990"));
}

// The program's own quit ends only the program: the window stays with its
// last screen, and its close box then ends the application.
TEST_F(DesktopTest, ProgramQuitLeavesTheApplicationRunning) {
    Key(Qt::Key_Return);
    ASSERT_TRUE(ProgramIdle());
    RequestProgramQuit();
    ASSERT_TRUE(Pump([] { return static_cast<bool>(Runtime().ProgramEnded); }));
    Pump([] { return false; }, 200);
    EXPECT_TRUE(desktop_->Windows().Windows[0]->isVisible());
    EXPECT_NE(ScreenText().find("(Programm Ende)"), std::string::npos) << ScreenText();
    EXPECT_LT(RunUntilQuit([&] { desktop_->Windows().Windows[0]->close(); }), 1000);
}

// A file dropped on the window is opened by the program.
// A FIFO dropped is refused at once, never waited on.
TEST_F(DesktopTest, DroppedFileIsOpened) {
    Key(Qt::Key_Return);
    ASSERT_TRUE(ProgramIdle());
    char folder[] = "/tmp/tabrona-drop-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/Umsatz.calc", fifo = std::string(folder) + "/f.calc";
    std::ofstream(path) << "Z1S1:000000000000F002>Hallo\r";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto drop = [&](const std::string& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QWidget& window = *desktop_->Windows().Windows[0];
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &dropped);
    };
    drop(fifo);
    ASSERT_TRUE(Pump([] { return ScreenText().find("Keine gewöhnliche Datei") != std::string::npos; }, 2000));
    Key(Qt::Key_Return);
    drop(path);
    ASSERT_TRUE(Pump([] { return Calculation().CalcFileName == "Umsatz.calc"; }, 2000));
    ASSERT_TRUE(ProgramIdle());
    EXPECT_EQ(Calculation().CellText[0], Text::FromBytes("Hallo"));
    EXPECT_TRUE(Pump([&] { return desktop_->Windows().Windows[0]->windowTitle() == "Umsatz.calc"; }, 2000));
    std::filesystem::remove_all(folder);
}

// Many keys at once: every one arrives, in order (the thread sanitizer
// build runs this one).
TEST_F(DesktopTest, TenThousandKeysArriveInOrder) {
    Key(Qt::Key_Return);
    ASSERT_TRUE(ProgramIdle());
    // 2,000 times a digit, Return, Down, Up and Right: cell after cell in
    // reading order, 100 to a row, so the cursor ends in row 21, column 1.
    for (int i = 0; i < 2000; ++i) {
        Type(QString::number(i % 10)), Key(Qt::Key_Return);
        Key(Qt::Key_Down), Key(Qt::Key_Up), Key(Qt::Key_Right);
        if (i % 100 == 0) QCoreApplication::processEvents();
    }
    ASSERT_TRUE(Pump([] { return KeyQueueLength() == 0; }, 120000));
    ASSERT_TRUE(ProgramIdle());
    const CalculationState& c = Calculation();
    EXPECT_EQ(std::pair(c.CursorRow, c.CursorColumn), std::pair(Int{21}, Int{1}));
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(c.CellText[static_cast<std::size_t>(i)], Text::FromBytes(std::to_string(i % 10))) << i;
}

// A window whose pixels stopped changing gets the picture of its last change
// and is then neither asked to refresh nor converted again. (The pacing of
// refreshes is the window memory's, tested headless on a clock of its own.)
TEST(DesktopPacingTest, AQuietWindowIsNeitherAskedForNorConvertedAgain) {
    SetLogToStdout(false);
    DesktopWindows windows;
    BuildDesktopWindows(
        windows, [] { return true; }, [](const QString&) {});
    InstallPlatform(std::make_unique<QtPlatform>(windows, 1));
    t_InitWindow(0, 24, 121, 50, 8, DefaultFontName);
    t_WindowVisible(0, true);
    t_Window& window = Screen().WindowTable[0];
    window.AutoUpdate = true;
    for (int i = 0; i < 20; ++i) {
        PixelsChanged(window);
        Pump([] { return false; }, 5);
    }
    ASSERT_TRUE(Pump([&] { return window.PictureAsked == window.PixelChanges; }, 30'000));
    Int pictures = -1;
    for (int quiet = 0; quiet < 4; ++quiet) {
        if (window.PicturesMade != pictures) quiet = 0;
        pictures = window.PicturesMade;
        Pump([] { return false; }, 50);
    }
    EXPECT_GE(pictures, 1);
    const Int asked = window.UpdateStarted;
    Pump([] { return false; }, 500);
    window.AutoUpdate = false;
    EXPECT_EQ(window.UpdateStarted, asked);
    EXPECT_EQ(window.PicturesMade, pictures);
}

}  // namespace

namespace {

// The zoom asked for gives way to the largest that fits the screen; a window
// the user enlarges shows its picture by the largest whole factor that fits,
// centred, and a click on it means the same pixel of the picture as before.
TEST(DesktopLayoutTest, AZoomThatDoesNotFitIsReducedAndAResizeScalesAndCentres) {
    SetLogToStdout(false);
    DesktopWindows windows;
    BuildDesktopWindows(windows, [] { return true; }, [](const QString&) {});
    auto owned = std::make_unique<QtPlatform>(windows, 3);
    QtPlatform& platform = *owned;
    InstallPlatform(std::move(owned));
    t_InitWindow(0, 24, 121, 50, 8, DefaultFontName);
    t_WindowVisible(0, true);
    HostWindow& window = *windows.Windows[0];
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_LT(platform.Zoom(), 3);  // 2904 x 2400 fits no test screen
    if (platform.Zoom() > 1) {
        EXPECT_LE(window.height(), screen.height());
    }
    GraphicView& view = *windows.Views[0];
    const QSize picture = view.LogicalFrame().size() / platform.Zoom();
    const auto click = [&](QPointF at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, view.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
        t_Event event;
        EXPECT_TRUE(TakeMouseEvent(0, event));
        return std::make_pair(event.ClickX, event.ClickY);
    };
    const auto before = click(QPointF(100.5, 50.5) * platform.Zoom());
    const int bar = window.height() - view.LogicalArea().height();
    window.resize(picture.width() * 2 + 37, picture.height() * 2 + 21 + bar);
    ASSERT_TRUE(Pump([&] { return view.Factor() == 2; }, 2000)) << view.Factor();
    EXPECT_EQ(view.Offset(), QPoint(18, 10));
    EXPECT_EQ(click(QPointF(view.Offset()) + QPointF(201, 101)), before);
    t_Print(0, String("Hallo"));
    const QImage shown = view.grab().toImage();
    const std::optional<ArgbImage> image = t_WindowImage(0);
    ASSERT_TRUE(image);
    const QImage original = ImageOf(*image);
    for (const QPoint p : {QPoint(10, 10), QPoint(30, 12), QPoint(500, 400)})
        EXPECT_EQ(shown.pixel(view.Offset() + 2 * p), original.pixel(p)) << p.x() << "," << p.y();
}

}  // namespace
