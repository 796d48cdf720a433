// The capture window: the frozen screen is drawn at one image pixel per device pixel, dimmed outside the
// rectangle, which is outlined around the pixels it takes; the hint, the size label and the magnifier lie
// over it. The selection keeps screen pixels. The delayed capture's countdown window.
#include "capture_frm.h"

#include "capture_steps.h"
#include "magnifier_view.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <algorithm>

namespace {

// Light text on a dark, nearly opaque box: readable over any part of the screen.
QLabel* MakeOverlayLabel(QWidget* parent, const QString& name, int largerBy) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(QStringLiteral("QLabel { background: rgba(20, 20, 20, 220); color: white; "
                                        "padding: 4px 10px; border: 1px solid rgba(255, 255, 255, 140); }"));
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() + largerBy);
    label->setFont(font);
    return label;
}

constexpr int kHintMargin = 16;
// How dark the screen outside the rectangle becomes (alpha of the black laid over it).
constexpr int kDimAlpha = 110;

} // namespace

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
    magnifier_->setAttribute(Qt::WA_TransparentForMouseEvents);
    magnifier_->hide();
    hint_ = MakeOverlayLabel(this, QStringLiteral("lbl_Hint"), 2);
    hint_->setText(QStringLiteral("ドラッグで範囲を選び、Enter で確定、Esc で取り消し"));
    size_ = MakeOverlayLabel(this, QStringLiteral("lbl_Size"), 0);
    size_->hide();
    PlaceLabels();
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

QRect CaptureFrm::WidgetRect(const QRect& pixels) const {
    const qreal ratio = devicePixelRatioF();
    return QRectF(pixels.x() / ratio, pixels.y() / ratio, pixels.width() / ratio, pixels.height() / ratio)
        .toAlignedRect();
}

void CaptureFrm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio); // one image pixel per device pixel
    painter.drawImage(0, 0, screen_);
    const QColor dim(0, 0, 0, kDimAlpha);
    const QRect all = screen_.rect();
    if (selection_.IsEmpty()) {
        painter.fillRect(all, dim);
        return;
    }
    // Dimmed around the rectangle: above, below, left and right of it; its own pixels keep their colours.
    const QRect chosen = selection_.Rect();
    painter.fillRect(QRect(QPoint(0, 0), QPoint(all.right(), chosen.top() - 1)), dim);
    painter.fillRect(QRect(QPoint(0, chosen.bottom() + 1), all.bottomRight()), dim);
    painter.fillRect(QRect(QPoint(0, chosen.top()), QPoint(chosen.left() - 1, chosen.bottom())), dim);
    painter.fillRect(QRect(QPoint(chosen.right() + 1, chosen.top()), QPoint(all.right(), chosen.bottom())),
                     dim);
    // The outline lies just outside the chosen pixels, so every chosen pixel stays visible.
    painter.setPen(QPen(Qt::red, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(chosen.adjusted(-1, -1, 0, 0));
}

void CaptureFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceLabels();
}

void CaptureFrm::SelectionChanged() {
    if (!selection_.IsEmpty()) ShowMagnifier(selection_.MovingCorner());
    PlaceLabels();
    update();
}

// The hint stays at the top unless the rectangle or the magnifier reaches under it; then it goes to the
// bottom. The size label follows the rectangle, kept on the screen.
void CaptureFrm::PlaceLabels() {
    hint_->adjustSize();
    const QRect chosen = selection_.IsEmpty() ? QRect() : WidgetRect(selection_.Rect());
    QRect hint(QPoint((width() - hint_->width()) / 2, kHintMargin), hint_->size());
    const bool covered = (!chosen.isNull() && hint.intersects(chosen.adjusted(-8, -8, 8, 8))) ||
                         (magnifier_->isVisible() && hint.intersects(magnifier_->geometry()));
    if (covered) hint.moveBottom(height() - 1 - kHintMargin);
    hint_->move(hint.topLeft());
    if (chosen.isNull()) {
        size_->hide();
        return;
    }
    size_->setText(CaptureSizeText(selection_.Rect()));
    size_->adjustSize();
    size_->move(CaptureLabelPlace(chosen, size_->size(), rect()));
    size_->show();
}

void CaptureFrm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selection_.Start(ScreenPixel(event->position()));
    SelectionChanged();
}

void CaptureFrm::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = ScreenPixel(event->position());
    if (event->buttons() & Qt::LeftButton) selection_.MoveCorner(at);
    // Before a corner is set, the magnifier follows the pointer to help place the first one.
    ShowMagnifier(selection_.IsEmpty() ? at : selection_.MovingCorner());
    PlaceLabels();
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
    SelectionChanged();
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

CaptureCountdown::CaptureCountdown()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint) {
    setObjectName(QStringLiteral("CaptureCountdown"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    text_ = MakeOverlayLabel(this, QStringLiteral("lbl_Countdown"), 4);
}

void CaptureCountdown::Run(int seconds) {
    const QRect screenArea =
        QGuiApplication::primaryScreen() != nullptr ? QGuiApplication::primaryScreen()->geometry() : QRect();
    QElapsedTimer clock;
    clock.start();
    for (int left = seconds; left > 0; --left) {
        text_->setText(CaptureCountdownText(left));
        text_->adjustSize();
        resize(text_->size());
        move(screenArea.right() + 1 - width() - kHintMargin, screenArea.top() + kHintMargin);
        show();
        raise();
        const qint64 until = static_cast<qint64>(seconds - left + 1) * 1000;
        while (clock.elapsed() < until) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
    }
    hide();
}
