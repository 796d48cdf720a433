// Drives the real QuillonMacro program on the test display with synthetic X events (xdotool): types a macro,
// runs it with F5, sees the message window and the buffer file, stops the endless loop with Pause while
// another program has the focus, runs again, and closes the window answering the unsaved-text question.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString Tool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QThread::msleep(50);
    }
    return true;
}

// The visible windows of the program, by xdotool's search on the process id.
QStringList VisibleWindows(qint64 pid) {
    const QString out = Tool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                              QStringLiteral("--pid"), QString::number(pid)});
    return out.isEmpty() ? QStringList() : out.split(u'\n');
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Key(const QString& key) {
    Tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}

} // namespace

TEST(EndToEnd, TypeRunStopWithPauseAndClose) {
    // A copy of the program in a folder of its own, so its buffer file is private to this test, laid out as
    // installed: the program in bin/, its separately loaded parts (the built ones) in the parts folder.
    QTemporaryDir prefix;
    const QString parts = prefix.filePath(QStringLiteral(QM_PARTS_DIR));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(parts).path()));
    ASSERT_TRUE(QFile::link(QStringLiteral(QM_PARTS_OUTPUT_DIR), parts));
    const QDir dir(prefix.filePath(QStringLiteral("bin")));
    const QString program = dir.filePath(QStringLiteral("QuillonMacro"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QM_PROGRAM), program));
    const QString buffer = dir.filePath(QStringLiteral("macrobuf.qlx"));

    QProcess editor;
    editor.start(program, {});
    ASSERT_TRUE(editor.waitForStarted(10000));
    const qint64 pid = editor.processId();
    ASSERT_TRUE(WaitFor([&] { return VisibleWindows(pid).size() == 1; }));
    const QString mainWindow = VisibleWindows(pid).first();
    Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), mainWindow});
    QThread::msleep(300);

    const QStringList lines = {QStringLiteral("MES \"e2e\""), QStringLiteral("PRINT 7"),
                               QStringLiteral("WHILE 1"), QStringLiteral("WEND")};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) Key(QStringLiteral("Return"));
        Tool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), lines[i]});
    }
    Key(QStringLiteral("F5"));
    // The message window appears beside the main window while the loop runs.
    ASSERT_TRUE(WaitFor([&] { return VisibleWindows(pid).size() == 2; }));
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
    EXPECT_TRUE(WaitFor([&] { return VisibleWindows(pid).size() == 1; }));
    xterm.kill();
    xterm.waitForFinished(5000);

    // Idle again: F5 runs the macro a second time, Pause stops it again.
    Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), mainWindow});
    QThread::msleep(300);
    Key(QStringLiteral("F5"));
    ASSERT_TRUE(WaitFor([&] { return VisibleWindows(pid).size() == 2; }));
    Key(QStringLiteral("Pause"));
    EXPECT_TRUE(WaitFor([&] { return VisibleWindows(pid).size() == 1; }));

    // Ctrl+F4 closes; the text is unsaved, so the question comes, answered "いいえ(&N)" by its mnemonic.
    Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), mainWindow});
    Key(QStringLiteral("ctrl+F4"));
    ASSERT_TRUE(WaitFor([&] { return VisibleWindows(pid).size() == 2; }));
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

TEST(EndToEnd, EditOpensTheFileInTheEditorWithoutRunningIt) {
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("ran"));
    const QString macro = dir.filePath(QStringLiteral("自分のマクロ.qlx"));
    {
        QFile file(macro);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("SHELL \"/usr/bin/touch %1\"\r\n").arg(marker).toUtf8());
    }
    QProcess editor;
    editor.start(QStringLiteral(QM_PROGRAM), {QStringLiteral("--edit"), macro});
    ASSERT_TRUE(editor.waitForStarted(10000));
    const qint64 pid = editor.processId();
    ASSERT_TRUE(WaitFor([&] { return VisibleWindows(pid).size() == 1; }));
    const QString window = VisibleWindows(pid).first();
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
