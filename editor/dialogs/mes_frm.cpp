// The MES message window: a label 120 twips from the left and top edges, window place and width in twips,
// and the window role it shows to screen readers.
#include "mes_frm.h"

#include <QAccessibleWidget>
#include <QScreen>

#include <cmath>

namespace {

double DpiX(const QWidget& w) {
    const QScreen* screen = w.screen();
    return screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
}
double DpiY(const QWidget& w) {
    const QScreen* screen = w.screen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

// Pixel results are clamped to what a widget coordinate can hold.
int ClampToInt(double value) {
    constexpr double kLimit = 1 << 24;
    return static_cast<int>(std::lround(std::fmax(-kLimit, std::fmin(kLimit, value))));
}

// A plain widget shown as a window is a "client area" to the toolkit's accessibility, which screen readers
// do not announce as a window: the message window takes the window role. The label keeps its text as its
// accessible name, so the message itself is what is read.
QAccessibleInterface* WindowAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("MesFrm")) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

} // namespace

MesFrm::MesFrm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), label_(new QLabel(this)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(WindowAccessible);
        return true;
    }();
    static_cast<void>(factoryInstalled);
    setObjectName(QStringLiteral("MesFrm"));
    setWindowTitle(QStringLiteral("メッセージ"));
    // The macro goes on typing into other windows while this one is shown: it must not take the focus.
    setAttribute(Qt::WA_ShowWithoutActivating);
    label_->setObjectName(QStringLiteral("lbl_Message"));
    label_->setTextFormat(Qt::PlainText);
    label_->move(TwipsToPixelsX(kLabelMarginTwips), TwipsToPixelsY(kLabelMarginTwips));
    FitHeight();
}

int MesFrm::TwipsToPixelsX(int32_t twips) const {
    return ClampToInt(twips * DpiX(*this) / kTwipsPerInch);
}
int MesFrm::TwipsToPixelsY(int32_t twips) const {
    return ClampToInt(twips * DpiY(*this) / kTwipsPerInch);
}
int32_t MesFrm::PixelsToTwipsX(int pixels) const {
    return static_cast<int32_t>(std::lround(pixels * kTwipsPerInch / DpiX(*this)));
}

void MesFrm::SetPositionTwips(int32_t leftTwips, int32_t topTwips) {
    move(TwipsToPixelsX(leftTwips), TwipsToPixelsY(topTwips));
}

void MesFrm::SetText(const QString& text) {
    label_->setText(text);
    label_->adjustSize();
    FitHeight();
}

int32_t MesFrm::LabelLeftTwips() const {
    return PixelsToTwipsX(label_->x());
}
int32_t MesFrm::LabelWidthTwips() const {
    return PixelsToTwipsX(label_->width());
}

void MesFrm::SetWidthTwips(int32_t widthTwips) {
    resize(std::max(1, TwipsToPixelsX(widthTwips)), height());
}

void MesFrm::FitHeight() {
    resize(width(), label_->y() * 2 + label_->height());
}
