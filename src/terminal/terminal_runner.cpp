#include "terminal/terminal_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "input/events.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/log_file.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "screen/font.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "terminal/terminal_input.h"
#include "terminal/terminal_output.h"
#include "terminal/terminal_platform.h"
#include "terminal/terminal_view.h"

namespace {

// Mouse clicks in xterm's SGR form and bracketed paste, on and off. No
// terminfo capability names these private modes.
constexpr const char* ModesOn = "\x1b[?1000h\x1b[?1006h\x1b[?2004h";
constexpr const char* ModesOff = "\x1b[?2004l\x1b[?1006l\x1b[?1000l";

constexpr auto MessageTime = std::chrono::seconds(5);
// The program's end is looked for at least this often, also when idle.
constexpr int EndCheckMilliseconds = 200;

// What a signal handler needs to put the terminal back: kept where it can
// reach it without allocating.
struct Restore {
    termios Saved{};
    char Leave[512] = {};
    std::size_t LeaveLength = 0;
    volatile sig_atomic_t Active = 0;
};
Restore restore;
int signalPipe[2] = {-1, -1};
volatile sig_atomic_t endingSignal = 0;

void WriteAll(int fd, const char* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, bytes, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
}

// Async-signal-safe: write and tcsetattr only.
void PutTerminalBack() {
    if (!restore.Active) return;
    restore.Active = 0;
    WriteAll(STDOUT_FILENO, restore.Leave, restore.LeaveLength);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &restore.Saved);
}

void Note(char what) {
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &what, 1);
    errno = saved;
}

void OnEnd(int signal) {
    endingSignal = signal;
    Note('T');
}
void OnResize(int) { Note('W'); }
void OnContinue(int) { Note('C'); }

// A stop from the shell: the terminal is the shell's again while stopped.
void OnStop(int) {
    PutTerminalBack();
    std::signal(SIGTSTP, SIG_DFL);
    std::raise(SIGTSTP);
}

// A crash: the terminal first, then the signal's own end (a core dump).
void OnCrash(int signal) {
    PutTerminalBack();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

class TerminalRun {
public:
    TerminalRun(TerminalCaps caps, const std::string& term, int lines);
    bool Start(const TerminalOptions& options, std::function<void()> mainProgram);
    int Loop();
    void Leave() { PutTerminalBack(); }

private:
    void Enter();
    void ReadSize();
    void Repaint();
    void ReadInput();
    void Dispatch(const TerminalEvent& event);
    void ReadSignals(bool& ending);
    void TakeWork();
    int Timeout() const;

    TerminalCaps caps_;
    TerminalPainter painter_;
    TerminalView view_;
    TerminalInput input_;
    TerminalPlatform* platform_ = nullptr;
    int wakePipe_[2] = {-1, -1};
    int rows_ = 24, columns_ = 80;
    int lines_;
    std::string message_;
    std::chrono::steady_clock::time_point messageSince_;
};

TerminalPalette Palette() {
    TerminalPalette palette{};
    for (int i = 0; i < 16; ++i) {
        const t_RGBColor c = PaletteColor(i);
        palette[static_cast<std::size_t>(i)] = {c.Red, c.Green, c.Blue};
    }
    return palette;
}

TerminalRun::TerminalRun(TerminalCaps caps, const std::string& term, int lines)
    : caps_(caps), painter_(std::move(caps), Palette()), input_(term), lines_(lines) {}

void TerminalRun::Enter() {
    termios raw = restore.Saved;
    cfmakeraw(&raw);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
    const std::string enter = caps_.EnterScreen + ModesOn + caps_.HideCursor;
    WriteAll(STDOUT_FILENO, enter.data(), enter.size());
    restore.Active = 1;
    painter_.Forget();
}

void TerminalRun::ReadSize() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
        rows_ = size.ws_row;
        columns_ = size.ws_col;
    }
    painter_.Forget();
}

bool TerminalRun::Start(const TerminalOptions& options, std::function<void()> mainProgram) {
    if (!input_.Valid() || pipe2(wakePipe_, O_NONBLOCK | O_CLOEXEC) != 0 || pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    tcgetattr(STDIN_FILENO, &restore.Saved);
    const std::string leave = std::string(ModesOff) + caps_.Reset + caps_.ShowCursor + caps_.LeaveScreen;
    restore.LeaveLength = std::min(leave.size(), sizeof restore.Leave);
    std::memcpy(restore.Leave, leave.data(), restore.LeaveLength);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) Handle(signal, OnEnd);
    Handle(SIGWINCH, OnResize);
    Handle(SIGCONT, OnContinue);
    Handle(SIGTSTP, OnStop);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) Handle(signal, OnCrash);
    std::signal(SIGPIPE, SIG_IGN);

    const int wake = wakePipe_[1];
    auto platform = std::make_unique<TerminalPlatform>([wake] {
        const char byte = 'w';
        [[maybe_unused]] const ssize_t n = ::write(wake, &byte, 1);
    });
    platform_ = platform.get();
    // A screen taller than 1400 points makes the program choose 80 lines.
    platform->SetScreenSize(1920, lines_ == 80 ? 1600 : 1080);
    InstallPlatform(std::move(platform));
    Enter();
    ReadSize();
    ApplicationWillFinishLaunching();
    if (!options.OpenFile.empty()) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(options.OpenFile, error);
        CurrentPlatform().OpenDocument(error ? options.OpenFile : absolute.lexically_normal().string());
    }
    ApplicationDidFinishLaunching(std::move(mainProgram));
    return true;
}

