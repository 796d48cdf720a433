// AutoInputFrm, the keyboard/mouse quick-input dialog: its controls, key presses recorded in the text area,
// mouse lines (with a position taken from the pointer after a countdown) and the insertion into the editor.
#include "auto_input_frm.h"

#include "desktop_platform.h"
#include "message_box_style.h"
#include "quick_input_keys.h"
#include "quick_input_lines.h"
#include "status_label_accessible.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kHelpText =
    QStringLiteral("このダイアログから、高速にキーボード・マウスの入力マクロを高速に作成できます\n"
                   "DOWNはボタンを押したまま、UPはボタンを離す、PRESSはクリックを表します\n"
                   "\n"
                   "マウスは入力ボタン、キーボードはテキストエリアでのキーの落下で入力できます。");

constexpr int kPressOption = 2;
constexpr int kLeftPressOption = 2;

// Every control carries an accessible name, the one screen readers and GUI test tools know it by: its
// caption, or the caption of the label beside it.
QRadioButton* AddOption(QButtonGroup* group, const QString& objectPrefix, int index, const QString& caption,
                        const QString& accessibleName) {
    auto* option = new QRadioButton(caption);
    option->setObjectName(objectPrefix + QString::number(index));
    option->setAccessibleName(accessibleName);
    group->addButton(option, index);
    return option;
}

QCheckBox* NewCheck(const QString& objectName, const QString& caption, bool checked) {
    auto* check = new QCheckBox(caption);
    check->setObjectName(objectName);
    check->setAccessibleName(caption);
    check->setChecked(checked);
    return check;
}

QLineEdit* NewField(const QString& objectName, const QString& accessibleName) {
    auto* field = new QLineEdit(QStringLiteral("0"));
    field->setObjectName(objectName);
    field->setAccessibleName(accessibleName);
    field->setMaximumWidth(80);
    return field;
}

// A label that names the field beside it; the buddy link tells screen readers which field it labels.
QLabel* LabelFor(const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    return label;
}

