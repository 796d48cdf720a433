// Style numbers of message boxes mapped onto QMessageBox: the button sets, icons and default buttons, and the
// answer as a button number.
#include "message_box_style.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QVariant>

namespace {

constexpr int32_t kButtonPartMask = 0x0F;
constexpr int32_t kIconPartMask = 0xF0;
constexpr int32_t kDefaultPartMask = 0xF00;
constexpr char kNumberProperty[] = "buttonNumber";

QString CaptionOf(int32_t button) {
    switch (button) {
    case kButtonOk:
        return QStringLiteral("OK");
    case kButtonCancel:
        return QStringLiteral("キャンセル");
    case kButtonAbort:
        return QStringLiteral("中止(&A)");
    case kButtonRetry:
        return QStringLiteral("再試行(&R)");
    case kButtonIgnore:
        return QStringLiteral("無視(&I)");
    case kButtonYes:
        return QStringLiteral("はい(&Y)");
    default:
        return QStringLiteral("いいえ(&N)");
    }
}

QMessageBox::ButtonRole RoleOf(int32_t button) {
    switch (button) {
    case kButtonOk:
        return QMessageBox::AcceptRole;
    case kButtonCancel:
        return QMessageBox::RejectRole;
    case kButtonYes:
        return QMessageBox::YesRole;
    case kButtonNo:
        return QMessageBox::NoRole;
    default:
        return QMessageBox::ActionRole;
    }
}

} // namespace

std::vector<int32_t> ButtonsOfStyle(int32_t style) {
    switch (style & kButtonPartMask) {
    case 1:
        return {kButtonOk, kButtonCancel};
    case 2:
        return {kButtonAbort, kButtonRetry, kButtonIgnore};
    case 3:
        return {kButtonYes, kButtonNo, kButtonCancel};
    case 4:
        return {kButtonYes, kButtonNo};
    case 5:
        return {kButtonRetry, kButtonCancel};
    default:
        return {kButtonOk};
    }
}

QMessageBox::Icon IconOfStyle(int32_t style) {
    switch (style & kIconPartMask) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int DefaultButtonIndexOfStyle(int32_t style) {
    const int count = static_cast<int>(ButtonsOfStyle(style).size());
    int index = 0;
    if ((style & kDefaultPartMask) == 256) index = 1;
    if ((style & kDefaultPartMask) == 512) index = 2;
    return index < count ? index : 0;
}

std::unique_ptr<QMessageBox> BuildStyledMessageBox(const QString& text, int32_t style, const QString& title,
                                                   QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(title);
    box->setText(text);
    box->setIcon(IconOfStyle(style));
    const std::vector<int32_t> buttons = ButtonsOfStyle(style);
    const int defaultIndex = DefaultButtonIndexOfStyle(style);
    for (size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* button = box->addButton(CaptionOf(buttons[i]), RoleOf(buttons[i]));
        button->setProperty(kNumberProperty, buttons[i]);
        if (static_cast<int>(i) == defaultIndex) box->setDefaultButton(button);
        if (buttons[i] == kButtonCancel || buttons.size() == 1) box->setEscapeButton(button);
    }
    return box;
}

int32_t PressedButtonNumber(const QMessageBox& box, int32_t style) {
    if (QAbstractButton* clicked = box.clickedButton()) {
        const QVariant number = clicked->property(kNumberProperty);
        if (number.isValid()) return number.toInt();
    }
    const std::vector<int32_t> buttons = ButtonsOfStyle(style);
    for (int32_t button : buttons)
        if (button == kButtonCancel) return kButtonCancel;
    return buttons.front();
}

int32_t ShowStyledMessageBox(const QString& text, int32_t style, const QString& title, QWidget* parent) {
    std::unique_ptr<QMessageBox> box = BuildStyledMessageBox(text, style, title, parent);
    box->exec();
    return PressedButtonNumber(*box, style);
}
