// Drives the real QuillonMacro program with synthetic X events (xdotool) to show that a killed editor's text
// comes back: type, wait for the recovery copy, kill -9, start again, restore with Enter, and see the editor
// text through a run's buffer file; with two editors open, each keeps its own copy and only the dead one's
// text is offered.
#include "program_driver.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace program_driver;

namespace {

void KillNow(QProcess& editor) {
    editor.kill(); // SIGKILL: no close, no clean-up of any kind
    editor.waitForFinished(5000);
}

} // namespace

TEST(RecoveryEndToEnd, KilledEditorsTextComesBack) {
    const Installation installed;
    std::unique_ptr<QProcess> editor = installed.Start();
    ASSERT_TRUE(editor);
    Activate(MainWindow(editor->processId()));
    const QStringList lines = {QStringLiteral("PRINT \"rescue me\""), QStringLiteral("' a+b=c; 50% (x)")};
    TypeLines(lines);
    const QString text = lines.join(u'\n');
    ASSERT_TRUE(WaitFor([&] { return installed.SomeCopyIs(CopyBytes(text)); }));
    KillNow(*editor);
    ASSERT_EQ(installed.CopyNames().size(), 1);

    std::unique_ptr<QProcess> again = installed.Start();
    ASSERT_TRUE(again);
    const qint64 pid = again->processId();
    ASSERT_TRUE(RestoreWithEnter(pid));
    EXPECT_EQ(Tool({QStringLiteral("getwindowname"), MainWindow(pid)}), QStringLiteral("Quillonマクロ"));
    EXPECT_EQ(TextThroughARun(pid, installed),
              (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());

    // The restored text is unsaved: closing asks, and "いいえ(&N)" ends the program with no copy left.
    Activate(MainWindow(pid));
    Key(QStringLiteral("ctrl+F4"));
    ASSERT_TRUE(WaitFor([&] { return Windows(pid, QStringLiteral("^QuillonMacro$")).size() == 1; }));
    QThread::msleep(300);
    Key(QStringLiteral("alt+n"));
    EXPECT_TRUE(again->waitForFinished(15000));
    if (again->state() != QProcess::NotRunning) KillNow(*again);
    EXPECT_TRUE(QDir(installed.recovery).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(RecoveryEndToEnd, TwoEditorsKeepTheirOwnCopiesAndOnlyTheDeadOnesIsOffered) {
    const Installation installed;
    std::unique_ptr<QProcess> first = installed.Start();
    std::unique_ptr<QProcess> second = installed.Start();
    ASSERT_TRUE(first && second);
    const QString firstText = QStringLiteral("PRINT \"first editor\"");
    const QString secondText = QStringLiteral("PRINT \"second editor\"");
    Activate(MainWindow(first->processId()));
    TypeLines({firstText});
    Activate(MainWindow(second->processId()));
    TypeLines({secondText});
    ASSERT_TRUE(WaitFor([&] {
        return installed.SomeCopyIs(CopyBytes(firstText)) && installed.SomeCopyIs(CopyBytes(secondText));
    }));
    EXPECT_EQ(installed.CopyNames().size(), 2);

    KillNow(*first);
    std::unique_ptr<QProcess> third = installed.Start();
    ASSERT_TRUE(third);
    const qint64 pid = third->processId();
    ASSERT_TRUE(RestoreWithEnter(pid));
    EXPECT_EQ(TextThroughARun(pid, installed), (firstText + QStringLiteral("\r\n")).toUtf8());
    // No second question (the living editor's copy is not an orphan), and its copy is untouched.
    QThread::msleep(1000);
    EXPECT_TRUE(Windows(pid, QStringLiteral("^QuillonMacro$")).isEmpty());
    EXPECT_TRUE(installed.SomeCopyIs(CopyBytes(secondText)));
    EXPECT_EQ(installed.CopyNames().size(), 2); // the restored copy is the third editor's own now
    KillNow(*second);
    KillNow(*third);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
