#include "host/desktop.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "host/hand_over.h"
#include "host/host_windows.h"
#include "host/menu_bar.h"
#include "host/qt_platform.h"
#include "input/events.h"
#include "platform/console_feed.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/log_file.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "terminal/terminal_runner.h"

namespace {

// A relative path means the same file to the running program.
QString AbsolutePath(const QString& path) { return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath(); }

void OpenDocument(const QString& path) { CurrentPlatform().OpenDocument(path.toStdString()); }

// Paths from other `tabrona FILE` runs of this user, one per line, each
// confirmed once it is queued.
void AcceptPaths(QLocalServer& server) {
    QObject::connect(&server, &QLocalServer::newConnection, [&server] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!PeerIsThisUser(static_cast<int>(socket->socketDescriptor()))) {
                socket->abort();
                continue;
            }
            QObject::connect(socket, &QLocalSocket::readyRead, [socket] {
                while (socket->canReadLine()) {
                    const QString path = QString::fromUtf8(socket->readLine()).chopped(1);
                    if (path.isEmpty()) continue;
                    OpenDocument(path);
                    socket->write(HandOverConfirmation);
                    socket->flush();
                }
            });
        }
    });
}

// The first Tabrona of the user takes the files of later runs; a socket
// left by one that crashed is cleared away.
void ListenForOtherRuns(QLocalServer& server) {
    const QString path = QString::fromStdString(HandOverSocketPath());
    if (path.isEmpty()) return;
    QLocalSocket running;
    running.connectToServer(path);
    if (running.waitForConnected(200)) return;
    QLocalServer::removeServer(path);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (server.listen(path)) AcceptPaths(server);
}

// How often the console window takes what the log gave it.
constexpr int ConsoleFeedMilliseconds = 250;

// Every log line also goes to the console window, in batches a few times a
// second: a flood of lines never floods the GUI thread.
// ... and, when one is open, to the log file.
void FeedLog(const std::shared_ptr<ConsoleFeed>& feed, const std::shared_ptr<std::FILE>& file) {
    SetLogSink([feed, file](std::string_view text) {
        if (file) std::fwrite(text.data(), 1, text.size(), file.get());
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        feed->Add(text);
    });
    SetLogFlush(file ? std::function<void()>([file] { std::fflush(file.get()); }) : std::function<void()>());
}

// Qt's messages: notes and warnings go to the log; errors to standard error
// as well. A fatal one while the application starts means that no display
// answered, which is said in the program's words.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    const std::string text = message.toStdString();
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "tabrona: %s\n", text.c_str());
    LogLine("Qt: " + text);
    if (type == QtFatalMsg) std::abort();
}

void QtMessagesAtStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) return QtMessages(type, context, message);
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "tabrona: the display %s could not be opened; %s\n", display && *display ? display : "(none)",
                 WithoutDisplayAdvice());
    std::fflush(nullptr);
    std::_Exit(1);
}

}  // namespace

bool DesktopAvailable() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

Desktop::Desktop(const DesktopOptions& options) : options_(options) {
    ListenForOtherRuns(server_);
    BuildDesktopWindows(
        windows_, [this] { return RequestQuit(); }, [](const QString& path) { OpenDocument(path); });
    auto platform = std::make_unique<QtPlatform>(windows_, options.Zoom);
    platform_ = platform.get();
    InstallPlatform(std::move(platform));
    FeedLog(consoleFeed_, nullptr);
    QObject::connect(&consoleTimer_, &QTimer::timeout, [this] {
        const std::string text = consoleFeed_->Take();
        if (text.empty()) return;
        windows_.TextViews[10]->appendPlainText(QString::fromStdString(text));
        ++consoleAppends_;
    });
    consoleTimer_.start(ConsoleFeedMilliseconds);
    for (int w : {8, 9, 10}) WindowDidResize(w);
    QObject::connect(&programWatch_, &QTimer::timeout, [this] {
        // Abbrechen in the program's save question keeps the application
        // too; a later quit from the program's own menu only ends the program.
        if (Runtime().QuitDeclined) {
            Runtime().QuitDeclined = false;
            quitWhenProgramEnds_ = false;
        }
        if (quitWhenProgramEnds_ && Runtime().ProgramEnded) QCoreApplication::quit();
    });
    programWatch_.start(50);
}

void Desktop::Launch(std::function<void()> mainProgram) {
    ApplicationWillFinishLaunching();
    BuildMenuBar(*windows_.Windows[0], *platform_, {[this] { RequestQuit(); }, options_.Help});
    if (!options_.OpenFile.empty()) OpenDocument(AbsolutePath(QString::fromStdString(options_.OpenFile)));
    ApplicationDidFinishLaunching(std::move(mainProgram));
}

bool Desktop::RequestQuit() {
    if (Runtime().ProgramEnded || !Runtime().UnsavedWork) {
        QCoreApplication::quit();
        return true;
    }
    quitWhenProgramEnds_ = true;
    Runtime().QuitDeclined = false;
    RequestProgramQuit();
    return false;
}

void Desktop::LogTo(std::shared_ptr<std::FILE> file) { FeedLog(consoleFeed_, file); }

void RunDesktop(int& argc, char** argv, const DesktopOptions& options, std::function<void()> mainProgram) {
    // A start that goes well says nothing on the terminal: the log goes to
    // the console window and the log file.
    SetLogToStdout(false);
    qInstallMessageHandler(QtMessagesAtStart);
    QApplication app(argc, argv);
    qInstallMessageHandler(QtMessages);
    QApplication::setApplicationName("Tabrona");
    QApplication::setQuitOnLastWindowClosed(false);
    Desktop desktop(options);
    desktop.LogTo(OpenStateLogFile());
    if (const int error = desktop.Platform().StartError()) {
        std::fprintf(stderr, "tabrona: the window cannot be started: eventfd: %s\n", std::strerror(error));
        std::fflush(nullptr);
        std::_Exit(1);
    }
    desktop.Launch(std::move(mainProgram));
    const int status = QApplication::exec();
    ApplicationWillTerminate();
    std::fflush(nullptr);
    std::_Exit(status);
}
