// CaptureFrm, the capture of a picture for FINDIMG: the frozen screen shown full-screen, a rectangle dragged
// with the mouse and set to the pixel with the arrow keys, a magnifier at the moving corner.
#pragma once

#include "desktop_platform.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

class MagnifierView;

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

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QPoint ScreenPixel(QPointF widgetPosition) const;
    void ShowMagnifier(QPoint corner);

    QImage screen_;
    CaptureSelection selection_;
    MagnifierView* magnifier_ = nullptr;
    bool accepted_ = false;
    bool done_ = false;
};

// The rectangle of the captured screen as a picture, pixel for pixel.
QImage CapturedPicture(const PixelGrid& screen, const QRect& rect);
