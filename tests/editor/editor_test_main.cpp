// Entry of the editor tests: GoogleTest inside a QApplication on the test display, with the user's state
// folder (where recovery copies go) in a private temporary folder.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
    return RUN_ALL_TESTS();
}
