// The Qt side of the built-ins' user interface: styled message box, input box with OK/Cancel, the MesFrm
// window operations in twips, and the throttled event pump of the yield.
#include "qt_user_interface.h"

#include "message_box_style.h"

#include <QCoreApplication>
#include <QInputDialog>

#include <chrono>
#include <ctime>

namespace {

constexpr int64_t kPumpIntervalNanoseconds = 4'000'000;

// The time for the pump's throttle, read at every yield (every few statements): the coarse clock, which the
// system keeps in memory, costs a quarter of a precise reading, and its few milliseconds of resolution are
// enough to space the pumps.
int64_t PumpClockNanoseconds() {
#if defined(CLOCK_MONOTONIC_COARSE)
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

} // namespace

QtUserInterface::~QtUserInterface() {
    delete mesFrm_.data();
}

int32_t QtUserInterface::MessageBox(const std::u16string& text, int32_t style, const std::u16string& title) {
    return ShowStyledMessageBox(ToQString(text), style, ToQString(title), owner_);
}

std::u16string QtUserInterface::InputBox(const std::u16string& prompt, const std::u16string& title) {
    QInputDialog dialog(owner_);
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(ToQString(title));
    dialog.setLabelText(ToQString(prompt));
    dialog.setTextValue(QString());
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted) return {};
    return ToU16(dialog.textValue());
}

MesFrm& QtUserInterface::EnsureMessageWindow() {
    // Closing the window only hides it; the next MES shows the same window again.
    if (mesFrm_.isNull()) mesFrm_ = new MesFrm();
    return *mesFrm_;
}

void QtUserInterface::ShowMessageWindow() {
    MesFrm& frm = EnsureMessageWindow();
    if (!frm.isVisible()) {
        // A window shown without a place of its own is placed by the window manager, which may then ignore
        // the move that follows at once (MES with one argument landed mid-screen on openbox): the window
        // is shown with the place it has, so the manager keeps it and the next move counts.
        frm.move(frm.pos());
        frm.show();
    }
}

void QtUserInterface::SetMessageWindowPosition(int32_t leftTwips, int32_t topTwips) {
    EnsureMessageWindow().SetPositionTwips(leftTwips, topTwips);
}

void QtUserInterface::SetMessageText(const std::u16string& text) {
    EnsureMessageWindow().SetText(ToQString(text));
}

int32_t QtUserInterface::MessageLabelLeft() const {
    return mesFrm_.isNull() ? MesFrm::kLabelMarginTwips : mesFrm_->LabelLeftTwips();
}

int32_t QtUserInterface::MessageLabelWidth() const {
    return mesFrm_.isNull() ? 0 : mesFrm_->LabelWidthTwips();
}

void QtUserInterface::SetMessageWindowWidth(int32_t widthTwips) {
    EnsureMessageWindow().SetWidthTwips(widthTwips);
}

bool QtUserInterface::IsMessageWindowOpen() const {
    return !mesFrm_.isNull() && mesFrm_->isVisible();
}

void QtUserInterface::CloseMessageWindow() {
    if (!mesFrm_.isNull()) mesFrm_->close();
}

void QtUserInterface::Yield() {
    const int64_t now = PumpClockNanoseconds();
    if (now - lastPumpNanoseconds_ < kPumpIntervalNanoseconds) return;
    lastPumpNanoseconds_ = now;
    if (pumpHook_) pumpHook_();
    QCoreApplication::processEvents();
}
