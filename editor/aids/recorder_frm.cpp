// The recorder window: polls the recording and the stop key twenty times a second, shows how much was
// recorded, and on the end turns the events into lines in the chosen coordinates.
#include "recorder_frm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kPollMilliseconds = 50;
constexpr int32_t kPauseKey = 0x13;

} // namespace

RecorderFrm::RecorderFrm(DesktopPlatform* desktop, std::unique_ptr<StopHotkey> stopKey, InsertLines insert,
                         QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), desktop_(desktop), stopKey_(std::move(stopKey)),
      insert_(std::move(insert)) {
    setObjectName(QStringLiteral("RecorderFrm"));
    setWindowTitle(QStringLiteral("記録"));
    lbl_Status = new QLabel;
    lbl_Status->setObjectName(QStringLiteral("lbl_Status"));
    chk_Absolute = new QCheckBox(QStringLiteral("絶対座標で記録 (MUSORG 1)"));
    chk_Absolute->setObjectName(QStringLiteral("chk_Absolute"));
    chk_Absolute->setChecked(true);
    btn_Stop = new QPushButton(QStringLiteral("記録終了 (Pause)"));
    btn_Stop->setObjectName(QStringLiteral("btn_Stop"));
    connect(btn_Stop, &QPushButton::clicked, this, &RecorderFrm::StopBtn_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbl_Status);
    layout->addWidget(chk_Absolute);
    layout->addWidget(btn_Stop);
    timer_ = new QTimer(this);
    timer_->setInterval(kPollMilliseconds);
    connect(timer_, &QTimer::timeout, this, &RecorderFrm::Tick);
}

RecorderFrm::~RecorderFrm() {
    recording_.reset();
    if (stopKey_) stopKey_->Release();
}

bool RecorderFrm::Start() {
    events_.clear();
    recording_ = desktop_ != nullptr ? desktop_->StartInputRecording() : nullptr;
    if (!recording_) {
        lbl_Status->setText(QStringLiteral("この画面ではキーボードとマウスを記録できません。"));
        btn_Stop->setEnabled(false);
        return false;
    }
    if (stopKey_) stopKey_->Grab();
    lbl_Status->setText(QStringLiteral("記録中です。Pause キーで終了します。"));
    timer_->start();
    return true;
}

void RecorderFrm::Tick() {
    if (!recording_) return;
    recording_->Take(events_);
    lbl_Status->setText(QStringLiteral("記録中です (%1 件)。Pause キーで終了します。").arg(events_.size()));
    if (stopKey_ && stopKey_->TakePressed()) Finish();
}

void RecorderFrm::StopBtn_Click() {
    if (!recording_) return;
    recording_->Take(events_);
    DropOwnClick();
    Finish();
}

void RecorderFrm::DropOwnClick() {
    const QRect own = frameGeometry();
    const qreal ratio = devicePixelRatioF();
    auto inside = [&](const RecordedInput& e) {
        return own.contains(QPoint(static_cast<int>(e.x / ratio), static_cast<int>(e.y / ratio)));
    };
    // From the end: motions and the button's down and up inside this window.
    while (!events_.empty() && inside(events_.back()) &&
           events_.back().kind != RecordedInput::Kind::KeyDown &&
           events_.back().kind != RecordedInput::Kind::KeyUp)
        events_.pop_back();
}

void RecorderFrm::Finish() {
    if (!recording_) return;
    timer_->stop();
    recording_->Take(events_);
    recording_.reset();
    if (stopKey_) stopKey_->Release();
    RecordingOptions options;
    options.absolute = chk_Absolute->isChecked();
    if (desktop_ != nullptr) desktop_->PrimaryMonitor(options.primaryMonitor);
    options.ignoredKeys = {kPauseKey};
    const QStringList lines = RecordedMacroLines(events_, options);
    events_.clear();
    if (insert_) insert_(lines);
    close();
}

// Closing the window ends the recording as the stop button does, so nothing recorded is lost.
void RecorderFrm::closeEvent(QCloseEvent* event) {
    if (recording_) Finish();
    QWidget::closeEvent(event);
}
