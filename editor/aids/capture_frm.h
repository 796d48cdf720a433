// CaptureFrm, the capture of a picture for FINDIMG: the frozen screen shown full-screen, a rectangle dragged
// with the mouse and set to the pixel with the arrow keys, a magnifier at the moving corner;
// CaptureCountdown.
#pragma once

#include "desktop_platform.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

class MagnifierView;
class QLabel;

// The rectangle being chosen, in screen pixels: the corner the user started from and the moving corner,
// both kept on the screen.
class CaptureSelection {
  public:
    explicit CaptureSelection(QSize screen) : screen_(screen) {}
    void Start(QPoint at);
    void MoveCorner(QPoint to);
    // Moves the moving corner by a number of pixels (the arrow keys).
    void Nudge(int dx, int dy);
    bool IsEmpty() const { return !started_ || Rect().isEmpty(); }
    // Both corners included.
    QRect Rect() const;
    QPoint MovingCorner() const { return moving_; }

  private:
    QPoint Clamped(QPoint p) const;

    QSize screen_;
    QPoint anchor_;
    QPoint moving_;
    bool started_ = false;
};

class CaptureFrm : public QWidget {
    Q_OBJECT

  public:
    // `screen` is the frozen capture, one image pixel per screen pixel.
    explicit CaptureFrm(const QImage& screen, QWidget* parent = nullptr);

    // Shows the window over the whole screen and waits: the chosen rectangle in screen pixels, or nothing
    // when the user cancelled (Esc, or Enter without a rectangle).
    std::optional<QRect> Choose();

    CaptureSelection& Selection() { return selection_; }
    // Shows the labels and the magnifier for the selection as it is now (after a test has set it).
    void SelectionChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPoint ScreenPixel(QPointF widgetPosition) const;
    QRect WidgetRect(const QRect& pixels) const;
    void ShowMagnifier(QPoint corner);
    void PlaceLabels();

    QImage screen_;
    CaptureSelection selection_;
    MagnifierView* magnifier_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* size_ = nullptr;
    bool accepted_ = false;
    bool done_ = false;
};

// The rectangle of the captured screen as a picture, pixel for pixel.
QImage CapturedPicture(const PixelGrid& screen, const QRect& rect);

// A small window in the screen's top-right corner counting down the seconds before a delayed capture. It
// takes no focus and is not managed by the window manager, so an open menu stays open and no window changes
// its active state while it counts.
class CaptureCountdown : public QWidget {
  public:
    CaptureCountdown();
    // Shows the countdown for `seconds`, processing events meanwhile, then hides it; returns once it is off
    // the screen.
    void Run(int seconds);

  private:
    QLabel* text_ = nullptr;
};
