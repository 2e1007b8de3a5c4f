#include "platform/headless_platform.h"

#include <cstring>
#include <utility>

namespace {

bool IsGraphic(int window) { return window >= 0 && window <= 7; }
bool IsTextWindow(int window) { return window >= 8 && window <= 10; }

}  // namespace

HeadlessPlatform::HeadlessPlatform() {
    for (int w = 0; w < HostWindowCount; ++w) {
        HostWindow& win = windows_[w];
        win.HasView = IsGraphic(w);
        win.HasTextView = IsTextWindow(w);
        win.Frame = {100, 100, 640, 480};
    }
    // The pasteboard window's frame and scroll view give the title-bar
    // height the way a desktop measures it: frame - scroll view - 20.
    windows_[8].Frame = {100, 100, 600, 500};
    windows_[8].ScrollFrame = {10, 10, 580, 500 - 20 - DefaultTitleBarHeight};
    for (int w : {9, 10}) windows_[w].ScrollFrame = {20, 20, 600, 400};
}

HeadlessPlatform::HostWindow* HeadlessPlatform::Find(int window) {
    if (window < 0 || window >= HostWindowCount) return nullptr;
    HostWindow& win = windows_[window];
    return win.Exists ? &win : nullptr;
}

bool HeadlessPlatform::HasWindow(int window) {
    std::lock_guard lock(mutex_);
    return Find(window) != nullptr;
}

bool HeadlessPlatform::HasView(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->HasView;
}

HostRect HeadlessPlatform::WindowFrame(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win ? win->Frame : HostRect{};
}

void HeadlessPlatform::SetWindowFrame(int window, const HostRect& frame) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->Frame = frame;
}

void HeadlessPlatform::SetViewFrame(int window, const HostRect& frame) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->ViewFrame = frame;
}

std::string HeadlessPlatform::WindowTitle(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win ? win->Title : std::string();
}

void HeadlessPlatform::SetWindowTitle(int window, const std::string& title) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->Title = title;
}

void HeadlessPlatform::SetWindowStyle(int window, unsigned styleMask) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->StyleMask = styleMask;
}

void HeadlessPlatform::CenterWindow(int window) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (!win) return;
    win->Frame.X = static_cast<int>((screen_.Width - win->Frame.Width) / 2);
    win->Frame.Y = static_cast<int>((screen_.Height - win->Frame.Height) / 2);
    ++win->CenterCount;
}

void HeadlessPlatform::MakeKeyAndFront(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) {
        win->Visible = true;
        ++win->FrontCount;
    }
}

void HeadlessPlatform::OrderFront(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->Visible = true;
}

void HeadlessPlatform::OrderOut(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->Visible = false;
}

bool HeadlessPlatform::IsWindowVisible(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->Visible;
}

void HeadlessPlatform::SetWindowBackground(int window, const HostColor& color) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->Background = color;
}

HostRect HeadlessPlatform::ScreenFrame(int) {
    std::lock_guard lock(mutex_);
    return screen_;
}

void HeadlessPlatform::SetNeedsDisplay(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) ++win->NeedsDisplayCount;
}

void HeadlessPlatform::DisplayNow(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) ++win->DisplayNowCount;
}

bool HeadlessPlatform::HasTextView(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->HasTextView;
}

std::string HeadlessPlatform::TextViewString(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->HasTextView ? win->Text : std::string();
}

void HeadlessPlatform::SetTextViewString(int window, const std::string& text) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (win && win->HasTextView) win->Text = text;
}

void HeadlessPlatform::AppendTextViewString(int window, const std::string& text) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (win && win->HasTextView) win->Text += text;
}

HostRect HeadlessPlatform::ScrollViewFrame(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->HasTextView ? win->ScrollFrame : HostRect{};
}

void HeadlessPlatform::SetScrollViewFrame(int window, const HostRect& frame) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (win && win->HasTextView) win->ScrollFrame = frame;
}

void HeadlessPlatform::SetRulerSize(int window, double width, double height) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) {
        win->RulerWidth = width;
        win->RulerHeight = height;
    }
}

void HeadlessPlatform::PreparePasteboardView() { SetTextViewString(8, ""); }

std::optional<std::string> HeadlessPlatform::ClipboardString() {
    std::lock_guard lock(mutex_);
    return clipboard_;
}

void HeadlessPlatform::SetClipboardString(const std::string& text) {
    std::lock_guard lock(mutex_);
    clipboard_ = text;
}

