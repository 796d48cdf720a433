// RecorderFrm, the recorder: a small window that records the user's keyboard and mouse on the whole desktop
// until Pause or its stop button, then hands the recording over as KBD, MUS and WAIT lines.
#pragma once

#include "desktop_platform.h"
#include "recorded_lines.h"
#include "stop_hotkey.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

class RecorderFrm : public QWidget {
    Q_OBJECT

  public:
    using InsertLines = std::function<void(const QStringList&)>;

    // Records through `desktop`; `stopKey` (Pause, may be null) ends the recording from anywhere; the lines
    // go to `insert` when it ends, and the window closes.
    RecorderFrm(DesktopPlatform* desktop, std::unique_ptr<StopHotkey> stopKey, InsertLines insert,
                QWidget* parent = nullptr);
    ~RecorderFrm() override;

    // Starts recording; false (and a message in the window) when this desktop cannot be recorded.
    bool Start();
    bool IsRecording() const { return recording_ != nullptr; }
    // Ends the recording and inserts its lines.
    void Finish();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Tick();
    void StopBtn_Click();
    // The last click, when it was on this window's stop button, is not part of what the user recorded.
    void DropOwnClick();

    DesktopPlatform* desktop_;
    std::unique_ptr<StopHotkey> stopKey_;
    InsertLines insert_;
    std::unique_ptr<InputRecording> recording_;
    std::vector<RecordedInput> events_;
    QTimer* timer_ = nullptr;
    QLabel* lbl_Status = nullptr;
    QCheckBox* chk_Absolute = nullptr;
    QPushButton* btn_Stop = nullptr;
};
