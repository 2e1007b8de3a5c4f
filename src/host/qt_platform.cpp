#include "host/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTextCursor>
#include <QThread>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

bool IsGraphic(int window) { return window >= 0 && window < 8; }

QString MenuTitle(const QMenu* menu) { return menu->title().remove('&'); }

// The window's drawing area: the central widget, below any menu bar.
QWidget* Content(QWidget* window) {
    auto* main = qobject_cast<QMainWindow*>(window);
    return main && main->centralWidget() ? main->centralWidget() : window;
}

int MenuBarHeight(QWidget* window) {
    auto* main = qobject_cast<QMainWindow*>(window);
    return main && main->menuWidget() ? main->menuWidget()->sizeHint().height() : 0;
}

QScreen* ScreenOf(QWidget* window) {
    QScreen* screen = window ? window->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

// A rectangle inside a widget of height `height`, from the runtime's
// bottom-left origin to Qt's top-left, in Qt's pixels.
QRect FromBottomLeft(const HostRect& r, int height, double scale) {
    const int h = static_cast<int>(r.Height * scale);
    return {static_cast<int>(r.X * scale), height - static_cast<int>(r.Y * scale) - h,
            static_cast<int>(r.Width * scale), h};
}

HostRect ToBottomLeft(const QRect& r, int height, double scale) {
    return {r.x() / scale, (height - r.y() - r.height()) / scale, r.width() / scale, r.height() / scale};
}

}  // namespace

QtPlatform::QtPlatform(DesktopWindows& windows, int zoom)
    : windows_(windows), zoom_(std::clamp(zoom, 1, 3)), askedZoom_(zoom_) {
    for (GraphicView* view : windows_.Views)
        if (view) view->SetZoom(zoom);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        startError_ = errno;
        return;
    }
    wakeNotifier_ = std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read);
    QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, [this] { RunHandedOver(); });
}

QtPlatform::~QtPlatform() {
    wakeNotifier_.reset();
    if (wakeFd_ >= 0) close(wakeFd_);
}

void QtPlatform::RunHandedOver() {
    std::uint64_t count = 0;
    while (read(wakeFd_, &count, sizeof count) > 0) {
    }
    for (;;) {
        HandOver next;
        {
            std::lock_guard lock(handOverMutex_);
            if (handOvers_.empty()) return;
            next = std::move(handOvers_.front());
            handOvers_.pop_front();
        }
        next.Work();
        if (next.Done) {
            std::lock_guard lock(handOverMutex_);
            *next.Done = true;
            handedOver_.notify_all();
        }
    }
}

bool QtPlatform::IsGuiThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

void QtPlatform::RunOnGui(const std::function<void()>& work) {
    if (IsGuiThread()) {
        work();
        return;
    }
    bool done = false;
    std::unique_lock lock(handOverMutex_);
    handOvers_.push_back({[&work] { work(); }, &done});
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
    handedOver_.wait(lock, [&done] { return done; });
}