void TerminalRun::Repaint() {
    if (!message_.empty() && std::chrono::steady_clock::now() - messageSince_ > MessageTime) message_.clear();
    const t_Window& win = Screen().WindowTable[0];
    const TerminalFrame frame = view_.Compose(t_CopyTextCells(0), PlaceOf(win.CursorShownAt), PlaceOf(win.FocusAt),
                                              rows_, columns_, message_);
    const std::string bytes = painter_.Paint(frame);
    WriteAll(STDOUT_FILENO, bytes.data(), bytes.size());
}

void TerminalRun::Dispatch(const TerminalEvent& event) {
    switch (event.What) {
        case TerminalEvent::Kind::Key: t_KeyEventHandler(0, event.Key); break;
        case TerminalEvent::Kind::Click: {
            const ScreenPlace place = view_.CellAt(event.Row, event.Column);
            if (place.Column > 0) t_ClickTextCell(0, place.Column, place.Line);
            break;
        }
        case TerminalEvent::Kind::Paste:
            platform_->TakePaste(event.Text);
            message_ = "In der Zwischenablage: ^V setzt es ein.";
            messageSince_ = std::chrono::steady_clock::now();
            break;
    }
}

void TerminalRun::ReadInput() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) input_.Push(std::string_view(buffer, static_cast<std::size_t>(n)));
}

void TerminalRun::ReadSignals(bool& ending) {
    char notes[64];
    ssize_t n;
    while ((n = ::read(signalPipe[0], notes, sizeof notes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (notes[i] == 'T') ending = true;
            if (notes[i] == 'W') ReadSize();
            if (notes[i] == 'C') {
                Handle(SIGTSTP, OnStop);
                Enter();
                ReadSize();
            }
        }
    }
}

void TerminalRun::TakeWork() {
    char drained[256];
    while (::read(wakePipe_[0], drained, sizeof drained) > 0) {
    }
    TerminalPlatform::Work work = platform_->TakeWork();
    WriteAll(STDOUT_FILENO, work.Output.data(), work.Output.size());
    if (!work.Message.empty()) {
        message_ = work.Message;
        messageSince_ = std::chrono::steady_clock::now();
    }
}

int TerminalRun::Timeout() const {
    int timeout = EndCheckMilliseconds;
    const int wait = input_.WaitTime();
    if (wait >= 0) timeout = std::min(timeout, wait);
    return timeout;
}

int TerminalRun::Loop() {
    bool ending = false;
    while (!ending && !Runtime().ProgramEnded) {
        pollfd fds[3] = {{STDIN_FILENO, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
        const int ready = poll(fds, 3, Timeout());
        if (ready < 0 && errno != EINTR) break;
        const bool hadMessage = !message_.empty();
        if (fds[2].revents & POLLIN) ReadSignals(ending);
        if (fds[1].revents & POLLIN) TakeWork();
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (fds[0].revents & (POLLHUP | POLLERR)) ending = true;
            ReadInput();
        }
        const std::vector<TerminalEvent> events = input_.Take(ready == 0);
        if (!events.empty()) message_.clear();
        for (const TerminalEvent& event : events) Dispatch(event);
        if (ready > 0 || hadMessage) Repaint();
    }
    return endingSignal != 0 ? 128 + endingSignal : 0;
}

}  // namespace

bool InTerminal() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

const char* WithoutDisplayAdvice() {
    return InTerminal() ? "tabrona --terminal runs in this terminal, tabrona --headless without one"
                        : "tabrona --headless runs without one";
}

int RunTerminal(const TerminalOptions& options, std::function<void()> mainProgram) {
    if (!InTerminal()) {
        std::fputs("tabrona: --terminal needs a terminal as standard input and output\n", stderr);
        return 1;
    }
    const char* term = std::getenv("TERM");
    const char* colourTerm = std::getenv("COLORTERM");
    const bool truecolour =
        colourTerm && (std::strcmp(colourTerm, "truecolor") == 0 || std::strcmp(colourTerm, "24bit") == 0);
    TerminalCaps caps;
    if (!term || !ReadTerminalCaps(term, truecolour, caps)) {
        std::fprintf(stderr, "tabrona: the terminal \"%s\" is not known to terminfo or cannot place the cursor\n",
                     term ? term : "");
        return 1;
    }
    // The log goes into the state folder's file: the terminal is the screen.
    SetLogToStdout(false);
    std::shared_ptr<std::FILE> log = OpenStateLogFile();
    SetLogSink([log](std::string_view text) {
        if (log) std::fwrite(text.data(), 1, text.size(), log.get());
    });
    SetLogFlush([log] {
        if (log) std::fflush(log.get());
    });
    TerminalRun run(caps, term, options.Lines);
    if (!run.Start(options, std::move(mainProgram))) {
        run.Leave();
        std::fprintf(stderr, "tabrona: the terminal \"%s\" cannot be read\n", term);
        return 1;
    }
    const int status = run.Loop();
    run.Leave();
    return status;
}
