// The platform on a Qt desktop: the GUI thread is Qt's, the windows are the
// desktop windows, the clipboard is the system's.
#pragma once

#include <QSocketNotifier>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "host/host_windows.h"
#include "platform/platform.h"

class QtPlatform : public Platform {
public:
    // `windows` must outlive the platform; `zoom` enlarges graphic windows.
    QtPlatform(DesktopWindows& windows, int zoom);
    ~QtPlatform() override;
    // 0 when the GUI thread can be woken for work handed to it; else the
    // system's error, and the platform must not be used (every hand-over
    // would wait for ever).
    int StartError() const { return startError_; }

    bool IsGuiThread() override;
    void RunOnGui(const std::function<void()>& work) override;
    void PostToGui(std::function<void()> work) override;

    bool HasWindow(int window) override;
    bool HasView(int window) override;
    HostRect WindowFrame(int window) override;
    void SetWindowFrame(int window, const HostRect& frame) override;
    void SetViewFrame(int window, const HostRect& frame) override;
    std::string WindowTitle(int window) override;
    void SetWindowTitle(int window, const std::string& title) override;
    void SetWindowStyle(int window, unsigned styleMask) override;
    void CenterWindow(int window) override;
    void MakeKeyAndFront(int window) override;
    void OrderFront(int window) override;
    void OrderOut(int window) override;
    bool IsWindowVisible(int window) override;
    void SetWindowBackground(int window, const HostColor& color) override;
    HostRect ScreenFrame(int window) override;

    void SetNeedsDisplay(int window) override;
    void DisplayNow(int window) override;

    bool HasTextView(int window) override;
    std::string TextViewString(int window) override;
    void SetTextViewString(int window, const std::string& text) override;
    void AppendTextViewString(int window, const std::string& text) override;
    HostRect ScrollViewFrame(int window) override;
    void SetScrollViewFrame(int window, const HostRect& frame) override;
    void SetRulerSize(int window, double width, double height) override;
    void PreparePasteboardView() override;

    std::optional<std::string> ClipboardString() override;
    void SetClipboardString(const std::string& text) override;
    void SetClipboardImage(const ArgbImage& image) override;
    void ClearClipboard() override;

    void Bell() override;

    bool HasMenu(const std::string& menuTitle) override;
    int MenuItemCount(const std::string& menuTitle) override;
    std::string MenuItemTitle(const std::string& menuTitle, int index) override;
    void DeleteMenuItem(const std::string& menuTitle, int index) override;

    // Enlarges every graphic window to a new zoom, keeping its place.
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }
    // The zoom the user asks for, as far as the program's window then fits
    // the screen (the menu's zoom items).
    void AskZoom(int zoom);
    // The largest zoom up to `asked` at which the program's window, with
    // its menu bar and frame, fits the screen's available area.
    int FittingZoom(int asked) const;

private:
    QWidget* Find(int window) const;
    // Points of the runtime to Qt's pixels: graphic windows are zoomed.
    double Scale(int window) const;
    // Height of the window's drawing area, below any menu bar.
    int ContentHeight(int window) const;

    // Runs the work handed over from other threads.
    void RunHandedOver();

    DesktopWindows& windows_;
    int zoom_;
    int askedZoom_;
    QSizeF logicalSize_;  // window 0's drawing area in points, once known
    bool HasLogicalSize_ = false;

    // Work for the GUI thread goes through this queue rather than through
    // Qt's cross-thread calls: the hand-over is then plain C++
    // synchronisation, which the thread sanitizer can follow, and an
    // eventfd wakes the GUI thread's event loop.
    struct HandOver {
        std::function<void()> Work;
        bool* Done = nullptr;  // set when a waiting caller may go on
    };
    std::mutex handOverMutex_;
    std::condition_variable handedOver_;
    std::deque<HandOver> handOvers_;
    int wakeFd_ = -1;
    int startError_ = 0;
    std::unique_ptr<QSocketNotifier> wakeNotifier_;
};
