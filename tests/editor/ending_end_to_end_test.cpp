// Drives the real QuillonMacro program to show how it ends without a user: a stop signal during a run that
// holds Shift ends the program within seconds with the key let go, the buffer file gone and the typed text
// kept in a recovery copy that the next start offers; an X server that dies under a running editor ends it
// without a crash, again with the copy kept and the buffer file gone.
#include "private_x_server.h"
#include "program_driver.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

// Xlib after GoogleTest and Qt, whose names its macros (None, Bool, Status) would break.
#include "x_key_state.h"

#include <csignal>

using namespace program_driver;

namespace {

const QStringList kHoldingMacro = {QStringLiteral("KBD VK_SHIFT, DOWN"), QStringLiteral("PRINT \"held\""),
                                   QStringLiteral("WHILE 1"), QStringLiteral("WEND")};

// Types the macro into a new editor and runs it; true once the run holds Shift down.
bool TypeAndRunTheHoldingMacro(qint64 pid) {
    Activate(MainWindow(pid));
    TypeLines(kHoldingMacro);
    Key(QStringLiteral("F5"));
    return WaitFor([] { return AnyKeyDown(); });
}

struct Ending {
    bool ended = false;
    qint64 ms = -1; // from the first signal to the program's end
    QProcess::ExitStatus status = QProcess::CrashExit;
};

Ending SendSignals(QProcess& editor, const std::vector<int>& sent) {
    Ending ending;
    QElapsedTimer timer;
    timer.start();
    for (int number : sent) ::kill(static_cast<pid_t>(editor.processId()), number);
    ending.ended = editor.waitForFinished(15000);
    ending.ms = timer.elapsed();
    ending.status = editor.exitStatus();
    if (!ending.ended) {
        editor.kill();
        editor.waitForFinished(5000);
    }
    return ending;
}

QStringList BuffersLeft(const Installation& installed) {
    return QDir(QFileInfo(installed.buffer).path()).entryList({QStringLiteral("macrobuf*")}, QDir::Files);
}

} // namespace

