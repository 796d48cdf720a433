// Pause on sway: a run binds Pause in sway itself (no Wayland client can take a key from the others), a
// press through the keyboard stops every run of the user's, and the binding goes when the run ends; a
// user's own Pause binding is left alone.
#include "desktop_platform_factory.h"
#include "sway_ipc.h"
#include "sway_stop_key.h"
#include "sway_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

namespace {

constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkPause = 0x13;

#define REQUIRE_SWAY()                                                                                       \
    if (!SwayRunning()) GTEST_SKIP() << "needs run-with-sway.sh"

// An endless macro run as sway's own user (sway runs the binding's command as that user, who must be the
// one whose runs it stops), with the environment a program started in the session has.
class SwayUserRun {
  public:
    bool Start() {
        chmod(dir_.path().toUtf8().constData(), 0755);
        const QString macro = dir_.filePath(QStringLiteral("endless.qlx"));
        QFile file(macro);
        if (!file.open(QIODevice::WriteOnly)) return false;
        file.write("PRINT \"started\"\nWHILE 1\nWEND\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
        process_.start(QStringLiteral("setpriv"),
                       {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                        QStringLiteral("--clear-groups"), QStringLiteral(QM_PROGRAM), macro});
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000 && process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(50);
            if (process_.peek(100).contains("started")) return true;
        }
        return false;
    }
    // The exit status once the run has ended within five seconds, else -1.
    int Ended() {
        if (!process_.waitForFinished(5000)) return -1;
        return process_.exitCode();
    }
    ~SwayUserRun() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

  private:
    QTemporaryDir dir_;
    QProcess process_;
};

void Press(DesktopPlatform& platform, uint8_t key) {
    platform.SendKeyEvent(key, 0, 0);
    platform.SendKeyEvent(key, DesktopPlatform::kKeyUp, 0);
}

} // namespace

TEST(SwayStop, PauseThroughTheKeyboardStopsTheRunAndTheBindingGoesWithIt) {
    REQUIRE_SWAY();
    SwayUserRun run;
    ASSERT_TRUE(run.Start());
    std::unique_ptr<DesktopPlatform> platform = CreateDesktopPlatform();
    Press(*platform, kVkPause);
    EXPECT_EQ(run.Ended(), 100);

    // Again with Shift held down, as a macro that holds it would have it.
    SwayUserRun held;
    ASSERT_TRUE(held.Start());
    platform->SendKeyEvent(kVkShift, 0, 0);
    Press(*platform, kVkPause);
    platform->SendKeyEvent(kVkShift, DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(held.Ended(), 100);
    SwayIpc sway;
    EXPECT_FALSE(sway.Run("unbindsym --no-repeat Pause")) << "the binding outlived the run";
}

TEST(SwayStop, AUsersOwnPauseBindingIsLeftAlone) {
    REQUIRE_SWAY();
    SwayIpc sway;
    EXPECT_FALSE(SwayConfigBindsPause(SwayText(sway.Ask(SwayIpc::kGetConfig), "/config")));
    // The configuration is read, not the bindings made since: a binding of the user's is in the file.
    EXPECT_TRUE(SwayConfigBindsPause("set $mod Mod4\nbindsym --to-code $mod+Pause exec foo\n"));
    EXPECT_TRUE(SwayConfigBindsPause("  bindsym pause mode passthrough\n"));
    EXPECT_FALSE(SwayConfigBindsPause("bindsym $mod+p exec pause-music\n# bindsym Pause exec x\n"));
    EXPECT_FALSE(SwayConfigBindsPause("bindcode 127 exec x\nexec Pause\n"));
}

TEST(SwayStopParts, TheBindingsCoverEveryModifierAndOnlyPlainPaths) {
    const std::string bind = SwayStopBindCommands("/usr/bin/QuillonMacro");
    EXPECT_EQ(std::count(bind.begin(), bind.end(), ';'), 15);
    EXPECT_NE(bind.find("bindsym --no-repeat Pause exec /usr/bin/QuillonMacro --stop"), std::string::npos);
    EXPECT_NE(bind.find("bindsym --no-repeat Shift+Control+Mod1+Mod4+Pause exec"), std::string::npos);
    const std::string unbind = SwayStopUnbindCommands();
    EXPECT_EQ(std::count(unbind.begin(), unbind.end(), ';'), 15);
    EXPECT_NE(unbind.find("unbindsym --no-repeat Shift+Pause"), std::string::npos);
    // sway's exec would not keep such a path whole: no binding rather than a wrong one.
    EXPECT_EQ(SwayStopBindCommands("/home/user/my tools/QuillonMacro"), "");
    EXPECT_EQ(SwayStopBindCommands("/opt/q;rm -rf x/QuillonMacro"), "");
    EXPECT_EQ(SwayStopBindCommands(""), "");
}