void QtPlatform::PostToGui(std::function<void()> work) {
    {
        std::lock_guard lock(handOverMutex_);
        handOvers_.push_back({std::move(work), nullptr});
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

QWidget* QtPlatform::Find(int window) const {
    if (window < 0 || window >= static_cast<int>(windows_.Windows.size())) return nullptr;
    return windows_.Windows[static_cast<std::size_t>(window)];
}

double QtPlatform::Scale(int window) const { return IsGraphic(window) ? zoom_ : 1; }

int QtPlatform::ContentHeight(int window) const {
    QWidget* w = Find(window);
    if (!w) return 0;
    // The drawing area follows the window at once, not only when the window
    // is next laid out, so that frames read back right away agree.
    const int height = w->height() - MenuBarHeight(w);
    Content(w)->resize(w->width(), height);
    return height;
}

bool QtPlatform::HasWindow(int window) { return Find(window) != nullptr; }

bool QtPlatform::HasView(int window) { return IsGraphic(window) && windows_.Views[window] != nullptr; }

HostRect QtPlatform::WindowFrame(int window) {
    QWidget* w = Find(window);
    if (!w) return {};
    const QRect screen = ScreenOf(w)->geometry();
    const QSize content(w->width(), w->height() - MenuBarHeight(w));
    return ToBottomLeft(QRect(w->pos(), content), screen.height(), Scale(window));
}

int QtPlatform::FittingZoom(int asked) const {
    QWidget* w = Find(0);
    if (!w || !HasLogicalSize_) return std::clamp(asked, 1, 3);
    const QRect available = ScreenOf(w)->availableGeometry();
    // The window manager's frame, where it is known; a title bar's worth otherwise.
    const QSize decoration = w->isVisible() ? w->frameGeometry().size() - w->size() : QSize(0, 32);
    for (int zoom = std::clamp(asked, 1, 3); zoom > 1; --zoom) {
        const int width = static_cast<int>(logicalSize_.width() * zoom) + decoration.width();
        const int height = static_cast<int>(logicalSize_.height() * zoom) + MenuBarHeight(w) + decoration.height();
        if (width <= available.width() && height <= available.height()) return zoom;
    }
    return 1;
}

void QtPlatform::SetWindowFrame(int window, const HostRect& frame) {
    QWidget* w = Find(window);
    if (!w) return;
    // The program's window sets the zoom: the largest asked for that fits.
    if (window == 0) {
        logicalSize_ = QSizeF(frame.Width, frame.Height);
        HasLogicalSize_ = true;
        const int zoom = FittingZoom(askedZoom_);
        if (zoom != zoom_) SetZoom(zoom);
    }
    const double s = Scale(window);
    const QRect r = FromBottomLeft(frame, ScreenOf(w)->geometry().height(), s);
    w->resize(r.width(), r.height() + MenuBarHeight(w));
    w->move(r.topLeft());
}

void QtPlatform::SetViewFrame(int window, const HostRect& frame) {
    if (!HasView(window)) return;
    const int height = ContentHeight(window);
    windows_.Views[window]->SetLogicalFrame(FromBottomLeft(frame, height, Scale(window)),
                                            Content(Find(window))->size());
}

std::string QtPlatform::WindowTitle(int window) {
    QWidget* w = Find(window);
    return w ? w->windowTitle().toStdString() : std::string();
}

void QtPlatform::SetWindowTitle(int window, const std::string& title) {
    if (QWidget* w = Find(window)) w->setWindowTitle(QString::fromStdString(title));
}

void QtPlatform::SetWindowStyle(int window, unsigned styleMask) {
    QWidget* w = Find(window);
    if (!w) return;
    const bool frameless = styleMask == 0;
    if (w->windowFlags().testFlag(Qt::FramelessWindowHint) == frameless) return;
    // Changing the flags hides a window; it comes back as it was.
    const bool visible = w->isVisible();
    w->setWindowFlag(Qt::FramelessWindowHint, frameless);
    if (visible) w->show();
}

void QtPlatform::CenterWindow(int window) {
    QWidget* w = Find(window);
    if (!w) return;
    const QRect screen = ScreenOf(w)->availableGeometry();
    // A window larger than the screen keeps its title bar on it.
    w->move(std::max(screen.x(), screen.x() + (screen.width() - w->width()) / 2),
            std::max(screen.y(), screen.y() + (screen.height() - w->height()) / 2));
}

void QtPlatform::MakeKeyAndFront(int window) {
    QWidget* w = Find(window);
    if (!w) return;
    w->show();
    w->raise();
    w->activateWindow();
    if (HasView(window)) windows_.Views[window]->setFocus();
}

void QtPlatform::OrderFront(int window) {
    if (QWidget* w = Find(window)) {
        w->show();
        w->raise();
    }
}

void QtPlatform::OrderOut(int window) {
    if (QWidget* w = Find(window)) w->hide();
}

bool QtPlatform::IsWindowVisible(int window) {
    QWidget* w = Find(window);
    return w && w->isVisible();
}

void QtPlatform::SetWindowBackground(int window, const HostColor& color) {
    QWidget* w = Find(window);
    if (!w) return;
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window,
                     QColor::fromRgbF(static_cast<float>(color.Red), static_cast<float>(color.Green),
                                      static_cast<float>(color.Blue), static_cast<float>(color.Alpha)));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    Content(w)->setPalette(palette);
    Content(w)->setAutoFillBackground(true);
}

HostRect QtPlatform::ScreenFrame(int window) {
    const QRect screen = ScreenOf(Find(window))->availableGeometry();
    const double s = Scale(window);
    return {0, 0, screen.width() / s, screen.height() / s};
}

void QtPlatform::SetNeedsDisplay(int window) {
    if (HasView(window)) windows_.Views[window]->update();
}

void QtPlatform::DisplayNow(int window) {
    if (HasView(window)) windows_.Views[window]->repaint();
}

bool QtPlatform::HasTextView(int window) { return window >= 8 && window <= 10 && windows_.TextViews[window]; }

std::string QtPlatform::TextViewString(int window) {
    return HasTextView(window) ? windows_.TextViews[window]->toPlainText().toStdString() : std::string();
}

void QtPlatform::SetTextViewString(int window, const std::string& text) {
    if (HasTextView(window)) windows_.TextViews[window]->setPlainText(QString::fromStdString(text));
}

void QtPlatform::AppendTextViewString(int window, const std::string& text) {
    if (!HasTextView(window)) return;
    QTextCursor end(windows_.TextViews[window]->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromStdString(text));
}

HostRect QtPlatform::ScrollViewFrame(int window) {
    if (!HasTextView(window)) return {};
    return ToBottomLeft(windows_.TextViews[window]->geometry(), ContentHeight(window), 1);
}

void QtPlatform::SetScrollViewFrame(int window, const HostRect& frame) {
    if (!HasTextView(window)) return;
    windows_.TextViews[window]->setGeometry(FromBottomLeft(frame, ContentHeight(window), 1));
}

void QtPlatform::SetRulerSize(int window, double width, double height) {
    if (window < 8 || window > 10 || !windows_.Rulers[window]) return;
    // Above the text, in the margin the layout leaves at the top.
    windows_.Rulers[window]->setGeometry(24, 8, static_cast<int>(width), static_cast<int>(height));
}

void QtPlatform::PreparePasteboardView() {
    if (!HasTextView(8)) return;
    QPlainTextEdit* view = windows_.TextViews[8];
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(12);
    view->setFont(font);
    view->clear();
    view->update();
}

std::optional<std::string> QtPlatform::ClipboardString() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return data->text().toStdString();
}

