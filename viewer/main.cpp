// Entry of Glossel, the reference viewer: shows Form1, at the entry named on the command line when there is
// one (the editor's F1), and runs until its window is closed. Without any display to show it on, it says so
// and ends instead of letting the toolkit abort.
#include "form1.h"
#include "qt_japanese.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
#ifndef Q_OS_WIN // Windows always has its desktop
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    const bool display =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!platformChosen && !display) {
        std::fputs(
            "関数ビューアを表示する画面がありません (DISPLAY も WAYLAND_DISPLAY も設定されていません)。\n",
            stderr);
        return 1;
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glossel"));
    InstallQtJapaneseTranslation(app);
    Form1 window;
    const QStringList arguments = QCoreApplication::arguments();
    // An unknown name just opens the viewer as usual.
    if (arguments.size() > 1) window.ShowEntry(arguments.at(1));
    window.show();
    return QApplication::exec();
}
