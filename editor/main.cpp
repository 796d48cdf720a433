// Entry of QuillonMacro: without arguments, the editor window; "--edit FILE" opens the file in the editor;
// with a macro file on the command line, runs it once without a window and exits with its final error code.
#include "command_line_run.h"
#include "editor_part.h"
#ifndef QM_EDITOR_LINKED_IN
#include "program_part.h"
#endif

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kExitFileMissing = 2;

// The whole command line is one path: the arguments joined with single spaces, so an unquoted path with
// spaces still names its file.
QString CommandLinePath(int argc, char** argv, int first = 1) {
    QByteArray joined;
    for (int i = first; i < argc; ++i) {
        if (i > first) joined += ' ';
        joined += argv[i];
    }
    return QFile::decodeName(joined);
}

// "--edit FILE" opens the file in the editor window without running it: the form the desktop entry uses, so a
// macro opened from a file manager is never run by a double-click.
bool IsEditRequest(int argc, char** argv) {
    return argc >= 2 && std::strcmp(argv[1], "--edit") == 0;
}

// Standard error belongs to the macro's error lines: Qt's own notes (a missing runtime folder, for example)
// are dropped; only its critical and fatal messages get through.
void KeepQtNotesOffStandardError(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    const QByteArray line = message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

// The interactive program: the editor window on the real desktop, until the window is closed; with a path,
// that file is loaded into the editor first. The window and Qt's widgets are in the editor part.
int RunEditor(int argc, char** argv, const QString& path = {}) {
    // Without any display the window cannot open; say so instead of letting Qt abort.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("画面が使用できないため、エディタを開けません。マクロファイルを指定すると画面なしで実行し"
                   "ます。\n",
                   stderr);
        return 1;
    }
    const std::u16string text = path.toStdU16String();
#ifdef QM_EDITOR_LINKED_IN
    return QmRunEditor(&argc, argv, text.c_str(), text.size());
#else
    std::string error;
    const auto runEditor =
        reinterpret_cast<RunEditorEntry>(OpenProgramPartEntry(kEditorPartFile, kRunEditorEntry, error));
    if (runEditor == nullptr) {
        const std::string line = "エディタの部品を開けません: " + error + "\n";
        std::fputs(line.c_str(), stderr);
        return 1;
    }
    return runEditor(&argc, argv, text.c_str(), text.size());
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return RunEditor(argc, argv);
    if (IsEditRequest(argc, argv)) {
        const QString path = CommandLinePath(argc, argv, 2);
        int qtArgc = 1; // the file is ours, not an option for Qt
        return RunEditor(qtArgc, argv, path);
    }
    const QString path = CommandLinePath(argc, argv);
    if (!QFileInfo(path).isFile()) return kExitFileMissing;

    qInstallMessageHandler(KeepQtNotesOffStandardError);
    // The run shows no window and no dialog, with a display or without, and the desktop is reached through
    // Xlib, so it needs only Qt's core: starting the GUI part (the connection of Qt's platform plugin to the
    // display, its fonts) would cost more than a short macro takes, and a display that has gone away (a stale
    // DISPLAY in a cron job) cannot abort the program.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
    return RunMacroFileFromCommandLine(path);
}
