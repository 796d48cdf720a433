// The capture's texts and geometry: the check's report in the three cases (none, one, several), the size
// label kept on the screen, and the editor put back where it was after stepping aside for the capture.
#include "capture_steps.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// How long a window shown again may take to be mapped before it is maximised all the same.
constexpr int kMapWaitMs = 2000;

} // namespace

CaptureCheckReport CaptureCheckReportOf(const std::optional<ImageMatchCount>& matches) {
    if (!matches) {
        const QString text = QStringLiteral("今の画面と照らし合わせられませんでした");
        return {text, {QStringLiteral("FINDIMG: ") + text + QStringLiteral("。")}, false};
    }
    if (matches->count == 0) {
        return {QStringLiteral("今の画面では見つかりませんでした（切り取った後で画面が変わりました）"),
                {QStringLiteral("FINDIMG: 今の画面では見つかりませんでした。"),
                 QStringLiteral("切り取った後で画面が変わりました（ウィンドウがアクティブになった、"
                                "またはアクティブでなくなったなど）。")},
                true};
    }
    const QString where = QStringLiteral("(%1, %2)").arg(matches->x).arg(matches->y);
    if (matches->count == 1) {
        const QString text = where + QStringLiteral(" で見つかりました");
        return {text, {QStringLiteral("FINDIMG: ") + text}, false};
    }
    const QString places = QStringLiteral("%1 か所%2")
                               .arg(matches->count)
                               .arg(matches->capped ? QStringLiteral("以上") : QString());
    return {places + QStringLiteral("で見つかりました（最初は ") + where + QStringLiteral("）"),
            {QStringLiteral("FINDIMG: 今の画面の ") + places +
                 QStringLiteral("で見つかりました。FINDIMG が返すのは ") + where + QStringLiteral(" です。"),
             QStringLiteral("1 か所に決まるよう、もっと大きな範囲を切り取ってください。")},
            false};
}

QString CaptureRetakeQuestion(int seconds) {
    return QStringLiteral("もう一度切り取りますか？\n%1 秒後に画面を取り込みます。"
                          "それまでに画面を切り取りたい状態にしてください。")
        .arg(seconds);
}

QString CaptureCountdownText(int seconds) {
    return QStringLiteral("%1 秒後に画面を取り込みます").arg(seconds);
}

QString CaptureSizeText(const QRect& rect) {
    return QStringLiteral("(%1, %2) %3×%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

QPoint CaptureLabelPlace(const QRect& rect, QSize label, const QRect& area) {
    constexpr int kGap = 4;
    int y = rect.bottom() + 1 + kGap;
    if (y + label.height() > area.bottom() + 1) y = rect.top() - kGap - label.height();
    const int x =
        std::clamp(rect.left(), area.left(), std::max(area.left(), area.right() + 1 - label.width()));
    return QPoint(x, std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - label.height())));
}

WindowPlace WindowPlaceOf(const QWidget& window) {
    return {window.geometry(), window.normalGeometry(), window.windowState()};
}

void ShowWindowAt(QWidget& window, const WindowPlace& place) {
    const Qt::WindowStates kept = place.state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (kept == Qt::WindowNoState) {
        window.setGeometry(place.geometry);
        window.show();
        return;
    }
    // The window manager learns the normal place from the window it maps: shown maximised at once, some
    // (fluxbox) take the whole screen as the place to go back to. So it is mapped at its normal place first
    // and maximised once it is there.
    window.setWindowState(Qt::WindowNoState);
    window.setGeometry(place.normalGeometry);
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (window.windowHandle() != nullptr && !window.windowHandle()->isExposed() &&
           waited.elapsed() < kMapWaitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    window.setWindowState(kept);
}

QString SuggestedPicturePath(const QString& folder) {
    for (int n = 1;; ++n) {
        const QString path = QDir(folder).filePath(QStringLiteral("picture%1.png").arg(n));
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink()) return path;
    }
}

// QSaveFile writes to a link's target, so a link is refused before it is opened.
bool WritePng(const QImage& picture, const QString& path) {
    if (QFileInfo(path).isSymLink()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