void QtPlatform::SetClipboardString(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void QtPlatform::SetClipboardImage(const ArgbImage& image) { QGuiApplication::clipboard()->setImage(ImageOf(image)); }

void QtPlatform::ClearClipboard() { QGuiApplication::clipboard()->clear(); }

void QtPlatform::Bell() { QApplication::beep(); }

namespace {

QMenu* FindMenu(QWidget* window, const std::string& title) {
    auto* main = qobject_cast<QMainWindow*>(window);
    if (!main || !main->menuWidget()) return nullptr;
    for (QAction* action : main->menuBar()->actions())
        if (action->menu() && MenuTitle(action->menu()).toStdString() == title) return action->menu();
    return nullptr;
}

}  // namespace

bool QtPlatform::HasMenu(const std::string& menuTitle) { return FindMenu(Find(0), menuTitle) != nullptr; }

int QtPlatform::MenuItemCount(const std::string& menuTitle) {
    QMenu* menu = FindMenu(Find(0), menuTitle);
    return menu ? static_cast<int>(menu->actions().size()) : 0;
}

std::string QtPlatform::MenuItemTitle(const std::string& menuTitle, int index) {
    QMenu* menu = FindMenu(Find(0), menuTitle);
    if (!menu || index < 0 || index >= menu->actions().size()) return {};
    return menu->actions()[index]->text().remove('&').toStdString();
}

void QtPlatform::DeleteMenuItem(const std::string& menuTitle, int index) {
    QMenu* menu = FindMenu(Find(0), menuTitle);
    if (!menu || index < 0 || index >= menu->actions().size()) return;
    menu->removeAction(menu->actions()[index]);
}

void QtPlatform::AskZoom(int zoom) {
    askedZoom_ = std::clamp(zoom, 1, 3);
    SetZoom(FittingZoom(askedZoom_));
}

void QtPlatform::SetZoom(int zoom) {
    zoom = zoom < 1 ? 1 : zoom > 3 ? 3 : zoom;
    if (zoom == zoom_) return;
    const double factor = static_cast<double>(zoom) / zoom_;
    for (int w = 0; w < 8; ++w) {
        GraphicView* view = windows_.Views[w];
        QWidget* window = Find(w);
        if (!view || !window) continue;
        if (view->LogicalArea().isEmpty()) {  // not laid out yet
            view->SetZoom(zoom);
            continue;
        }
        const int bar = MenuBarHeight(window);
        const QSize area = view->LogicalArea() * factor;
        window->resize(area.width(), area.height() + bar);
        view->parentWidget()->resize(area);
        view->SetZoom(zoom);
        view->SetLogicalFrame(QRect(view->LogicalFrame().topLeft() * factor, view->LogicalFrame().size() * factor), area);
    }
    zoom_ = zoom;
}
