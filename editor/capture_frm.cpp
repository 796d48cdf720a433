// The capture window: the frozen screen is drawn at one image pixel per device pixel, the rectangle outlined
// around the pixels it takes, the magnifier beside the moving corner. The selection keeps screen pixels.
#include "capture_frm.h"

#include "magnifier_view.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

void CaptureSelection::Start(QPoint at) {
    anchor_ = moving_ = Clamped(at);
    started_ = true;
}

void CaptureSelection::MoveCorner(QPoint to) {
    if (!started_) Start(to);
    moving_ = Clamped(to);
}

void CaptureSelection::Nudge(int dx, int dy) {
    MoveCorner(moving_ + QPoint(dx, dy));
}

QRect CaptureSelection::Rect() const {
    if (!started_) return {};
    // Both corners are chosen pixels whichever way the rectangle was dragged.
    return QRect(QPoint(std::min(anchor_.x(), moving_.x()), std::min(anchor_.y(), moving_.y())),
                 QPoint(std::max(anchor_.x(), moving_.x()), std::max(anchor_.y(), moving_.y())));
}

QPoint CaptureSelection::Clamped(QPoint p) const {
    return QPoint(std::clamp(p.x(), 0, std::max(0, screen_.width() - 1)),
                  std::clamp(p.y(), 0, std::max(0, screen_.height() - 1)));
}

CaptureFrm::CaptureFrm(const QImage& screen, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), screen_(screen),
      selection_(screen.size()) {
    setObjectName(QStringLiteral("CaptureFrm"));
    setWindowTitle(QStringLiteral("画像の切り取り"));
    setAccessibleDescription(QStringLiteral(
        "ドラッグで範囲を選び、矢印キーで角を1ピクセルずつ動かします。Enterで決定、Escで取り消します。"));
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    magnifier_ = new MagnifierView(8, this);
    magnifier_->setFixedSize(magnifier_->sizeHint());
    magnifier_->hide();
}

std::optional<QRect> CaptureFrm::Choose() {
    const qreal ratio = screen() != nullptr ? screen()->devicePixelRatio() : 1.0;
    setGeometry(QRect(QPoint(0, 0), (QSizeF(screen_.size()) / ratio).toSize()));
    showFullScreen();
    activateWindow();
    setFocus();
    QEventLoop loop;
    while (!done_ && isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    hide();
    if (!accepted_ || selection_.IsEmpty()) return std::nullopt;
    return selection_.Rect();
}

QPoint CaptureFrm::ScreenPixel(QPointF widgetPosition) const {
    const qreal ratio = devicePixelRatioF();
    return QPoint(static_cast<int>(widgetPosition.x() * ratio), static_cast<int>(widgetPosition.y() * ratio));
}

void CaptureFrm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio); // one image pixel per device pixel
    painter.drawImage(0, 0, screen_);
    if (selection_.IsEmpty()) return;
    const QRect chosen = selection_.Rect();
    // The outline lies just outside the chosen pixels, so every chosen pixel stays visible.
    painter.setPen(QPen(Qt::red, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(chosen.adjusted(-1, -1, 0, 0));
}

void CaptureFrm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selection_.Start(ScreenPixel(event->position()));
    ShowMagnifier(selection_.MovingCorner());
    update();
}

void CaptureFrm::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = ScreenPixel(event->position());
    if (event->buttons() & Qt::LeftButton) selection_.MoveCorner(at);
    // Before a corner is set, the magnifier follows the pointer to help place the first one.
    ShowMagnifier(selection_.IsEmpty() ? at : selection_.MovingCorner());
    update();
}

void CaptureFrm::keyPressEvent(QKeyEvent* event) {
    const int step = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        selection_.Nudge(-step, 0);
        break;
    case Qt::Key_Right:
        selection_.Nudge(step, 0);
        break;
    case Qt::Key_Up:
        selection_.Nudge(0, -step);
        break;
    case Qt::Key_Down:
        selection_.Nudge(0, step);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accepted_ = true;
        done_ = true;
        return;
    case Qt::Key_Escape:
        done_ = true;
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    ShowMagnifier(selection_.MovingCorner());
    update();
}

// The magnifier shows the pixels around the moving corner and sits beside it, away from the screen's edge.
void CaptureFrm::ShowMagnifier(QPoint corner) {
    const QRect around(corner.x() - 7, corner.y() - 7, 15, 15);
    magnifier_->SetImage(screen_.copy(around)); // outside the screen copy() gives black
    const qreal ratio = devicePixelRatioF();
    QPoint place =
        QPoint(static_cast<int>(corner.x() / ratio), static_cast<int>(corner.y() / ratio)) + QPoint(24, 24);
    if (place.x() + magnifier_->width() > width()) place.rx() -= magnifier_->width() + 48;
    if (place.y() + magnifier_->height() > height()) place.ry() -= magnifier_->height() + 48;
    magnifier_->move(place);
    magnifier_->show();
}

QImage CapturedPicture(const PixelGrid& screen, const QRect& rect) {
    return ImageOfPixels(screen).copy(rect);
}