TEST(EndingEndToEnd, AStopSignalStopsTheRunAndTheTextComesBack) {
    const Installation installed;
    std::unique_ptr<QProcess> editor = installed.Start();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(TypeAndRunTheHoldingMacro(editor->processId()));
    ASSERT_TRUE(QFile::exists(installed.buffer));
    // At once: typing ended well within the time after which the copy would be written anyway.
    const Ending ending = SendSignals(*editor, {SIGTERM});
    ASSERT_TRUE(ending.ended) << "the program is still running 15 s after SIGTERM";
    EXPECT_EQ(ending.status, QProcess::NormalExit);
    EXPECT_LT(ending.ms, 5000);
    std::printf("[ measured ] SIGTERM during a run: the editor ended after %lld ms\n",
                static_cast<long long>(ending.ms));
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_TRUE(BuffersLeft(installed).isEmpty()) << BuffersLeft(installed).join(u' ').toStdString();
    EXPECT_TRUE(installed.SomeCopyIs(CopyBytes(kHoldingMacro.join(u'\n'))));

    // The next start offers the text, and it is the text typed (seen through a run's buffer file).
    std::unique_ptr<QProcess> again = installed.Start();
    ASSERT_TRUE(again);
    ASSERT_TRUE(RestoreWithEnter(again->processId()));
    EXPECT_EQ(TextThroughARun(again->processId(), installed),
              (kHoldingMacro.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    ASSERT_TRUE(WaitFor([] { return AnyKeyDown(); }));
    const Ending second = SendSignals(*again, {SIGTERM});
    EXPECT_TRUE(second.ended);
    EXPECT_FALSE(AnyKeyDown());
}

// A closed terminal, Ctrl+\ and Ctrl+C ask for the same end; a second SIGTERM at once only repeats the
// request and must not cut the release short.
TEST(EndingEndToEnd, EveryStopSignalEndsTheSameWay) {
    const std::vector<std::vector<int>> signalSets = {{SIGHUP}, {SIGQUIT}, {SIGINT}, {SIGTERM, SIGTERM}};
    for (const std::vector<int>& sent : signalSets) {
        SCOPED_TRACE(::testing::Message()
                     << "first signal " << sent.front() << ", " << sent.size() << " in all");
        const Installation installed;
        std::unique_ptr<QProcess> editor = installed.Start();
        ASSERT_TRUE(editor);
        ASSERT_TRUE(TypeAndRunTheHoldingMacro(editor->processId()));
        const Ending ending = SendSignals(*editor, sent);
        ASSERT_TRUE(ending.ended);
        EXPECT_EQ(ending.status, QProcess::NormalExit);
        EXPECT_LT(ending.ms, 5000);
        EXPECT_FALSE(AnyKeyDown());
        EXPECT_TRUE(BuffersLeft(installed).isEmpty());
        EXPECT_TRUE(installed.SomeCopyIs(CopyBytes(kHoldingMacro.join(u'\n'))));
    }
}

// An idle editor with a question open (closing asked about the unsaved text) ends on SIGTERM without an
// answer, and the question's closing does not count as "drop the text".
TEST(EndingEndToEnd, AnOpenQuestionDoesNotHoldTheEndNorDropTheText) {
    const Installation installed;
    std::unique_ptr<QProcess> editor = installed.Start();
    ASSERT_TRUE(editor);
    const qint64 pid = editor->processId();
    Activate(MainWindow(pid));
    TypeLines({QStringLiteral("PRINT \"unsaved\"")});
    Key(QStringLiteral("ctrl+F4"));
    ASSERT_TRUE(WaitFor([&] { return !Windows(pid, QStringLiteral("^QuillonMacro$")).isEmpty(); }));
    const Ending ending = SendSignals(*editor, {SIGTERM});
    ASSERT_TRUE(ending.ended);
    EXPECT_EQ(ending.status, QProcess::NormalExit);
    EXPECT_TRUE(installed.SomeCopyIs(CopyBytes(QStringLiteral("PRINT \"unsaved\""))));
}

// The restore question of a starting editor is open when the signal comes: the copy it offered was nobody's
// to drop, so the next start offers it again.
TEST(EndingEndToEnd, TheCopyOfferedAtTheEndStaysForTheNextStart) {
    const Installation installed;
    const QString text = QStringLiteral("PRINT \"left by a dead editor\"");
    ASSERT_TRUE(QDir().mkpath(installed.recovery));
    QFile copy(
        QDir(installed.recovery).filePath(QStringLiteral("5a1e0b6c-1d2e-4f30-9a8b-7c6d5e4f3a2b.recovery")));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.write(CopyBytes(text));
    copy.close();

    std::unique_ptr<QProcess> editor = installed.Start();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(
        WaitFor([&] { return !Windows(editor->processId(), QStringLiteral("^QuillonMacro$")).isEmpty(); }));
    const Ending ending = SendSignals(*editor, {SIGTERM});
    ASSERT_TRUE(ending.ended);
    EXPECT_EQ(ending.status, QProcess::NormalExit);
    EXPECT_TRUE(installed.SomeCopyIs(CopyBytes(text)));

    std::unique_ptr<QProcess> again = installed.Start();
    ASSERT_TRUE(again);
    ASSERT_TRUE(RestoreWithEnter(again->processId()));
    again->kill();
    again->waitForFinished(5000);
}

// The recovery folder cannot take the copy (a file stands in its place): the log says so once, and a stop
// signal puts the copy into the fallback folder in the runtime folder, says where on standard error, and the
// next start offers it.
TEST(EndingEndToEnd, ACopyTheFolderRefusesGoesToAFallbackAtTheEnd) {
    const Installation installed;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(installed.recovery).path()));
    ASSERT_TRUE(QFile(installed.recovery).open(QIODevice::WriteOnly));
    const auto start = [&] {
        auto editor = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), installed.state.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        editor->setProcessEnvironment(env);
        editor->start(installed.program);
        return editor;
    };
    std::unique_ptr<QProcess> editor = start();
    ASSERT_TRUE(WaitFor([&] { return !MainWindow(editor->processId()).isEmpty(); }));
    Activate(MainWindow(editor->processId()));
    TypeLines({QStringLiteral("PRINT \"nowhere else\"")});
    QThread::msleep(2500); // the copy is tried once typing pauses
    const Ending ending = SendSignals(*editor, {SIGTERM});
    ASSERT_TRUE(ending.ended);
    const QString errors = QString::fromUtf8(editor->readAllStandardError());
    const QString fallback = QDir(runtime.path()).filePath(QStringLiteral("quillonmacro-recovery"));
    EXPECT_TRUE(errors.contains(QStringLiteral("編集中のマクロの控えを書き込みました。 - ") + fallback))
        << errors.toStdString();
    const QStringList copies = QDir(fallback).entryList({QStringLiteral("*.recovery")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(ReadAll(QDir(fallback).filePath(copies.first())),
              CopyBytes(QStringLiteral("PRINT \"nowhere else\"")));

    std::unique_ptr<QProcess> again = start();
    ASSERT_TRUE(RestoreWithEnter(again->processId()));
    EXPECT_EQ(TextThroughARun(again->processId(), installed), QByteArray("PRINT \"nowhere else\"\r\n"));
    again->kill();
    again->waitForFinished(5000);
}

// The display goes away under an editor that runs a macro: Qt ends the program by itself (status 1); our own
// connections to the dead server must not turn that into a crash, the copy of the text stays and the buffer
// file goes.
TEST(EndingEndToEnd, AnEditorWhoseServerDiesEndsWithoutACrash) {
    const QByteArray testDisplay = qgetenv("DISPLAY");
    PrivateXServer server;
    ASSERT_FALSE(server.Name().isEmpty());
    qputenv("DISPLAY", server.Name().toLatin1()); // the editor and xdotool both go to the private server
    const Installation installed;
    std::unique_ptr<QProcess> editor = installed.Start();
    ASSERT_TRUE(editor);
    const qint64 pid = editor->processId();
    // No window manager on this server: the focus is set directly.
    Tool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), MainWindow(pid)});
    const QStringList lines = {QStringLiteral("DIM c"), QStringLiteral("WHILE 1"),
                               QStringLiteral("c = GETCOLOR(1, 1)"), QStringLiteral("WEND")};
    TypeLines(lines);
    ASSERT_TRUE(WaitFor([&] { return installed.SomeCopyIs(CopyBytes(lines.join(u'\n'))); }));
    Key(QStringLiteral("F5"));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(installed.buffer); }));
    QThread::msleep(300);
    QElapsedTimer timer;
    server.Kill();
    timer.start();
    const bool ended = editor->waitForFinished(15000);
    const qint64 ms = timer.elapsed();
    qputenv("DISPLAY", testDisplay);
    ASSERT_TRUE(ended);
    std::printf("[ measured ] X server killed during a run: the editor ended after %lld ms\n",
                static_cast<long long>(ms));
    EXPECT_LT(ms, 5000);
    EXPECT_EQ(editor->exitStatus(), QProcess::NormalExit) << "ended by a signal: a crash";
    EXPECT_TRUE(installed.SomeCopyIs(CopyBytes(lines.join(u'\n'))));
    EXPECT_TRUE(BuffersLeft(installed).isEmpty());
}

int main(int argc, char** argv) {
    // A test started in the background of a script inherits SIGINT and SIGQUIT ignored, and the editor keeps
    // signals it was started with ignored: its start gets them back.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGQUIT, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
