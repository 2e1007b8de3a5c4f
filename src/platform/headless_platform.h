// A platform without a desktop: virtual host windows with frames, titles,
// visibility, style and background colour, a configurable screen, a
// clipboard, a bell counter, text windows for the printer and console, and
// a menu bar that tests may fill. Hand-overs to the GUI thread run inline.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "platform/platform.h"

class HeadlessPlatform : public Platform {
public:
    struct HostWindow {
        bool Exists = true;
        bool HasView = false;      // graphic windows 0-7
        bool HasTextView = false;  // text windows 8-10
        HostRect Frame;
        HostRect ViewFrame;
        HostRect ScrollFrame;
        double RulerWidth = 0;
        double RulerHeight = 0;
        std::string Title;
        unsigned StyleMask = 7;
        bool Visible = false;
        HostColor Background;
        std::string Text;
        int FrontCount = 0;       // MakeKeyAndFront calls
        int CenterCount = 0;
        int NeedsDisplayCount = 0;
        int DisplayNowCount = 0;
    };

    struct Menu {
        std::string Title;
        std::vector<std::string> Items;
    };

    // Frame heights chosen so that the measured title-bar height is 28.
    static constexpr double DefaultTitleBarHeight = 28;

    HeadlessPlatform();

    bool IsGuiThread() override { return true; }
    void RunOnGui(const std::function<void()>& work) override { work(); }
    void PostToGui(std::function<void()> work) override { work(); }

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

    // The platform's clock, or the one a test hands it.
    double AbsoluteTime() override;

    bool HasMenu(const std::string& menuTitle) override;
    int MenuItemCount(const std::string& menuTitle) override;
    std::string MenuItemTitle(const std::string& menuTitle, int index) override;
    void DeleteMenuItem(const std::string& menuTitle, int index) override;

    std::string ResourceFolder() override;
    // None unless set: a scripted run ends without the program's quit, and
    // would leave copies behind for the next run.
    std::string RecoveryFolder() override;

    // --- configuration and inspection (tests, the scripted runner) ----------
    void SetScreenSize(double width, double height);
    void SetWindowExists(int window, bool exists);
    void SetViewExists(int window, bool exists);
    void SetResourceFolder(const std::string& folder);
    void SetRecoveryFolder(const std::string& folder);
    // A clock the test moves itself (seconds); none: the real one.
    void SetClock(std::function<double()> clock);
    void AddMenu(const std::string& title, std::vector<std::string> items);
    std::vector<Menu> Menus();
    HostWindow Window(int window);
    int BellCount();
    std::vector<std::uint8_t> ClipboardImageBytes();
    int ClipboardImageWidth();

private:
    HostWindow* Find(int window);  // nullptr when absent; caller holds mutex_
    Menu* FindMenu(const std::string& title);

    std::mutex mutex_;
    HostWindow windows_[HostWindowCount];
    HostRect screen_{0, 0, 1920, 1080};
    std::optional<std::string> clipboard_;
    std::vector<std::uint8_t> clipboardImage_;
    int clipboardImageWidth_ = 0;
    int bells_ = 0;
    std::vector<Menu> menus_;
    std::string resourceFolder_;
    std::string recoveryFolder_;
    std::function<double()> clock_;
};
