// The dialogs of a run from the command line, inside the editor part: Qt is started on the first dialog of
// the run, and the built-ins' boxes and message window are the editor's own, owned by no window.
#include "editor_part.h"

#include "qt_japanese.h"
#include "qt_user_interface.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include <cstdio>
#include <memory>

namespace {

// Qt keeps the arguments it is given for its whole life.
int qtArgc = 1;
char qtProgramName[] = "QuillonMacro";
char* qtArgv[] = {qtProgramName, nullptr};

constexpr int kStopCheckIntervalMs = 100;

// Without a choice of the user's, Qt is sent to the displays that are there, Wayland first: the default
// would try X11 alone and end the program when no X display answers.
void ChooseQtPlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    QByteArray platforms;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) platforms = "wayland";
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) platforms += platforms.isEmpty() ? "xcb" : ";xcb";
    if (!platforms.isEmpty()) qputenv("QT_QPA_PLATFORM", platforms);
}

QtMessageHandler qtDefaultMessages = nullptr;

// Standard error carries the run's error lines: Qt's notes and warnings about its own set-up (a missing
// XDG_RUNTIME_DIR, a platform plugin tried first) stay off it; its critical messages still go there.
void KeepQtNotesOffStandardError(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    if (qtDefaultMessages != nullptr) {
        qtDefaultMessages(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

// Qt itself, made before the dialogs and ended after them (a base class ahead of QtUserInterface).
struct QtStarted {
    std::unique_ptr<QApplication> app;
    QtStarted() {
        qtDefaultMessages = qInstallMessageHandler(KeepQtNotesOffStandardError);
        ChooseQtPlatform();
        app = std::make_unique<QApplication>(qtArgc, qtArgv);
        QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
        InstallQtJapaneseTranslation(*app);
    }
};

// True once the X server of Qt's connection has gone (killed, crashed, the session ended). Qt ends the
// program as soon as it handles the events of such a connection, or closes it.
bool DisplayGone() {
#if QT_CONFIG(xcb)
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr && x11->connection() != nullptr && xcb_connection_has_error(x11->connection()) != 0;
#else
    return false;
#endif
}

class CommandLineDialogs final : private QtStarted, public QtUserInterface {
  public:
    explicit CommandLineDialogs(bool (*stopRequested)()) {
        if (stopRequested == nullptr) return;
        QObject::connect(&stopCheck_, &QTimer::timeout, [stopRequested] {
            if (stopRequested()) CancelOpenDialogs();
        });
        stopCheck_.start(kStopCheckIntervalMs);
    }
    // Without its server Qt is left as it is, to end with the process: the run ends through its own steps.
    ~CommandLineDialogs() override {
        if (DisplayGone()) static_cast<void>(app.release());
    }

    // Once the server has gone no dialog can be shown (the built-ins fail with code 7) and Qt's events are
    // left alone; the run's own connection finds the loss and ends the run with its code-7 lines.
    bool CanShowDialogs() const override { return !DisplayGone(); }
    void Yield() override {
        if (!DisplayGone()) QtUserInterface::Yield();
    }

  private:
    // The modal boxes of MSGBOX and INPUTBOX are the only dialogs of a run.
    static void CancelOpenDialogs() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            if (dialog != nullptr && dialog->isVisible()) dialog->reject();
        }
    }

    QTimer stopCheck_;
};

} // namespace

UserInterface* QmOpenCommandLineDialogs(bool (*stopRequested)()) {
    return new CommandLineDialogs(stopRequested);
}
