// The magnifier: nearest-neighbour drawing of a small picture inside a frame, a grid-free view where every
// screen pixel is one flat square, and a two-colour outline around the centre square that shows on any
// background.
#include "magnifier_view.h"

#include <QPainter>

MagnifierView::MagnifierView(int zoom, QWidget* parent) : QWidget(parent), zoom_(zoom) {
    setObjectName(QStringLiteral("pic_Magnifier"));
    setAccessibleName(QStringLiteral("拡大表示"));
}

void MagnifierView::SetImage(const QImage& image) {
    image_ = image;
    update();
}

QSize MagnifierView::sizeHint() const {
    return QSize(15 * zoom_ + 2 * kFrame, 15 * zoom_ + 2 * kFrame);
}

void MagnifierView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The frame: a light band between two dark lines, so it stands out from dark and light screens and from
    // the pixels inside alike.
    const QColor dark(32, 32, 32);
    painter.fillRect(rect(), dark);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), Qt::white);
    painter.fillRect(rect().adjusted(kFrame - 1, kFrame - 1, 1 - kFrame, 1 - kFrame), dark);
    painter.fillRect(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame), Qt::black);
    if (image_.isNull()) return;
    painter.setClipRect(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame));
    painter.translate(kFrame, kFrame);
    const QRect target(0, 0, image_.width() * zoom_, image_.height() * zoom_);
    painter.drawImage(target, image_); // scaling without smoothing keeps every pixel a flat square
    const QRect centre((image_.width() / 2) * zoom_, (image_.height() / 2) * zoom_, zoom_, zoom_);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(centre.adjusted(-1, -1, 0, 0));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(centre.adjusted(-2, -2, 1, 1));
}

QImage ImageOfPixels(const PixelGrid& grid) {
    if (grid.width <= 0 || grid.height <= 0 ||
        grid.bgra.size() < static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height) * 4)
        return {};
    // Qt's 32-bit RGB pixels need a full alpha byte; the grid's fourth byte is 0.
    QImage image(grid.width, grid.height, QImage::Format_RGB32);
    for (int32_t y = 0; y < grid.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < grid.width; ++x) {
            const uint8_t* p = grid.Pixel(x, y);
            line[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}
