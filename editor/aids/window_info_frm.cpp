// The window information: a timer reads the pointer, the top-level window under it, the pixel there and the
// pixels around it ten times a second; the freeze key stops the readings so the buttons can use them.
#include "window_info_frm.h"

#include "magnifier_view.h"
#include "quick_input_lines.h"
#include "window_info_lines.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kSampleMilliseconds = 100;
constexpr int kMagnifiedSide = 15;

QString ShowStateText(int32_t state) {
    switch (state) {
    case 2:
        return QStringLiteral("最小化");
    case 3:
        return QStringLiteral("最大化");
    default:
        return QStringLiteral("通常");
    }
}

QString HexColour(int32_t colour) {
    return QStringLiteral("&H%1").arg(static_cast<uint32_t>(colour), 6, 16, QChar(u'0')).toUpper();
}

QLabel* ValueLabel(const char* objectName, const QString& accessibleName) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(objectName));
    label->setAccessibleName(accessibleName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(320);
    return label;
}

} // namespace

WindowInfoFrm::WindowInfoFrm(DesktopPlatform* desktop, std::unique_ptr<StopHotkey> freezeKey,
                             InsertLines insert, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), desktop_(desktop),
      freezeKey_(std::move(freezeKey)), insert_(std::move(insert)) {
    setObjectName(QStringLiteral("WindowInfoFrm"));
    setWindowTitle(QStringLiteral("ウィンドウ情報"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    timer_ = new QTimer(this);
    timer_->setInterval(kSampleMilliseconds);
    connect(timer_, &QTimer::timeout, this, &WindowInfoFrm::Tick);
    BuildLayout();
    SetFrozen(false);
}

WindowInfoFrm::~WindowInfoFrm() {
    if (freezeKey_) freezeKey_->Release();
}

void WindowInfoFrm::BuildLayout() {
    auto* form = new QFormLayout;
    lbl_Class = ValueLabel("lbl_Class", QStringLiteral("クラス"));
    lbl_Instance = ValueLabel("lbl_Instance", QStringLiteral("インスタンス"));
    lbl_Title = ValueLabel("lbl_Title", QStringLiteral("題名"));
    lbl_Handle = ValueLabel("lbl_Handle", QStringLiteral("ハンドル"));
    lbl_Frame = ValueLabel("lbl_Frame", QStringLiteral("枠"));
    lbl_State = ValueLabel("lbl_State", QStringLiteral("表示状態"));
    lbl_Pointer = ValueLabel("lbl_Pointer", QStringLiteral("ポインタ"));
    lbl_Absolute = ValueLabel("lbl_Absolute", QStringLiteral("MUSORG 1 の座標"));
    lbl_Colour = ValueLabel("lbl_Colour", QStringLiteral("色"));
    form->addRow(QStringLiteral("クラス:"), lbl_Class);
    form->addRow(QStringLiteral("インスタンス:"), lbl_Instance);
    form->addRow(QStringLiteral("題名:"), lbl_Title);
    form->addRow(QStringLiteral("ハンドル:"), lbl_Handle);
    form->addRow(QStringLiteral("枠:"), lbl_Frame);
    form->addRow(QStringLiteral("表示状態:"), lbl_State);
    form->addRow(QStringLiteral("ポインタ:"), lbl_Pointer);
    form->addRow(QStringLiteral("MUSORG 1:"), lbl_Absolute);
    form->addRow(QStringLiteral("GETCOLOR:"), lbl_Colour);

    pic_Magnifier = new MagnifierView(8);
    pic_Magnifier->setFixedSize(pic_Magnifier->sizeHint());
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(pic_Magnifier, 0, Qt::AlignTop);

    lbl_Frozen = new QLabel;
    lbl_Frozen->setObjectName(QStringLiteral("lbl_Frozen"));
    btn_GetWinId = new QPushButton(QStringLiteral("GETWINID"));
    btn_SetWin = new QPushButton(QStringLiteral("SETWIN"));
    btn_MusMove = new QPushButton(QStringLiteral("MUS MOVE"));
    btn_GetColor = new QPushButton(QStringLiteral("GETCOLOR"));
    btn_GetWinId->setObjectName(QStringLiteral("btn_GetWinId"));
    btn_SetWin->setObjectName(QStringLiteral("btn_SetWin"));
    btn_MusMove->setObjectName(QStringLiteral("btn_MusMove"));
    btn_GetColor->setObjectName(QStringLiteral("btn_GetColor"));
    connect(btn_GetWinId, &QPushButton::clicked, this, &WindowInfoFrm::GetWinIdBtn_Click);
    connect(btn_SetWin, &QPushButton::clicked, this, &WindowInfoFrm::SetWinBtn_Click);
    connect(btn_MusMove, &QPushButton::clicked, this, &WindowInfoFrm::MusMoveBtn_Click);
    connect(btn_GetColor, &QPushButton::clicked, this, &WindowInfoFrm::GetColorBtn_Click);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {btn_GetWinId, btn_SetWin, btn_MusMove, btn_GetColor}) {
        button->setAccessibleDescription(QStringLiteral("エディタのカーソル位置に行を挿入します"));
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lbl_Frozen);
    layout->addLayout(buttons);
}

void WindowInfoFrm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WindowInfoFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (freezeKey_) freezeKey_->Grab();
    timer_->start();
    if (!frozen_) Sample();
}