// Buttons never act on Enter: Enter in a field must not apply or close the dialog by surprise.
QPushButton* NewButton(const QString& objectName, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// The editor's text breaks lines with plain line feeds; CR LF is how the dialog's lines are kept.
QString WithLineFeeds(QString text) {
    return text.replace(kQuickInputLineEnd, QStringLiteral("\n"));
}

bool IsControlEnter(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           (event.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

} // namespace

AutoInputFrm::AutoInputFrm(QPlainTextEdit* editor, QWidget* parent) : QDialog(parent), editor_(editor) {
    setObjectName(QStringLiteral("AutoInputFrm"));
    ask_ = [this](const QString& text) {
        return ShowStyledMessageBox(text, kStyleYesNoCancel + kStyleIconExclamation,
                                    QStringLiteral("QuillonMacro"), this);
    };
    setWindowTitle(QStringLiteral("MUS/KBD高速入力(現在調整中...)"));
    setModal(true);
    pickTimer_ = new QTimer(this);
    pickTimer_->setInterval(1000);
    connect(pickTimer_, &QTimer::timeout, this, &AutoInputFrm::PickTimer_Tick);
    BuildLayout();
    InputTxt->setFocus();
}

QGroupBox* AutoInputFrm::BuildKeyboardFrame() {
    auto* frame = new QGroupBox(QStringLiteral("キーボード(KBD)"));
    frame->setObjectName(QStringLiteral("KBDFrame"));
    KBDOpt = new QButtonGroup(this);
    auto* options = new QHBoxLayout;
    int index = 0;
    for (const char* caption : {"DOWN", "UP", "PRESS"}) {
        const QString text = QString::fromLatin1(caption);
        options->addWidget(AddOption(KBDOpt, QStringLiteral("KBDOpt"), index++, text, text));
    }
    KBDOpt->button(kPressOption)->setChecked(true);
    KBDShiftChk = NewCheck(QStringLiteral("KBDShiftChk"), QStringLiteral("Shift"), false);
    KBDAltChk = NewCheck(QStringLiteral("KBDAltChk"), QStringLiteral("Alt"), false);
    KBDCtrlChk = NewCheck(QStringLiteral("KBDCtrlChk"), QStringLiteral("Ctrl"), false);
    auto* modifiers = new QHBoxLayout;
    for (QCheckBox* check : {KBDShiftChk, KBDAltChk, KBDCtrlChk}) {
        modifiers->addWidget(check);
        connect(check, &QCheckBox::clicked, this, &AutoInputFrm::TxtSetFocus);
    }
    connect(KBDOpt, &QButtonGroup::buttonClicked, this, &AutoInputFrm::TxtSetFocus);
    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(options);
    layout->addLayout(modifiers);
    layout->addStretch();
    return frame;
}

QGroupBox* AutoInputFrm::BuildMouseFrame() {
    auto* frame = new QGroupBox(QStringLiteral("マウス(MUS)"));
    frame->setObjectName(QStringLiteral("MUSFrame"));
    MUSOpt = new QButtonGroup(this);
    auto* options = new QGridLayout;
    int index = 0;
    int row = 0;
    // The row's label names the button: "LEFT DOWN" and "RIGHT DOWN" rather than two options called "DOWN".
    for (const char* button : {"LEFT", "RIGHT"}) {
        const QString buttonName = QString::fromLatin1(button);
        options->addWidget(new QLabel(buttonName), row, 0);
        int column = 1;
        for (const char* caption : {"DOWN", "UP", "PRESS"}) {
            const QString text = QString::fromLatin1(caption);
            options->addWidget(
                AddOption(MUSOpt, QStringLiteral("MUSOpt"), index++, text, buttonName + u' ' + text), row,
                column++);
        }
        ++row;
    }
    options->addWidget(
        AddOption(MUSOpt, QStringLiteral("MUSOpt"), index, QStringLiteral("MOVE"), QStringLiteral("MOVE")), 2,
        1);
    MUSOpt->button(kLeftPressOption)->setChecked(true);

    MUSXTxt = NewField(QStringLiteral("MUSXTxt"), QStringLiteral("X座標"));
    MUSYTxt = NewField(QStringLiteral("MUSYTxt"), QStringLiteral("Y座標"));
    MUSInputBtn = NewButton(QStringLiteral("MUSInputBtn"), QStringLiteral("入力"));
    connect(MUSInputBtn, &QPushButton::clicked, this, &AutoInputFrm::MUSInputBtn_Click);
    auto* position = new QHBoxLayout;
    position->addWidget(LabelFor(QStringLiteral("X座標"), MUSXTxt));
    position->addWidget(MUSXTxt);
    position->addWidget(LabelFor(QStringLiteral("Y座標"), MUSYTxt));
    position->addWidget(MUSYTxt);
    position->addWidget(MUSInputBtn);

    MUSPickBtn = NewButton(QStringLiteral("MUSPickBtn"), QStringLiteral("ポインタの位置を取得"));
    MUSPickBtn->setToolTip(QStringLiteral("数秒後のマウスポインタの画面上の位置をX座標とY座標に入れます"));
    connect(MUSPickBtn, &QPushButton::clicked, this, &AutoInputFrm::MUSPickBtn_Click);
    MUSPickLbl = new QLabel;
    MUSPickLbl->setObjectName(QStringLiteral("MUSPickLbl"));
    // Empty until a countdown starts: without a name of its own it would be known by the frame's title.
    SetStatusLabelAccessible(MUSPickLbl, QStringLiteral("ポインタ位置の取得状況"), QAccessible::StaticText);
    auto* pick = new QHBoxLayout;
    pick->addWidget(MUSPickBtn);
    pick->addWidget(MUSPickLbl, 1);

    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(options);
    layout->addLayout(position);
    layout->addLayout(pick);
    return frame;
}

QGroupBox* AutoInputFrm::BuildCommonFrame() {
    auto* frame = new QGroupBox(QStringLiteral("共通"));
    frame->setObjectName(QStringLiteral("CommonFrame"));
    MUSOrgChk = NewCheck(QStringLiteral("MUSOrgChk"), QStringLiteral("絶対座標で入力"), true);
    UcaseChk = NewCheck(QStringLiteral("UcaseChk"), QStringLiteral("大文字で入力"), true);
    connect(UcaseChk, &QCheckBox::clicked, this, &AutoInputFrm::TxtSetFocus);
    WaitTimeTxt = NewField(QStringLiteral("WaitTimeTxt"), QStringLiteral("実行前の待ち時間"));
    WaitTimeTxt->setAccessibleDescription(QStringLiteral("[ms]"));
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(MUSOrgChk);
    layout->addWidget(UcaseChk);
    layout->addStretch();
    layout->addWidget(LabelFor(QStringLiteral("実行前の待ち時間"), WaitTimeTxt));
    layout->addWidget(WaitTimeTxt);
    layout->addWidget(new QLabel(QStringLiteral("[ms]")));
    return frame;
}

void AutoInputFrm::BuildLayout() {
    MesLbl = new QLabel(kHelpText);
    MesLbl->setObjectName(QStringLiteral("MesLbl"));
    MesLbl->setWordWrap(true);

    InputTxt = new QPlainTextEdit;
    InputTxt->setObjectName(QStringLiteral("InputTxt"));
    InputTxt->setAccessibleName(QStringLiteral("テキストエリア"));
    InputTxt->setReadOnly(true);
    InputTxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    InputTxt->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Read-only text normally takes no keyboard focus; here the key presses are what it is for.
    InputTxt->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    InputTxt->setFocusPolicy(Qt::StrongFocus);
    InputTxt->installEventFilter(this);

    InputBtn = NewButton(QStringLiteral("InputBtn"), QStringLiteral("適用"));
    CloseBtn = NewButton(QStringLiteral("CloseBtn"), QStringLiteral("閉じる"));
    ClearBtn = NewButton(QStringLiteral("ClearBtn"), QStringLiteral("クリア"));
    connect(InputBtn, &QPushButton::clicked, this, &AutoInputFrm::InputBtn_Click);
    connect(CloseBtn, &QPushButton::clicked, this, &AutoInputFrm::CloseBtn_Click);
    InputBtn->setToolTip(QStringLiteral("Ctrl+Enter"));
    connect(ClearBtn, &QPushButton::clicked, this, &AutoInputFrm::ClearBtn_Click);

    auto* frames = new QHBoxLayout;
    frames->addWidget(BuildKeyboardFrame());
    frames->addWidget(BuildMouseFrame(), 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ClearBtn);
    buttons->addStretch();
    buttons->addWidget(InputBtn);
    buttons->addWidget(CloseBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MesLbl);
    layout->addLayout(frames);
    layout->addWidget(BuildCommonFrame());
    layout->addWidget(LabelFor(QStringLiteral("テキストエリア"), InputTxt));
    layout->addWidget(InputTxt, 1);
    layout->addLayout(buttons);
    resize(620, 520);
}

void AutoInputFrm::PutTxt(const QString& lines) {
    const QString cased = CasedLines(lines, UcaseChk->isChecked());
    inputText_ += cased + kQuickInputLineEnd;
    QTextCursor end(InputTxt->document());
    end.movePosition(QTextCursor::End);
    end.insertText(WithLineFeeds(cased) + u'\n');
    InputTxt->setTextCursor(end);
    InputTxt->ensureCursorVisible();
}

void AutoInputFrm::TxtSetFocus() {
    InputTxt->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
}

void AutoInputFrm::SetPickCountdown(int steps, int stepMilliseconds) {
    pickSteps_ = steps < 1 ? 1 : steps;
    pickTimer_->setInterval(stepMilliseconds < 1 ? 1 : stepMilliseconds);
}

// Every key press in the text area is recorded and goes no further: no character is typed, Tab does not
// move the focus and Escape or Enter do not close the dialog. Shortcuts are held back for the same reason.
bool AutoInputFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == InputTxt) {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const auto& key = *static_cast<QKeyEvent*>(event);
            if (IsControlEnter(key)) {
                ForgetControlKeyLines();
                InputBtn_Click();
            } else {
                InputTxt_KeyDown(key);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AutoInputFrm::InputTxt_KeyDown(const QKeyEvent& event) {
    // A held key repeats its press; the recording takes the first one only.
    if (event.isAutoRepeat()) return;
    const QuickInputKeyPress press{event.key(), event.modifiers(), event.nativeScanCode(),
                                   event.nativeVirtualKey()};
    const NativeKeyKind kind = NativeKeyKindOfPlatform(QGuiApplication::platformName());
    // On X the desktop knows the layout's physical keys: a key gives the code Windows gives that key on
    // this layout (the ü key of a German keyboard VK_OEM_1). Keys it does not know go by their symbol.
    int virtualKey = 0;
    if (desktop_ != nullptr && kind == NativeKeyKind::XkbKeysym)
        virtualKey = desktop_->VirtualKeyOfNativeKey(event.nativeScanCode());
    if (virtualKey == 0) virtualKey = VirtualKeyOfKeyPress(press, kind);
    const QString name = QuickInputKeyName(virtualKey);
    // A key the dialog has no name for would make a line without a key ("KBD ,PRESS,0"); it adds nothing.
    if (name.isEmpty()) return;
    const auto action = static_cast<QuickInputKeyAction>(KBDOpt->checkedId());
    const bool controlKey = event.key() == Qt::Key_Control;
    const QString before = InputTxt->toPlainText();
    PutTxt(KeyInputLines(name, action, WaitTimeTxt->text(), KBDShiftChk->isChecked(), KBDAltChk->isChecked(),
                         KBDCtrlChk->isChecked()));
    lastLinesFromControlKey_ = controlKey;
    if (controlKey) textBeforeControlKey_ = before;
}

void AutoInputFrm::ForgetControlKeyLines() {
    if (!lastLinesFromControlKey_) return;
    lastLinesFromControlKey_ = false;
    InputTxt->setPlainText(textBeforeControlKey_);
    inputText_ = textBeforeControlKey_;
    inputText_.replace(u'\n', kQuickInputLineEnd);
}

// In absolute coordinates the line says, as a comment, which pixel of the screen it clicks.
void AutoInputFrm::MUSInputBtn_Click() {
    QString line = MouseInputLine(MUSOpt->checkedId(), MUSXTxt->text(), MUSYTxt->text(), WaitTimeTxt->text());
    if (MUSOrgChk->isChecked()) {
        QPoint pointer;
        ScreenRect primary;
        PointerAndPrimaryMonitor(pointer, primary);
        const std::optional<QPoint> pixel = PixelOfAbsoluteTexts(MUSXTxt->text(), MUSYTxt->text(), primary);
        if (pixel) line += PixelComment(pixel->x(), pixel->y());
    }
    PutTxt(line);
    lastLinesFromControlKey_ = false;
    TxtSetFocus();
}

// The positions a user wants to click lie outside the dialog, so the position is taken after a countdown
// that leaves time to move the pointer there.
void AutoInputFrm::MUSPickBtn_Click() {
    pickStepsLeft_ = pickSteps_;
    MUSPickBtn->setEnabled(false);
    ShowPickCountdown();
    pickTimer_->start();
}

void AutoInputFrm::ShowPickCountdown() {
    MUSPickLbl->setText(QString::number(pickStepsLeft_) +
                        QStringLiteral("秒後にマウスポインタの位置を取得します"));
}

void AutoInputFrm::PickTimer_Tick() {
    --pickStepsLeft_;
    if (pickStepsLeft_ > 0) {
        ShowPickCountdown();
        return;
    }
    pickTimer_->stop();
    TakePointerPosition();
    MUSPickBtn->setEnabled(true);
}

// The pointer and the primary monitor in the screen's own pixels, the ones MUS uses: from the desktop
// platform, the same answer MUS's absolute space is laid over. Without one, from the toolkit, whose positions
// on a high-density screen are in scaled units, turned back into pixels with the screen's scale.
void AutoInputFrm::PointerAndPrimaryMonitor(QPoint& pointer, ScreenRect& primary) const {
    int32_t x = 0;
    int32_t y = 0;
    if (desktop_ != nullptr && desktop_->PointerPosition(x, y) && desktop_->PrimaryMonitor(primary)) {
        pointer = QPoint(x, y);
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal scale = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    pointer = QCursor::pos() * scale;
    const QRect area = screen != nullptr ? screen->geometry() : QRect();
    const QPoint corner = area.topLeft() * scale;
    const QSize size = area.size() * scale;
    primary = ScreenRect{corner.x(), corner.y(), size.width(), size.height()};
}

// Screen pixels for relative coordinates; with "絶対座標で入力" the position in MUS's absolute space, which
// spans the primary monitor from 0 to 65535 along each axis and goes on beyond it, unclamped, so a position
// on another monitor plays back there.
void AutoInputFrm::TakePointerPosition() {
    QPoint position;
    ScreenRect primary;
    PointerAndPrimaryMonitor(position, primary);
    QPoint written = position;
    if (MUSOrgChk->isChecked() && primary.width > 0 && primary.height > 0)
        written = AbsoluteMousePosition(position.x(), position.y(), primary);
    MUSXTxt->setText(QString::number(written.x()));
    MUSYTxt->setText(QString::number(written.y()));
    MUSPickLbl->setText(QStringLiteral("取得しました: 画面の(") + QString::number(position.x()) + u',' +
                        QString::number(position.y()) + u')');
}

void AutoInputFrm::InputBtn_Click() {
    const QString text = AppliedText(inputText_, MUSOrgChk->isChecked());
    // Nothing recorded and nothing to add: the editor and its selection stay as they are.
    if (!text.isEmpty() && editor_) {
        QTextCursor cursor = editor_->textCursor();
        cursor.insertText(WithLineFeeds(text));
        editor_->setTextCursor(cursor);
    }
    accept();
}

void AutoInputFrm::ClearBtn_Click() {
    inputText_.clear();
    InputTxt->clear();
    lastLinesFromControlKey_ = false;
    TxtSetFocus();
}

QString AutoInputFrm::UnappliedLinesQuestion() {
    return QStringLiteral("適用していない行があります。\n適用して閉じますか？");
}

// はい applies the lines (which closes the dialog), いいえ drops them, キャンセル keeps the dialog open.
// Only the user's ways of closing ask: the window cancels the dialog outright when the program has to end.
bool AutoInputFrm::MayClose() {
    if (inputText_.isEmpty()) return true;
    switch (ask_(UnappliedLinesQuestion())) {
    case kButtonYes:
        InputBtn_Click();
        return false;
    case kButtonNo:
        return true;
    default:
        return false;
    }
}

void AutoInputFrm::CloseBtn_Click() {
    if (MayClose()) reject();
}

// Ctrl+Enter applies from anywhere in the dialog; Esc closes as 閉じる does (the text area takes both keys
// for itself before they come here, see eventFilter).
void AutoInputFrm::keyPressEvent(QKeyEvent* event) {
    if (IsControlEnter(*event)) {
        InputBtn_Click();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseBtn_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AutoInputFrm::closeEvent(QCloseEvent* event) {
    if (isVisible() && !MayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
