// Drives two real editors and a command-line run on one display at once: Pause, whoever holds it and with a
// key held by a macro, stops all three runs; "QuillonMacro --stop" does the same; no key is left down. A
// stop asked for while a built-in works for seconds without a turn for the window is kept until it ends.
#include "program_driver.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Xlib after GoogleTest and Qt, whose names its macros (None, Bool, Status) would break.
#include "x_key_state.h"

using namespace program_driver;

namespace {

// An editor running an endless macro: its message window is up while the run goes on.
struct RunningEditor {
    Installation installed;
    std::unique_ptr<QProcess> process;
    qint64 pid = 0;

    bool Start(const QString& name) {
        process = installed.Start();
        if (!process) return false;
        pid = process->processId();
        Activate(MainWindow(pid));
        TypeLines(
            {QStringLiteral("MES \"%1\"").arg(name), QStringLiteral("WHILE 1"), QStringLiteral("WEND")});
        return RunAgain();
    }
    bool RunAgain() const {
        Activate(MainWindow(pid));
        Key(QStringLiteral("F5"));
        return WaitFor([&] { return Windows(pid).size() == 2; });
    }
    bool Running() const { return Windows(pid).size() == 2; }
    bool Stopped() const {
        return WaitFor([&] { return Windows(pid).size() == 1; }, 5000);
    }
    ~RunningEditor() {
        if (process) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A WAV file of 23 minutes at 8,000 samples a second, 8 bits, one channel: opening it converts the whole
// sound to the output's 44,100 stereo 16-bit samples (nearly the bound of 256 MB) before SOUND answers,
// seconds of work without a turn for the window.
QByteArray LongLowRateWave() {
    const quint32 samples = 8000 * 1400;
    const auto little = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
        return out;
    };
    QByteArray body = "WAVEfmt " + little(16, 4) + little(1, 2) + little(1, 2) + little(8000, 4) +
                      little(8000, 4) + little(1, 2) + little(8, 2) + "data" + little(samples, 4);
    QByteArray wave(static_cast<qsizetype>(samples), '\0');
    for (qsizetype i = 0; i < wave.size(); ++i) wave[i] = static_cast<char>((i * 7) & 0xFF);
    body += wave;
    return "RIFF" + little(static_cast<quint32>(body.size()), 4) + body;
}

// A command-line run of an endless macro that holds Shift; true once it holds the key.
bool StartHoldingRun(QProcess& run, const QString& program, const QString& macro) {
    run.start(program, {macro});
    return run.waitForStarted(10000) && WaitFor([&] { return AnyKeyDown(); });
}

} // namespace

TEST(EmergencyStopEndToEnd, PauseAndStopOptionStopEveryRunOfTheDesktop) {
    RunningEditor first;
    RunningEditor second;
    ASSERT_TRUE(first.Start(QStringLiteral("first")));
    ASSERT_TRUE(second.Start(QStringLiteral("second")));
    QTemporaryDir dir;
    const QString macro = dir.filePath(QStringLiteral("holding.qlx"));
    WriteFile(macro, "KBD VK_SHIFT, DOWN\r\nWHILE 1\r\nWEND\r\n");
    const QString program = first.installed.program;
    QProcess run;
    ASSERT_TRUE(StartHoldingRun(run, program, macro));
    ASSERT_TRUE(first.Running());
    ASSERT_TRUE(second.Running());

    // Pause pressed: every run stops, the command line's with status 100, and no key stays down.
    const auto pauseStopsAll = [&] {
        Tool({QStringLiteral("key"), QStringLiteral("Pause")});
        EXPECT_TRUE(first.Stopped());
        EXPECT_TRUE(second.Stopped());
        ASSERT_TRUE(run.waitForFinished(5000));
        EXPECT_EQ(run.exitCode(), 100);
        EXPECT_FALSE(AnyKeyDown());
    };
    // The first editor holds the key; Pause arrives as Shift+Pause while the command-line run holds Shift.
    pauseStopsAll();

    // Now the second editor runs first and holds the key, the command line's run is the last to start.
    ASSERT_TRUE(second.RunAgain());
    ASSERT_TRUE(first.RunAgain());
    ASSERT_TRUE(StartHoldingRun(run, program, macro));
    pauseStopsAll();

    // "--stop" from another program (a key of the user's own desktop settings, say) stops them all too.
    ASSERT_TRUE(first.RunAgain());
    ASSERT_TRUE(StartHoldingRun(run, program, macro));
    QProcess stop;
    stop.start(program, {QStringLiteral("--stop")});
    ASSERT_TRUE(stop.waitForFinished(10000));
    EXPECT_EQ(stop.exitCode(), 0);
    EXPECT_TRUE(stop.readAll().isEmpty());
    EXPECT_TRUE(first.Stopped());
    ASSERT_TRUE(run.waitForFinished(5000));
    EXPECT_EQ(run.exitCode(), 100);
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_FALSE(second.Running()) << "an idle editor stays idle";
}

// A run busy in a long built-in (a sound converted as it opens) cannot look at its stop requests until the
// built-in returns. Esc and Pause pressed then are kept: the run stops right after it, in the editor and
// on the command line. A macro line after the open marks a run that went on past it.
TEST(EmergencyStopEndToEnd, AStopDuringALongBuiltInIsKeptUntilItEnds) {
    QTemporaryDir dir;
    const QString sound = dir.filePath(QStringLiteral("long.wav"));
    WriteFile(sound, LongLowRateWave());
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", dir.filePath(QStringLiteral("sound.raw")).toUtf8());
    // The macro's file, a file it makes before the open, and one it makes after it.
    struct Opening {
        QString path, started, wentOn;
    };
    const auto macroOpening = [&](const QString& name) {
        const Opening o{dir.filePath(name + QStringLiteral(".qlx")),
                        dir.filePath(name + QStringLiteral(".started")),
                        dir.filePath(name + QStringLiteral(".went-on"))};
        WriteFile(o.path, QStringLiteral("DIM x\r\nMES \"%1\"\r\nWAIT 300\r\nSHELL \"touch %2\"\r\n"
                                         "WAIT 300\r\nx = SOUND(\"open\", \"%3\")\r\nSHELL \"touch %4\"\r\n"
                                         "WHILE 1\r\nWEND\r\n")
                              .arg(name, o.started, sound, o.wentOn)
                              .toUtf8());
        return o;
    };

    // Esc in the editor, pressed while the sound is being made.
    const Opening esc = macroOpening(QStringLiteral("esc"));
    Installation installed;
    std::unique_ptr<QProcess> editor = installed.Start({QStringLiteral("--edit"), esc.path});
    ASSERT_TRUE(editor);
    const qint64 pid = editor->processId();
    Activate(MainWindow(pid));
    Key(QStringLiteral("F5"));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(esc.started); }));
    Activate(MainWindow(pid));
    Key(QStringLiteral("Escape"));
    ASSERT_FALSE(QFile::exists(esc.wentOn)) << "the sound opened before Esc: too quick to test";
    EXPECT_TRUE(WaitFor([&] { return Windows(pid).size() == 1; }, 60000)) << "the Esc was lost";

    // Pause, while both an editor and a command-line run are making the sound.
    const Opening pause = macroOpening(QStringLiteral("pause"));
    const Opening line = macroOpening(QStringLiteral("line"));
    editor->kill();
    editor->waitForFinished(5000);
    editor = installed.Start({QStringLiteral("--edit"), pause.path});
    ASSERT_TRUE(editor);
    const qint64 second = editor->processId();
    Activate(MainWindow(second));
    Key(QStringLiteral("F5"));
    QProcess run;
    run.start(installed.program, {line.path});
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(pause.started) && QFile::exists(line.started); }));
    QThread::msleep(400);
    Tool({QStringLiteral("key"), QStringLiteral("Pause")});
    ASSERT_FALSE(QFile::exists(pause.wentOn) || QFile::exists(line.wentOn)) << "too quick to test";
    EXPECT_TRUE(WaitFor([&] { return Windows(second).size() == 1; }, 60000)) << "the editor lost the Pause";
    ASSERT_TRUE(run.waitForFinished(60000)) << "the command-line run lost the Pause";
    EXPECT_EQ(run.exitCode(), 100);
    editor->kill();
    editor->waitForFinished(5000);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
