// The desktop windows the runtime draws into, numbered 0-12: graphic
// windows with their views, the text windows of the pasteboard, the printer
// and the console, and the main window.
#pragma once

#include <string>

// A rectangle in points, origin at the bottom left (as the runtime's window
// arithmetic expects).
struct HostRect {
    double X = 0;
    double Y = 0;
    double Width = 0;
    double Height = 0;
    bool operator==(const HostRect&) const = default;
};

struct HostColor {
    double Red = 0;
    double Green = 0;
    double Blue = 0;
    double Alpha = 1;
    bool operator==(const HostColor&) const = default;
};

// Host window numbers: 0-7 graphic windows, 8 pasteboard, 9 virtual
// printer, 10 system console, 11 preferences, 12 main window.
inline constexpr int HostWindowCount = 13;

class HostWindows {
public:
    virtual ~HostWindows() = default;
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;

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

protected:
    HostWindows() = default;
};
