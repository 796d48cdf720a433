// Tests of the emergency stop shared by several runs on one display: the real Pause grab of the private X
// display and the real shared counter in a private runtime folder; and where the counter may live.
#include "common/emergency_stop.h"
#include "common/private_runtime_folder.h"
#include "desktop_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <string>

using namespace desktop_testing;

namespace {

// XDG_RUNTIME_DIR pointed at a private folder of the test's for the life of the object.
class TestRuntimeFolder {
  public:
    TestRuntimeFolder() {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old != nullptr) old_ = old, hadOld_ = true;
        chmod(folder_.path().toUtf8().constData(), 0700);
        setenv("XDG_RUNTIME_DIR", folder_.path().toUtf8().constData(), 1);
    }
    ~TestRuntimeFolder() {
        if (hadOld_)
            setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }
    std::string Path() const { return folder_.path().toStdString(); }

  private:
    QTemporaryDir folder_;
    std::string old_;
    bool hadOld_ = false;
};

// Two broadcasts share a counter when a raise on one is seen on the other.
bool Shared(StopBroadcast& one, StopBroadcast& other) {
    const uint64_t before = other.Count();
    one.Raise();
    return other.Count() == before + 1;
}

} // namespace

// Two runs on the display, as two programs would have them: whichever holds Pause stops both, the other
// takes the key over once the first run ends, and stops asked for between runs are not carried into the
// next one.
TEST(EmergencyStop, PauseStopsEveryRunAndTheKeyPassesOn) {
    const TestRuntimeFolder runtime;
    EmergencyStop first(CreateStopHotkey(), OpenStopBroadcast());
    EmergencyStop second(CreateStopHotkey(), OpenStopBroadcast());
    first.Begin();
    second.Begin(); // the key is the first run's: the second only watches the counter
    EXPECT_FALSE(first.TakeStop());
    EXPECT_FALSE(second.TakeStop());

    Shell("xdotool key shift+Pause");
    EXPECT_TRUE(WaitUntil([&] { return first.TakeStop(); }));
    EXPECT_TRUE(second.TakeStop());
    EXPECT_FALSE(first.TakeStop()) << "one press is one stop";
    EXPECT_FALSE(second.TakeStop());

    // The first run ends and gives the key back; the second takes it within its retry time and then stops
    // both runs by itself.
    first.End();
    Sleep(400);
    EXPECT_FALSE(second.TakeStop()); // takes the key over
    first.Begin();
    Shell("xdotool key Pause");
    EXPECT_TRUE(WaitUntil([&] { return second.TakeStop(); }));
    EXPECT_TRUE(first.TakeStop());

    // A stop while no run is going (another program's "--stop", say) does not stop the next run.
    first.End();
    second.End();
    OpenStopBroadcast()->Raise();
    first.Begin();
    EXPECT_FALSE(first.TakeStop());
    // StopAll stops the other runs and not its own a second time.
    second.Begin();
    second.StopAll();
    EXPECT_TRUE(first.TakeStop());
    EXPECT_FALSE(second.TakeStop());
    first.End();
    second.End();
    // Ended, nothing stops any more and the key is free for other programs.
    OpenStopBroadcast()->Raise();
    EXPECT_FALSE(first.TakeStop());
    const std::unique_ptr<StopHotkey> other = CreateStopHotkey();
    EXPECT_TRUE(other->Grab());
    other->Release();
}

// A run without a desktop key still stops when another run is told to stop everything.
TEST(EmergencyStop, ARunWithoutTheKeyStopsWithTheOthers) {
    const TestRuntimeFolder runtime;
    EmergencyStop keyless(nullptr, OpenStopBroadcast());
    keyless.Begin();
    EXPECT_FALSE(keyless.TakeStop());
    OpenStopBroadcast()->Raise();
    EXPECT_TRUE(keyless.TakeStop());
    EXPECT_FALSE(keyless.TakeStop());
}

// The counter is shared only through a folder and a file that are the user's own and private; a link or a
// folder others can write to is not used (a process-local counter takes its place).
TEST(EmergencyStop, TheCounterLivesOnlyInAPrivateFolder) {
    const TestRuntimeFolder runtime;
    {
        auto one = OpenStopBroadcast();
        auto other = OpenStopBroadcast();
        EXPECT_TRUE(Shared(*one, *other));
    }
    const std::string counter =
        runtime.Path() + "/quillonmacro-stop-" + DesktopNameOf(nullptr, std::getenv("DISPLAY"));
    struct stat info {};
    ASSERT_EQ(stat(counter.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // The counter's name taken by a link: not followed, not shared.
    ASSERT_EQ(unlink(counter.c_str()), 0);
    const std::string elsewhere = runtime.Path() + "/elsewhere";
    ASSERT_EQ(symlink(elsewhere.c_str(), counter.c_str()), 0);
    {
        auto one = OpenStopBroadcast();
        auto other = OpenStopBroadcast();
        EXPECT_FALSE(Shared(*one, *other));
        EXPECT_NE(access(elsewhere.c_str(), F_OK), 0) << "nothing was created through the link";
    }
    ASSERT_EQ(unlink(counter.c_str()), 0);

    // A runtime folder others may enter is passed over for the user's own folder in /tmp.
    chmod(runtime.Path().c_str(), 0755);
    {
        auto one = OpenStopBroadcast();
        auto other = OpenStopBroadcast();
        EXPECT_TRUE(Shared(*one, *other));
        EXPECT_NE(access(counter.c_str(), F_OK), 0);
    }
    chmod(runtime.Path().c_str(), 0700);
}

TEST(EmergencyStop, EachDesktopHasItsOwnCounterName) {
    EXPECT_EQ(DesktopNameOf("wayland-1", ":0"), "wayland-1");
    EXPECT_EQ(DesktopNameOf("", ":3.0"), ":3");
    EXPECT_EQ(DesktopNameOf(nullptr, ":3"), ":3");
    EXPECT_EQ(DesktopNameOf(nullptr, "host.example:10.1"), "host.example:10");
    EXPECT_EQ(DesktopNameOf(nullptr, nullptr), "none");
    EXPECT_EQ(DesktopNameOf("../../etc/x", nullptr), ".._.._etc_x");
    EXPECT_EQ(DesktopNameOf("..", nullptr), "_");
    EXPECT_EQ(DesktopNameOf(std::string(200, 'w').c_str(), nullptr).size(), 63u);
}
