// Drives the real QuillonMacro program on the test display with synthetic X events (xdotool): types a macro,
// runs it with F5, sees the message window and the buffer file, stops the endless loop with Pause while
// another program has the focus and with Esc while the macro holds Shift, and closes answering the question.
#include "program_driver.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace program_driver;

TEST(EndToEnd, TypeRunStopWithPauseAndClose) {
    // A copy of the program in a folder of its own, so its buffer file and recovery copies are private to
    // this test.
    const Installation installed;
    const QString& buffer = installed.buffer;
    std::unique_ptr<QProcess> started = installed.Start();
    ASSERT_TRUE(started);
    QProcess& editor = *started;
    const qint64 pid = editor.processId();
    ASSERT_TRUE(WaitFor([&] { return Windows(pid).size() == 1; }));
    const QString mainWindow = Windows(pid).first();
    Activate(mainWindow);

    const QStringList lines = {QStringLiteral("MES \"e2e\""), QStringLiteral("PRINT 7"),
                               QStringLiteral("WHILE 1"), QStringLiteral("WEND")};
    TypeLines(lines);
    Key(QStringLiteral("F5"));
    // The message window appears beside the main window while the loop runs.
    ASSERT_TRUE(WaitFor([&] { return Windows(pid).size() == 2; }));
    EXPECT_EQ(ReadAll(buffer), QByteArray("MES \"e2e\"\r\nPRINT 7\r\nWHILE 1\r\nWEND\r\n"));

    // Pause stops the run even while another program has the focus; Stop closes the message window.
    QProcess xterm;
    xterm.start(QStringLiteral("xterm"), {QStringLiteral("-T"), QStringLiteral("other-program")});
    ASSERT_TRUE(xterm.waitForStarted(10000));
    QString other;
    ASSERT_TRUE(WaitFor([&] {
        other = Tool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                      QStringLiteral("^other-program$")});
        return !other.isEmpty();
    }));
    Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), other.split(u'\n').first()});
    EXPECT_EQ(Tool({QStringLiteral("getactivewindow")}), other.split(u'\n').first());
    Key(QStringLiteral("Pause"));
    EXPECT_TRUE(WaitFor([&] { return Windows(pid).size() == 1; }));
    xterm.kill();
    xterm.waitForFinished(5000);

    // Idle again: F5 runs the macro a second time, Pause stops it again.
    Activate(mainWindow);
    Key(QStringLiteral("F5"));
    ASSERT_TRUE(WaitFor([&] { return Windows(pid).size() == 2; }));
    Key(QStringLiteral("Pause"));
    EXPECT_TRUE(WaitFor([&] { return Windows(pid).size() == 1; }));

    // Ctrl+F4 closes; the text is unsaved, so the question comes, answered "いいえ(&N)" by its mnemonic.
    Activate(mainWindow);
    Key(QStringLiteral("ctrl+F4"));
    ASSERT_TRUE(WaitFor([&] { return Windows(pid).size() == 2; }));
    QThread::msleep(300);
    Key(QStringLiteral("alt+n"));
    EXPECT_TRUE(editor.waitForFinished(15000));
    if (editor.state() != QProcess::NotRunning) {
        editor.kill();
        editor.waitForFinished(5000);
    }
    EXPECT_EQ(editor.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(buffer));
}

// A macro that holds Shift: the Esc typed into the editor arrives as Shift+Esc, and still stops the run
// (the message window closes with the stop). The key goes without --clearmodifiers, so Shift stays down.
TEST(EndToEnd, EscStopsARunWhileTheMacroHoldsShift) {
    const Installation installed;
    std::unique_ptr<QProcess> started = installed.Start();
    ASSERT_TRUE(started);
    QProcess& editor = *started;
    const qint64 pid = editor.processId();
    ASSERT_TRUE(WaitFor([&] { return Windows(pid).size() == 1; }));
    const QString mainWindow = Windows(pid).first();
    Activate(mainWindow);
    TypeLines({QStringLiteral("MES \"shift\""), QStringLiteral("KBD VK_SHIFT, DOWN"),
               QStringLiteral("WHILE 1"), QStringLiteral("WEND")});
    Key(QStringLiteral("F5"));
    ASSERT_TRUE(WaitFor([&] { return Windows(pid).size() == 2; }));
    Activate(mainWindow);
    Tool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(WaitFor([&] { return Windows(pid).size() == 1; }, 5000)) << "Shift+Esc did not stop the run";
    editor.kill();
    editor.waitForFinished(5000);
}

TEST(EndToEnd, EditOpensTheFileInTheEditorWithoutRunningIt) {
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("ran"));
    const QString macro = dir.filePath(QStringLiteral("自分のマクロ.qlx"));
    {
        QFile file(macro);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("SHELL \"/usr/bin/touch %1\"\r\n").arg(marker).toUtf8());
    }
    const Installation installed;
    std::unique_ptr<QProcess> started = installed.Start({QStringLiteral("--edit"), macro});
    ASSERT_TRUE(started);
    QProcess& editor = *started;
    const qint64 pid = editor.processId();
    ASSERT_TRUE(WaitFor([&] { return Windows(pid).size() == 1; }));
    const QString window = Windows(pid).first();
    EXPECT_TRUE(WaitFor([&] {
        return Tool({QStringLiteral("getwindowname"), window}) == QStringLiteral("Quillonマクロ - ") + macro;
    }));
    QThread::msleep(1500);
    EXPECT_FALSE(QFile::exists(marker)); // opened, not run
    editor.kill();
    editor.waitForFinished(5000);
}

TEST(EndToEnd, WithoutADisplayTheEditorSaysWhy) {
    QProcess editor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    editor.setProcessEnvironment(env);
    editor.start(QStringLiteral(QM_PROGRAM), {});
    ASSERT_TRUE(editor.waitForFinished(15000));
    EXPECT_EQ(editor.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(editor.readAllStandardError())
                    .startsWith(QStringLiteral("画面が使用できないため")));
}

// A program copied away from its parts cannot open its window: it says which part it misses instead of
// crashing, and a macro given on the command line still runs (the run needs no part).
TEST(EndToEnd, WithoutItsPartTheEditorSaysWhyAndMacrosStillRun) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("QuillonMacro"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QM_PROGRAM), program));
    QProcess editor;
    editor.start(program, {});
    ASSERT_TRUE(editor.waitForFinished(15000));
    EXPECT_EQ(editor.exitCode(), 1);
    const QString error = QString::fromUtf8(editor.readAllStandardError());
    EXPECT_TRUE(error.startsWith(QStringLiteral("エディタの部品を開けません: "))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("quillonmacro-editor.so"))) << error.toStdString();

    const QString macro = dir.filePath(QStringLiteral("one.qlx"));
    {
        QFile file(macro);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("PRINT 6 * 7\r\n");
    }
    QProcess run;
    run.start(program, {macro});
    ASSERT_TRUE(run.waitForFinished(15000));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(run.readAllStandardOutput(), QByteArray("42\n終了しました。\n"));
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
