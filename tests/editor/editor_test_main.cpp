// Entry of the editor tests: GoogleTest inside a QApplication on the test display, with Qt's own texts in
// Japanese as in the program and the user's state folder (where recovery copies go) in a private folder.
#include "qt_japanese.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
    // As the program does: Qt's own texts in Japanese.
    InstallQtJapaneseTranslation(app);
    return RUN_ALL_TESTS();
}