void HeadlessPlatform::SetClipboardImage(const ArgbImage& image) {
    std::lock_guard lock(mutex_);
    clipboardImage_.assign(image.Bytes.get(), image.Bytes.get() + image.Size());
    clipboardImageWidth_ = image.Width;
}

void HeadlessPlatform::ClearClipboard() {
    std::lock_guard lock(mutex_);
    clipboard_.reset();
    clipboardImage_.clear();
    clipboardImageWidth_ = 0;
}

void HeadlessPlatform::Bell() {
    std::lock_guard lock(mutex_);
    ++bells_;
}

HeadlessPlatform::Menu* HeadlessPlatform::FindMenu(const std::string& title) {
    for (Menu& m : menus_)
        if (m.Title == title) return &m;
    return nullptr;
}

bool HeadlessPlatform::HasMenu(const std::string& menuTitle) {
    std::lock_guard lock(mutex_);
    return FindMenu(menuTitle) != nullptr;
}

int HeadlessPlatform::MenuItemCount(const std::string& menuTitle) {
    std::lock_guard lock(mutex_);
    const Menu* m = FindMenu(menuTitle);
    return m ? static_cast<int>(m->Items.size()) : 0;
}

std::string HeadlessPlatform::MenuItemTitle(const std::string& menuTitle, int index) {
    std::lock_guard lock(mutex_);
    const Menu* m = FindMenu(menuTitle);
    if (!m || index < 0 || index >= static_cast<int>(m->Items.size())) return {};
    return m->Items[static_cast<std::size_t>(index)];
}

void HeadlessPlatform::DeleteMenuItem(const std::string& menuTitle, int index) {
    std::lock_guard lock(mutex_);
    Menu* m = FindMenu(menuTitle);
    if (!m || index < 0 || index >= static_cast<int>(m->Items.size())) return;
    m->Items.erase(m->Items.begin() + index);
}

std::string HeadlessPlatform::ResourceFolder() {
    {
        std::lock_guard lock(mutex_);
        if (!resourceFolder_.empty()) return resourceFolder_;
    }
    return HostFolders::ResourceFolder();
}

std::string HeadlessPlatform::RecoveryFolder() {
    std::lock_guard lock(mutex_);
    return recoveryFolder_;
}

void HeadlessPlatform::SetScreenSize(double width, double height) {
    std::lock_guard lock(mutex_);
    screen_ = {0, 0, width, height};
}

void HeadlessPlatform::SetWindowExists(int window, bool exists) {
    std::lock_guard lock(mutex_);
    if (window >= 0 && window < HostWindowCount) windows_[window].Exists = exists;
}

void HeadlessPlatform::SetViewExists(int window, bool exists) {
    std::lock_guard lock(mutex_);
    if (IsGraphic(window)) windows_[window].HasView = exists;
}

void HeadlessPlatform::SetResourceFolder(const std::string& folder) {
    std::lock_guard lock(mutex_);
    resourceFolder_ = folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

void HeadlessPlatform::SetRecoveryFolder(const std::string& folder) {
    std::lock_guard lock(mutex_);
    recoveryFolder_ = folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

void HeadlessPlatform::AddMenu(const std::string& title, std::vector<std::string> items) {
    std::lock_guard lock(mutex_);
    menus_.push_back({title, std::move(items)});
}

std::vector<HeadlessPlatform::Menu> HeadlessPlatform::Menus() {
    std::lock_guard lock(mutex_);
    return menus_;
}

HeadlessPlatform::HostWindow HeadlessPlatform::Window(int window) {
    std::lock_guard lock(mutex_);
    if (window < 0 || window >= HostWindowCount) return {};
    return windows_[window];
}

int HeadlessPlatform::BellCount() {
    std::lock_guard lock(mutex_);
    return bells_;
}

std::vector<std::uint8_t> HeadlessPlatform::ClipboardImageBytes() {
    std::lock_guard lock(mutex_);
    return clipboardImage_;
}

int HeadlessPlatform::ClipboardImageWidth() {
    std::lock_guard lock(mutex_);
    return clipboardImageWidth_;
}

double HeadlessPlatform::AbsoluteTime() {
    std::function<double()> clock;
    {
        std::lock_guard lock(mutex_);
        clock = clock_;
    }
    return clock ? clock() : HostThreads::AbsoluteTime();
}

void HeadlessPlatform::SetClock(std::function<double()> clock) {
    std::lock_guard lock(mutex_);
    clock_ = std::move(clock);
}
