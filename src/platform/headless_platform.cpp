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
        win.hasView = IsGraphic(w);
        win.hasTextView = IsTextWindow(w);
        win.frame = {100, 100, 640, 480};
    }
    // The pasteboard window's frame and scroll view give the title-bar
    // height the way a desktop measures it: frame - scroll view - 20.
    windows_[8].frame = {100, 100, 600, 500};
    windows_[8].scrollFrame = {10, 10, 580, 500 - 20 - DefaultTitleBarHeight};
    for (int w : {9, 10}) windows_[w].scrollFrame = {20, 20, 600, 400};
}

HeadlessPlatform::HostWindow* HeadlessPlatform::Find(int window) {
    if (window < 0 || window >= HostWindowCount) return nullptr;
    HostWindow& win = windows_[window];
    return win.exists ? &win : nullptr;
}

bool HeadlessPlatform::HasWindow(int window) {
    std::lock_guard lock(mutex_);
    return Find(window) != nullptr;
}

bool HeadlessPlatform::HasView(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->hasView;
}

HostRect HeadlessPlatform::WindowFrame(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win ? win->frame : HostRect{};
}

void HeadlessPlatform::SetWindowFrame(int window, const HostRect& frame) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->frame = frame;
}

void HeadlessPlatform::SetViewFrame(int window, const HostRect& frame) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->viewFrame = frame;
}

std::string HeadlessPlatform::WindowTitle(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win ? win->title : std::string();
}

void HeadlessPlatform::SetWindowTitle(int window, const std::string& title) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->title = title;
}

void HeadlessPlatform::SetWindowStyle(int window, unsigned styleMask) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->styleMask = styleMask;
}

void HeadlessPlatform::CenterWindow(int window) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (!win) return;
    win->frame.x = static_cast<int>((screen_.width - win->frame.width) / 2);
    win->frame.y = static_cast<int>((screen_.height - win->frame.height) / 2);
    ++win->centerCount;
}

void HeadlessPlatform::MakeKeyAndFront(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) {
        win->visible = true;
        ++win->frontCount;
    }
}

void HeadlessPlatform::OrderFront(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->visible = true;
}

void HeadlessPlatform::OrderOut(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->visible = false;
}

bool HeadlessPlatform::IsWindowVisible(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->visible;
}

void HeadlessPlatform::SetWindowBackground(int window, const HostColor& color) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) win->background = color;
}

HostRect HeadlessPlatform::ScreenFrame(int) {
    std::lock_guard lock(mutex_);
    return screen_;
}

void HeadlessPlatform::SetNeedsDisplay(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) ++win->needsDisplayCount;
}

void HeadlessPlatform::DisplayNow(int window) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) ++win->displayNowCount;
}

bool HeadlessPlatform::HasTextView(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->hasTextView;
}

std::string HeadlessPlatform::TextViewString(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->hasTextView ? win->text : std::string();
}

void HeadlessPlatform::SetTextViewString(int window, const std::string& text) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (win && win->hasTextView) win->text = text;
}

void HeadlessPlatform::AppendTextViewString(int window, const std::string& text) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (win && win->hasTextView) win->text += text;
}

HostRect HeadlessPlatform::ScrollViewFrame(int window) {
    std::lock_guard lock(mutex_);
    const HostWindow* win = Find(window);
    return win && win->hasTextView ? win->scrollFrame : HostRect{};
}

void HeadlessPlatform::SetScrollViewFrame(int window, const HostRect& frame) {
    std::lock_guard lock(mutex_);
    HostWindow* win = Find(window);
    if (win && win->hasTextView) win->scrollFrame = frame;
}

void HeadlessPlatform::SetRulerSize(int window, double width, double height) {
    std::lock_guard lock(mutex_);
    if (HostWindow* win = Find(window)) {
        win->rulerWidth = width;
        win->rulerHeight = height;
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
    clipboardImage_.assign(image.bytes.get(), image.bytes.get() + image.Size());
    clipboardImageWidth_ = image.width;
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
        if (m.title == title) return &m;
    return nullptr;
}

bool HeadlessPlatform::HasMenu(const std::string& menuTitle) {
    std::lock_guard lock(mutex_);
    return FindMenu(menuTitle) != nullptr;
}

int HeadlessPlatform::MenuItemCount(const std::string& menuTitle) {
    std::lock_guard lock(mutex_);
    const Menu* m = FindMenu(menuTitle);
    return m ? static_cast<int>(m->items.size()) : 0;
}

std::string HeadlessPlatform::MenuItemTitle(const std::string& menuTitle, int index) {
    std::lock_guard lock(mutex_);
    const Menu* m = FindMenu(menuTitle);
    if (!m || index < 0 || index >= static_cast<int>(m->items.size())) return {};
    return m->items[static_cast<std::size_t>(index)];
}

void HeadlessPlatform::DeleteMenuItem(const std::string& menuTitle, int index) {
    std::lock_guard lock(mutex_);
    Menu* m = FindMenu(menuTitle);
    if (!m || index < 0 || index >= static_cast<int>(m->items.size())) return;
    m->items.erase(m->items.begin() + index);
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
    if (window >= 0 && window < HostWindowCount) windows_[window].exists = exists;
}

void HeadlessPlatform::SetViewExists(int window, bool exists) {
    std::lock_guard lock(mutex_);
    if (IsGraphic(window)) windows_[window].hasView = exists;
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
