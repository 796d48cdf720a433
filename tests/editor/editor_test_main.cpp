// Entry of the editor tests: GoogleTest inside a QApplication on the test display.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
    return RUN_ALL_TESTS();
}