void WindowInfoFrm::hideEvent(QHideEvent* event) {
    timer_->stop();
    if (freezeKey_) freezeKey_->Release();
    QWidget::hideEvent(event);
}

void WindowInfoFrm::Tick() {
    if (freezeKey_ && freezeKey_->TakePressed()) SetFrozen(!frozen_);
    if (!frozen_) Sample();
}

void WindowInfoFrm::SetFrozen(bool frozen) {
    frozen_ = frozen;
    lbl_Frozen->setText(frozen ? FreezeKeyText() + QStringLiteral(" で固定を解除します（固定中）")
                               : FreezeKeyText() + QStringLiteral(" で表示を固定します"));
    for (QPushButton* button : {btn_GetWinId, btn_SetWin}) button->setEnabled(frozen && windowFound_);
    for (QPushButton* button : {btn_MusMove, btn_GetColor}) button->setEnabled(frozen);
}

void WindowInfoFrm::Sample() {
    if (desktop_ == nullptr || !desktop_->PointerPosition(pointerX_, pointerY_)) return;
    // Over this window itself, the window beneath it is what the user wants to know about.
    WindowDescription window;
    const bool found =
        desktop_->TopLevelWindowAtExcept(pointerX_, pointerY_, static_cast<int32_t>(winId()), window);
    ShowWindow(window, found);

    ScreenRect primary;
    desktop_->PrimaryMonitor(primary);
    const QPoint absolute = AbsoluteMousePosition(pointerX_, pointerY_, primary);
    lbl_Pointer->setText(QStringLiteral("(%1, %2)").arg(pointerX_).arg(pointerY_));
    lbl_Absolute->setText(QStringLiteral("(%1, %2)").arg(absolute.x()).arg(absolute.y()));
    colour_ = desktop_->ReadPixel(pointerX_, pointerY_);
    lbl_Colour->setText(colour_ < 0 ? QStringLiteral("-1 (読めません)")
                                    : QStringLiteral("%1 = %2 (R %3, G %4, B %5)")
                                          .arg(colour_)
                                          .arg(HexColour(colour_))
                                          .arg(colour_ & 0xFF)
                                          .arg((colour_ >> 8) & 0xFF)
                                          .arg((colour_ >> 16) & 0xFF));
    PixelGrid around;
    const int32_t half = kMagnifiedSide / 2;
    if (desktop_->CaptureRegion(pointerX_ - half, pointerY_ - half, kMagnifiedSide, kMagnifiedSide, around) ==
        0)
        pic_Magnifier->SetImage(ImageOfPixels(around));
}

void WindowInfoFrm::ShowWindow(const WindowDescription& window, bool found) {
    window_ = window;
    windowFound_ = found;
    if (!found) {
        for (QLabel* label : {lbl_Class, lbl_Instance, lbl_Title, lbl_Handle, lbl_Frame, lbl_State})
            label->setText(QStringLiteral("-"));
        return;
    }
    const WindowPlacement& frame = window.placement;
    lbl_Class->setText(QString::fromStdU16String(window.className));
    lbl_Instance->setText(QString::fromStdU16String(window.instanceName));
    lbl_Title->setText(QString::fromStdU16String(window.title));
    lbl_Handle->setText(QString::number(window.window));
    lbl_Frame->setText(QStringLiteral("(%1, %2) - (%3, %4)  %5 × %6")
                           .arg(frame.left)
                           .arg(frame.top)
                           .arg(frame.right)
                           .arg(frame.bottom)
                           .arg(frame.right - frame.left)
                           .arg(frame.bottom - frame.top));
    lbl_State->setText(ShowStateText(frame.showState));
}

void WindowInfoFrm::GetWinIdBtn_Click() {
    if (!windowFound_ || desktop_ == nullptr) return;
    insert_(GetWinIdLines(window_,
                          [this](const std::u16string& name, const std::u16string* title) {
                              return desktop_->FindTopLevelWindow(name, title);
                          }),
            -1);
}

void WindowInfoFrm::SetWinBtn_Click() {
    if (windowFound_) insert_({SetWinLine(window_)}, -1);
}

void WindowInfoFrm::MusMoveBtn_Click() {
    ScreenRect primary;
    if (desktop_ != nullptr) desktop_->PrimaryMonitor(primary);
    insert_(MusMoveLines(pointerX_, pointerY_, primary), -1);
}

void WindowInfoFrm::GetColorBtn_Click() {
    insert_(GetColorLines(pointerX_, pointerY_, colour_), kGetColorCaretLine);
}
