// What the runtime needs from a desktop: the GUI thread, threads, the clock,
// host windows and views, the clipboard, the bell, document-open requests,
// standard folders, resources and the menu bar. The core talks to the
// desktop only through this interface; the Qt host and the headless
// platform implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A rectangle in points, origin at the bottom left (as the runtime's window
// arithmetic expects).
struct HostRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const HostRect&) const = default;
};

struct HostColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    bool operator==(const HostColor&) const = default;
};

// A picture of a graphic window: 4 bytes per pixel in the order alpha, red,
// green, blue; rows top first, width * 4 bytes each.
struct ArgbImage {
    int width = 0;
    int height = 0;
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t Size() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    }
};

// Each folder ends with "/". Application is the running program's own folder;
// State the program's folder in the user's XDG state folder.
enum class StandardFolder {
    Home, Preferences, Desktop, Documents, Downloads, Pictures, Music, Movies, Volumes, Application, State
};

// Host window numbers: 0-7 graphic windows, 8 pasteboard, 9 virtual
// printer, 10 system console, 11 preferences, 12 main window.
inline constexpr int HostWindowCount = 13;

class Platform {
public:
    Platform();
    virtual ~Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // --- GUI thread -------------------------------------------------------
    virtual bool IsGuiThread() = 0;
    // Runs work on the GUI thread and returns once it has run.
    virtual void RunOnGui(const std::function<void()>& work) = 0;
    // Queues work for the GUI thread without waiting.
    virtual void PostToGui(std::function<void()> work) = 0;

    // --- threads ------------------------------------------------------------
    // Starts a detached thread with the given stack size. Threads started
    // here are numbered 2, 3, ... in start order; the thread that created the
    // platform is number 1. Returns false when the thread could not start.
    virtual bool StartThread(std::size_t stackSize, std::function<void()> body);
    // The platform's description of the calling thread, in the form
    // "<Thread: 0x...>{number = N, name = NAME}"; threads the platform did
    // not start have no number in it.
    virtual std::string CurrentThreadDescription();
    // Names the calling thread (Linux keeps at most 15 characters).
    virtual void SetCurrentThreadName(const std::string& name);

    // --- clock --------------------------------------------------------------
    // Absolute time in seconds.
    virtual double AbsoluteTime();

    // --- host windows (numbers 0-12) ----------------------------------------
    virtual bool HasWindow(int window) = 0;
    virtual bool HasView(int window) = 0;  // graphic windows 0-7 only
    virtual HostRect WindowFrame(int window) = 0;
    virtual void SetWindowFrame(int window, const HostRect& frame) = 0;
    virtual void SetViewFrame(int window, const HostRect& frame) = 0;
    virtual std::string WindowTitle(int window) = 0;
    virtual void SetWindowTitle(int window, const std::string& title) = 0;
    // 7 = titled, closable, miniaturizable; 0 = borderless.
    virtual void SetWindowStyle(int window, unsigned styleMask) = 0;
    virtual void CenterWindow(int window) = 0;
    virtual void MakeKeyAndFront(int window) = 0;
    virtual void OrderFront(int window) = 0;
    virtual void OrderOut(int window) = 0;
    virtual bool IsWindowVisible(int window) = 0;
    virtual void SetWindowBackground(int window, const HostColor& color) = 0;
    // The frame of the screen that holds the window.
    virtual HostRect ScreenFrame(int window) = 0;

    // --- views of graphic windows -------------------------------------------
    virtual void SetNeedsDisplay(int window) = 0;
    virtual void DisplayNow(int window) = 0;

    // --- text windows 8-10 (pasteboard, printer, console) -------------------
    virtual bool HasTextView(int window) = 0;
    virtual std::string TextViewString(int window) = 0;
    virtual void SetTextViewString(int window, const std::string& text) = 0;
    // Adds text at the end, in time that grows with the text added, not
    // with what the view holds already.
    virtual void AppendTextViewString(int window, const std::string& text);
    virtual HostRect ScrollViewFrame(int window) = 0;
    virtual void SetScrollViewFrame(int window, const HostRect& frame) = 0;
    // The ruler above the printer's and the console's text (9, 10); its
    // place is the host's.
    virtual void SetRulerSize(int window, double width, double height);
    // Plain text, fixed-width font, no automatic substitutions, empty.
    virtual void PreparePasteboardView() = 0;

    // --- clipboard ----------------------------------------------------------
    virtual std::optional<std::string> ClipboardString() = 0;  // UTF-8
    virtual void SetClipboardString(const std::string& text) = 0;
    virtual void SetClipboardImage(const ArgbImage& image) = 0;
    virtual void ClearClipboard() = 0;

    // --- bell ---------------------------------------------------------------
    virtual void Bell() = 0;

    // --- menu bar -----------------------------------------------------------
    virtual bool HasMenu(const std::string& menuTitle) = 0;
    virtual int MenuItemCount(const std::string& menuTitle) = 0;
    virtual std::string MenuItemTitle(const std::string& menuTitle, int index) = 0;
    virtual void DeleteMenuItem(const std::string& menuTitle, int index) = 0;

    // --- folders and resources ----------------------------------------------
    virtual std::string Folder(StandardFolder folder);
    virtual std::string ResourceFolder();
    // Where copies of unsaved work are kept, ending in "/": the state
    // folder. Empty: none are kept.
    virtual std::string RecoveryFolder();
    // The program's file name, as the window titles show it.
    virtual std::string ApplicationName();

    // --- document-open requests ---------------------------------------------
    // Requests that come before the program has connected its handler (a
    // path on the command line, say) are kept and handed over, in their
    // order, when it connects.
    using DocumentHandler = std::function<void(const std::string& path)>;
    void SetDocumentHandler(DocumentHandler handler);
    // Called by the host for each file the user asks to open.
    void OpenDocument(const std::string& path);

private:
    std::mutex documentMutex_;  // guards the handler and the waiting paths
    DocumentHandler documentHandler_;
    std::vector<std::string> waitingDocuments_;
};

// The platform the runtime talks to. Until one is installed a headless
// platform is created on first use.
Platform& CurrentPlatform();
void InstallPlatform(std::unique_ptr<Platform> platform);
