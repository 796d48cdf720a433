// Entry of the editor tests: GoogleTest inside a QApplication on the test display, with Qt's own texts in
// Japanese as in the program.
#include "qt_japanese.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
    // As the program does: Qt's own texts in Japanese.
    InstallQtJapaneseTranslation(app);
    return RUN_ALL_TESTS();
}
