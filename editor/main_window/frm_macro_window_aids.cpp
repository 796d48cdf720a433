// The authoring aids of the editor's ツール menu: the window information, the capture of a picture for
// FINDIMG and the recorder. Each writes ready lines into the macro text at the caret.
#include "capture_frm.h"
#include "capture_steps.h"
#include "editor_widgets.h"
#include "frm_macro_window.h"
#include "image_search.h"
#include "magnifier_view.h"
#include "recorder_frm.h"
#include "window_info_frm.h"
#include "window_info_lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

namespace {

constexpr uint8_t kFreezeKey = 0x77; // F8
// How long the editor stays out of sight before the screen is captured, so it is not in the picture.
constexpr int kHideBeforeCaptureMs = 400;

// The picture back as the grid FINDIMG compares, from the very file written.
bool ReadBack(DesktopPlatform& desktop, const QString& path, PixelGrid& out) {
    return desktop.LoadImageFile(path.toStdU16String(), out) == 0;
}

} // namespace

WindowInfoFrm* frm_MacroWindow::WindowInfo() const {
    return windowInfo_;
}

RecorderFrm* frm_MacroWindow::Recorder() const {
    return recorder_;
}

void frm_MacroWindow::InsertLinesAtCaret(const QStringList& lines, int caretLine) {
    if (lines.isEmpty()) return;
    QTextCursor cursor = txt_Macro->textCursor();
    cursor.clearSelection();
    const bool before = cursor.positionInBlock() == 0 && !LongLines::ContinuesLine(cursor.block());
    const int firstLine = txt_Macro->CaretLine() + (before ? 0 : 1);
    cursor.beginEditBlock();
    if (before) {
        cursor.insertText(lines.join(u'\n') + u'\n');
    } else {
        cursor.setPosition(LongLines::LineEnd(cursor.block()).position());
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText(u'\n' + lines.join(u'\n'));
    }
    cursor.endEditBlock();
    if (caretLine >= 0 && caretLine < lines.size()) {
        cursor.setPosition(txt_Macro->BlockOfLine(firstLine + caretLine).position());
        cursor.movePosition(QTextCursor::EndOfBlock);
    }
    txt_Macro->setTextCursor(cursor);
}

void frm_MacroWindow::Menu_WindowInfo_Click() {
    if (!windowInfo_) {
        windowInfo_ = new WindowInfoFrm(
            desktop_.get(), CreateGlobalHotkey(kFreezeKey, kHotkeyControl | kHotkeyShift),
            [this](const QStringList& lines, int caretLine) { InsertLinesAtCaret(lines, caretLine); }, this);
        windowInfo_->setAttribute(Qt::WA_DeleteOnClose);
    }
    windowInfo_->show();
    windowInfo_->raise();
}

void frm_MacroWindow::Menu_Record_Click() {
    if (recorder_ || !desktop_) return;
    recorder_ = new RecorderFrm(
        desktop_.get(), CreateStopHotkey(), [this](const QStringList& lines) { InsertLinesAtCaret(lines); },
        this);
    recorder_->setAttribute(Qt::WA_DeleteOnClose);
    recorder_->show();
    if (!recorder_->Start()) AppendLog(QStringLiteral("この画面ではキーボードとマウスを記録できません。"));
}

void frm_MacroWindow::Menu_Capture_Click() {
    CapturePicture(0, QString());
}

void frm_MacroWindow::Menu_CaptureLater_Click() {
    CapturePicture(kCaptureCountdownSeconds, QString());
}

void frm_MacroWindow::CapturePicture(int countdownSeconds, const QString& path) {
    if (!desktop_ || !desktop_->HasDisplay() || running_) return;
    // The editor steps aside while the screen is taken, and comes back where it was whatever the user
    // chooses: hidden and shown again, a window is placed anew by some window managers.
    const WindowPlace place = WindowPlaceOf(*this);
    hide();
    if (countdownSeconds > 0) {
        CaptureCountdown countdown;
        countdown.Run(countdownSeconds);
    }
    QThread::msleep(kHideBeforeCaptureMs);
    QCoreApplication::processEvents();
    PixelGrid screen;
    const int failure = desktop_->CaptureScreen(screen);
    std::optional<QRect> rect;
    if (failure == 0) {
        CaptureFrm capture(ImageOfPixels(screen));
        rect = capture.Choose();
    }
    ShowWindowAt(*this, place);
    activateWindow();
    if (failure != 0) AppendLog(QStringLiteral("画面を取り込めませんでした。"));
    if (failure == 0 && rect && SaveCapturedPicture(screen, *rect, path)) return;
    // A picture taken again and then cancelled: the file keeps the first one, and it gets its line.
    if (!path.isEmpty()) InsertFindImageLine(path, CaptureCheckReportOf(ImageMatchCount{}).comment);
}

void frm_MacroWindow::InsertFindImageLine(const QString& path, const QString& comment) {
    const std::optional<QString> literal = MacroStringLiteral(QDir::toNativeSeparators(path));
    if (!literal) {
        AppendLog(QStringLiteral("ファイル名にマクロで書けない文字があります。"));
        return;
    }
    InsertLinesAtCaret({QStringLiteral("FINDIMG ") + *literal + QStringLiteral(" ' ") + comment});
}

bool frm_MacroWindow::SaveCapturedPicture(const PixelGrid& screen, const QRect& rect, const QString& toPath) {
    QString path = toPath;
    if (path.isEmpty()) {
        const QString folder = currentFilePath_.isEmpty()
                                   ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                                   : QFileInfo(currentFilePath_).absolutePath();
        QDir().mkpath(folder);
        path = dialogs_.savePictureName(SuggestedPicturePath(folder));
    }
    if (path.isEmpty()) return false;
    if (!WritePng(CapturedPicture(screen, rect), path)) {
        AppendLog(QStringLiteral("画像を保存できませんでした。 - ") + QDir::toNativeSeparators(path));
        return false;
    }
    // The live screen, as FINDIMG will see it, searched for the picture read back from its file.
    PixelGrid picture;
    PixelGrid live;
    std::optional<ImageMatchCount> matches;
    if (ReadBack(*desktop_, path, picture) && desktop_->CaptureScreen(live) == 0)
        matches = CountImageMatches(live, picture, kCaptureMatchLimit);
    const CaptureCheckReport report = CaptureCheckReportOf(matches);
    AppendLog(QStringLiteral("画像を保存しました。 - ") + QDir::toNativeSeparators(path));
    for (const QString& line : report.log) AppendLog(line);
    // Nothing matches: the picture shows a state the screen has left. Taken again into the same file, it
    // gets one FINDIMG line, with the last check's comment.
    if (report.offerRetake && dialogs_.askYesNo &&
        dialogs_.askYesNo(CaptureRetakeQuestion(kCaptureCountdownSeconds))) {
        QTimer::singleShot(0, this, [this, path] { CapturePicture(kCaptureCountdownSeconds, path); });
        return true;
    }
    InsertFindImageLine(path, report.comment);
    return true;
}
