// MagnifierView: a few screen pixels drawn large, each as a square, with the centre pixel outlined, so a
// position and a colour can be chosen to the pixel. Used by the window information and the capture tool.
#pragma once

#include "desktop_platform.h"

#include <QImage>
#include <QWidget>

class MagnifierView : public QWidget {
  public:
    // Each screen pixel becomes a square of `zoom` pixels.
    explicit MagnifierView(int zoom = 8, QWidget* parent = nullptr);

    void SetImage(const QImage& image);
    const QImage& Image() const { return image_; }

    // The pixels drawn large, with the frame around them.
    QSize sizeHint() const override;

    // Width of the frame around the pixels.
    static constexpr int kFrame = 4;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int zoom_;
    QImage image_;
};

// The pixels of a grid as an image (the grid's fourth byte is ignored).
QImage ImageOfPixels(const PixelGrid& grid);
