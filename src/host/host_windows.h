// The desktop's windows: graphic windows 0-7, each a view that paints its
// window picture and takes keys and clicks, and the text windows 8-10
// (pasteboard, virtual printer, system console) with their text views and
// rulers. Window 0 is the program's screen and carries the menu bar.
#pragma once

#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "platform/argb_image.h"
#include "runtime/types.h"

// The largest whole factor, at least 1, by which a picture of `picture`
// fits into `room`.
int WholeFactor(QSize picture, QSize room);

class GraphicView : public QWidget {
public:
    GraphicView(UInt8 window, QWidget* parent);
    // Nearest-neighbour enlargement of the picture: 1, 2 or 3.
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }
    // Where the runtime places the view (at the zoom, in the drawing area's
    // pixels) and the size of the drawing area it placed it in.
    void SetLogicalFrame(const QRect& frame, QSize area);
    // Placed as the runtime placed it while the drawing area has the size
    // it was laid out for; in a drawing area the user resized, the picture
    // fills it by the largest whole factor that fits, centred.
    void Layout();
    QRect LogicalFrame() const { return logical_; }
    QSize LogicalArea() const { return logicalArea_; }
    int Factor() const { return factor_; }
    QPoint Offset() const { return offset_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;

private:
    UInt8 window_;
    int zoom_ = 1;
    QRect logical_;
    QSize logicalArea_;
    int factor_ = 1;
    QPoint offset_;
    QImage picture_;
    Int pictureChanges_ = -1;  // the window's PixelChanges when picture_ was made
};

// A top-level window whose close box is the program's business: OnClose
// decides, and the window only closes when it returns true.
class HostWindow : public QMainWindow {
public:
    std::function<bool()> OnClose;
    std::function<void()> OnResize;
    // Files dropped on the window; none accepted while it is empty.
    std::function<void(const QString& path)> OnDrop;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The windows by host window number; entries the host does not have are
// null. The top-level windows are owned here, everything inside them by
// their Qt parents.
// The lines the console window keeps (the log on standard output keeps all).
inline constexpr int ConsoleLines = 20000;

struct DesktopWindows {
    std::array<std::unique_ptr<HostWindow>, 13> Owned;
    std::array<HostWindow*, 13> Windows{};
    std::array<GraphicView*, 8> Views{};
    std::array<QPlainTextEdit*, 13> TextViews{};  // 8-10
    std::array<QLineEdit*, 13> Rulers{};  // 9-10
};

// What the host does when the main window's close box is clicked; true
// when the application may end now.
using CloseRequest = std::function<bool()>;

// Builds every window, hidden: graphic windows 0-7, the text windows 8-10
// and the preferences window 11. Every close box but window 0's hides its
// window the program's way; window 0's asks `closeMain`. Files dropped on
// window 0 go to `openFile`.
void BuildDesktopWindows(DesktopWindows& windows, CloseRequest closeMain,
                         std::function<void(const QString& path)> openFile);

// The number of a host window: the printer (9), console (10), pasteboard
// (8), preferences (11) and main window (12, which this host does not
// have) are asked first, then the graphic windows 0-7; 255 for any other
// window or none.
UInt8 t_WindowNumber(const DesktopWindows& windows, const QWidget* window);

// The window picture as a Qt image (native ARGB words).
QImage ImageOf(const ArgbImage& image);
