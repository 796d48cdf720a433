// Tests of the command-line run whose X server goes away in the middle: on a display of the test's own, a
// macro loops on a desktop function (holding a key down first), the server is killed, and the run must end
// soon with code 7 and its own Japanese lines, no line of Xlib's, and no buffer file left behind.
#include "private_x_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <string>

namespace {

// What the test measures of one run.
struct LossOutcome {
    bool started = false;
    bool ended = false;
    qint64 endMs = -1; // from the kill of the server to the end of the program
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    std::string out;
    std::string err;
    QStringList buffersLeft;
};

// Runs a copy of the program laid out as installed in a folder of its own (so its buffer file is this
// test's) on a private display, kills the server once the loop is going, and waits for the program to end.
// `before` is a first line of the macro.
LossOutcome RunWhileTheServerDies(const QString& loopedCall, const QString& before = {}) {
    LossOutcome outcome;
    QTemporaryDir prefix;
    PrivateXServer server;
    if (!prefix.isValid() || server.Name().isEmpty()) return outcome;
    QDir(prefix.path()).mkpath(QStringLiteral("bin"));
    const QString parts = prefix.filePath(QStringLiteral(QM_PARTS_DIR));
    QDir().mkpath(QFileInfo(parts).path());
    QFile::link(QStringLiteral(QM_PARTS_OUTPUT_DIR), parts);
    const QDir dir(prefix.filePath(QStringLiteral("bin")));
    const QString program = dir.filePath(QStringLiteral("QuillonMacro"));
    QFile::copy(QStringLiteral(QM_PROGRAM), program);
    const QString macro = dir.filePath(QStringLiteral("loop.qlx"));
    QFile file(macro);
    if (!file.open(QIODevice::WriteOnly)) return outcome;
    file.write(QStringLiteral("%2\nDIM c\nKBD VK_SHIFT, DOWN\nPRINT \"started\"\nWHILE 1\n%1\nWEND\n")
                   .arg(loopedCall, before)
                   .toUtf8());
    file.close();

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), server.Name());
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    run.setProcessEnvironment(environment);
    run.start(program, {macro});
    QElapsedTimer waited;
    waited.start();
    while (!outcome.started && waited.elapsed() < 20000 && run.state() != QProcess::NotRunning) {
        run.waitForReadyRead(50);
        outcome.started = run.peek(100).contains("started");
    }
    if (!outcome.started) {
        run.kill();
        run.waitForFinished();
        return outcome;
    }
    QThread::msleep(300); // well into the loop
    QElapsedTimer sinceKill;
    server.Kill();
    sinceKill.start();
    outcome.ended = run.waitForFinished(20000);
    outcome.endMs = sinceKill.elapsed();
    if (!outcome.ended) {
        run.kill();
        run.waitForFinished();
    }
    outcome.exitStatus = run.exitStatus();
    outcome.exitCode = run.exitCode();
    outcome.out = run.readAllStandardOutput().toStdString();
    outcome.err = run.readAllStandardError().toStdString();
    outcome.buffersLeft = QDir(dir.path()).entryList({QStringLiteral("macrobuf*")}, QDir::Files);
    return outcome;
}

} // namespace

TEST(DisplayLoss, ARunWhoseServerDiesEndsWithCodeSevenAndItsOwnLines) {
    const std::vector<std::pair<QString, std::string>> loops = {
        {QStringLiteral("c = GETCOLOR(1, 1)"), "GETCOLOR"},
        {QStringLiteral("KBD VK_A, UP"), "KBD"},
        {QStringLiteral("MUS MOVE, 1, 1"), "MUS"},
        {QStringLiteral("c = GETKEYSTATE(VK_A)"), "GETKEYSTATE"},
    };
    for (const auto& [call, name] : loops) {
        SCOPED_TRACE(call.toStdString());
        const LossOutcome r = RunWhileTheServerDies(call);
        ASSERT_TRUE(r.started) << r.err;
        ASSERT_TRUE(r.ended) << "still running 20 s after the server was killed";
        EXPECT_LT(r.endMs, 3000);
        EXPECT_EQ(r.exitStatus, QProcess::NormalExit);
        EXPECT_EQ(r.exitCode, 7);
        EXPECT_EQ(r.out, "started\n終了しました。\n");
        EXPECT_EQ(r.err, "関数の呼び出しが不正です\n画面との接続が切れたため、この関数は実行できません - " +
                             name + "\n行=6\n");
        EXPECT_TRUE(r.buffersLeft.isEmpty()) << r.buffersLeft.join(u' ').toStdString();
        std::printf("[ measured ] %s: the program ended %lld ms after the server was killed\n", name.c_str(),
                    static_cast<long long>(r.endMs));
    }
}

// A run that has shown a dialog has Qt connected to the server too: Qt's own handling of a lost server (which
// ends the program with Xlib's English message) gives way to the run's, and the run ends as without Qt.
TEST(DisplayLoss, AfterADialogTheRunStillEndsWithCodeSevenAndItsOwnLines) {
    const LossOutcome r =
        RunWhileTheServerDies(QStringLiteral("c = GETCOLOR(1, 1)"), QStringLiteral("MES \"x\""));
    ASSERT_TRUE(r.started) << r.err;
    ASSERT_TRUE(r.ended) << "still running 20 s after the server was killed";
    EXPECT_EQ(r.exitStatus, QProcess::NormalExit);
    EXPECT_EQ(r.exitCode, 7);
    EXPECT_EQ(r.out, "started\n終了しました。\n");
    EXPECT_EQ(
        r.err,
        "関数の呼び出しが不正です\n画面との接続が切れたため、この関数は実行できません - GETCOLOR\n行=6\n");
    EXPECT_TRUE(r.buffersLeft.isEmpty()) << r.buffersLeft.join(u' ').toStdString();
}
