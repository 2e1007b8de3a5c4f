#include "host/host_windows.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

#include "host/key_events.h"
#include "input/events.h"
#include "input/keys.h"
#include "runtime/program.h"
#include "screen/glyph.h"
#include "screen/window.h"

namespace {

Int Buttons(Qt::MouseButtons buttons) {
    Int mask = 0;
    if (buttons.testFlag(Qt::LeftButton)) mask |= 1;
    if (buttons.testFlag(Qt::RightButton)) mask |= 2;
    if (buttons.testFlag(Qt::MiddleButton)) mask |= 4;
    return mask;
}

// A top-level window, numbered w.
HostWindow* NewWindow(DesktopWindows& windows, int w) {
    windows.Owned[w] = std::make_unique<HostWindow>();
    windows.Windows[w] = windows.Owned[w].get();
    return windows.Windows[w];
}

HostWindow* NewTextWindow(DesktopWindows& windows, int w, const QString& title, bool ruler) {
    HostWindow* window = NewWindow(windows, w);
    window->setWindowTitle(title);
    auto* central = new QWidget(window);
    window->setCentralWidget(central);
    auto* text = new QPlainTextEdit(central);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    windows.TextViews[w] = text;
    if (ruler) {
        auto* field = new QLineEdit(central);
        field->setReadOnly(true);
        field->setFont(text->font());
        field->setFrame(false);
        windows.Rulers[w] = field;
    }
    window->resize(600, 500);
    window->OnResize = [&windows, window] { WindowDidResize(t_WindowNumber(windows, window)); };
    return window;
}

}  // namespace

// ---- GraphicView ----

GraphicView::GraphicView(UInt8 window, QWidget* parent) : QWidget(parent), window_(window) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int WholeFactor(QSize picture, QSize room) {
    if (picture.isEmpty()) return 1;
    return std::max(1, std::min(room.width() / picture.width(), room.height() / picture.height()));
}

void GraphicView::SetZoom(int zoom) {
    zoom_ = zoom < 1 ? 1 : zoom > 3 ? 3 : zoom;
    update();
}

void GraphicView::SetLogicalFrame(const QRect& frame, QSize area) {
    logical_ = frame;
    logicalArea_ = area;
    Layout();
}

void GraphicView::Layout() {
    const QSize area = parentWidget()->size();
    if (area == logicalArea_ || logical_.isEmpty()) {
        setGeometry(logical_);
        factor_ = zoom_;
        offset_ = QPoint();
    } else {
        const QSize picture = logical_.size() / zoom_;
        factor_ = WholeFactor(picture, area);
        offset_ = QPoint((area.width() - picture.width() * factor_) / 2, (area.height() - picture.height() * factor_) / 2);
        setGeometry(QRect(QPoint(), area));
    }
    update();
}

void GraphicView::paintEvent(QPaintEvent*) {
    // The window's memory is converted only when its pixels changed since
    // the picture kept here; otherwise (an exposed window) that is painted.
    const Int changes = PixelChangesOf(window_);
    if (picture_.isNull() || changes != pictureChanges_) {
        if (std::optional<ArgbImage> image = ViewRefresh(window_)) {
            picture_ = ImageOf(*image);
            pictureChanges_ = changes;
        }
    }
    QPainter painter(this);
    const QRect shown(offset_, picture_.size() * factor_);
    if (picture_.isNull() || shown != rect()) painter.fillRect(rect(), palette().window());
    if (picture_.isNull()) return;
    // Whole-number zoom without smoothing keeps every pixel a sharp square.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(shown, picture_);
}

void GraphicView::keyPressEvent(QKeyEvent* event) {
    t_KeyEventHandler(window_, HostKeyOf(*event, NowMilliseconds()));
    event->accept();
}

void GraphicView::keyReleaseEvent(QKeyEvent* event) {
    SetCurrentModifiers(ModifiersOf(event->modifiers()));
    QWidget::keyReleaseEvent(event);
}

void GraphicView::inputMethodEvent(QInputMethodEvent* event) {
    // Dead keys arrive here: the composed character is the commit string.
    if (!event->commitString().isEmpty())
        t_KeyEventHandler(window_, ComposedKey(event->commitString(), NowMilliseconds()));
    event->accept();
}

QVariant GraphicView::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled) return true;
    return QWidget::inputMethodQuery(query);
}

