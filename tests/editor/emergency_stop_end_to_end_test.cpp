// Drives two real editors and a command-line run on one display at once: Pause, whoever holds it and with a
// key held by a macro, stops all three runs; "QuillonMacro --stop" does the same; no key is left down.
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
    {
        QFile file(macro);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("KBD VK_SHIFT, DOWN\r\nWHILE 1\r\nWEND\r\n");
    }
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

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