void GraphicView::mousePressEvent(QMouseEvent* event) {
    // The window's drawing area (below any menu bar) with its origin at the
    // bottom left, in the program's points, as the runtime laid it out.
    const QPointF inPicture = (event->position() - QPointF(offset_)) / factor_;
    const QPointF inWindow = QPointF(logical_.topLeft()) / zoom_ + inPicture;
    const double height = static_cast<double>(logicalArea_.height()) / zoom_;
    const bool right = event->button() == Qt::RightButton;
    viewMouseDown(window_, inWindow.x(), height - inWindow.y(), Buttons(event->buttons()),
                  ModifiersOf(event->modifiers()), right);
    event->accept();
}

void GraphicView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) ClearMouseClicks();
    QWidget::mouseReleaseEvent(event);
}

// Tab and Shift-Tab are the program's keys, not focus moves.
bool GraphicView::focusNextPrevChild(bool) { return false; }

bool GraphicView::event(QEvent* event) {
    // Keys the menu bar could claim as shortcuts go to the program first.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    // Every key, modifier keys alone too, records the modifiers held.
    if (event->type() == QEvent::KeyPress)
        SetCurrentModifiers(ModifiersOf(static_cast<QKeyEvent*>(event)->modifiers()));
    return QWidget::event(event);
}

// ---- HostWindow ----

void HostWindow::closeEvent(QCloseEvent* event) {
    if (!OnClose || OnClose())
        event->accept();
    else
        event->ignore();
}

void HostWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (OnResize) OnResize();
}

void HostWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (OnDrop && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void HostWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (OnDrop) OnDrop(url.isLocalFile() ? url.toLocalFile() : QString());
    event->acceptProposedAction();
}

// ---- the set of windows ----

void BuildDesktopWindows(DesktopWindows& windows, CloseRequest closeMain,
                         std::function<void(const QString& path)> openFile) {
    for (int w = 0; w < 8; ++w) {
        HostWindow* window = NewWindow(windows, w);
        auto* central = new QWidget(window);
        window->setCentralWidget(central);
        auto* view = new GraphicView(static_cast<UInt8>(w), central);
        windows.Views[w] = view;
        window->OnResize = [view] { view->Layout(); };
        if (w == 0) {
            window->OnClose = closeMain;
            window->OnDrop = openFile;
            window->setAcceptDrops(true);
        }
    }
    NewTextWindow(windows, 8, "Zwischenablage", false);
    NewTextWindow(windows, 9, "Virtueller Drucker", true);
    NewTextWindow(windows, 10, "Systemkonsole", true);
    windows.TextViews[9]->setReadOnly(true);
    windows.TextViews[10]->setReadOnly(true);
    windows.TextViews[10]->setMaximumBlockCount(ConsoleLines);
    HostWindow* preferences = NewWindow(windows, 11);
    preferences->setWindowTitle("Einstellungen");
    preferences->resize(400, 300);
    for (int w = 1; w <= 11; ++w) {
        HostWindow* window = windows.Windows[w];
        window->OnClose = [&windows, window] {
            t_MouseEventPostCloseBoxClick(t_WindowNumber(windows, window));
            return false;
        };
    }
}

UInt8 t_WindowNumber(const DesktopWindows& windows, const QWidget* window) {
    if (window == nullptr) return NoWindow;
    for (const int w : {9, 10, 8, 11, 12, 0, 1, 2, 3, 4, 5, 6, 7})
        if (windows.Windows[static_cast<std::size_t>(w)] == window) return static_cast<UInt8>(w);
    return NoWindow;
}

QImage ImageOf(const ArgbImage& image) {
    QImage out(image.Width, image.Height, QImage::Format_ARGB32_Premultiplied);
    const std::uint8_t* src = image.Bytes.get();
    for (int y = 0; y < image.Height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < image.Width; ++x, src += 4) {
            const std::uint32_t a = src[0];
            // Pictures are opaque but for 32-bit windows drawn with alpha,
            // whose colours premultiplying scales down.
            const auto scaled = [a](std::uint32_t c) { return a == 255 ? c : c * a / 255; };
            row[x] = (a << 24) | (scaled(src[1]) << 16) | (scaled(src[2]) << 8) | scaled(src[3]);
        }
    }
    return out;
}
