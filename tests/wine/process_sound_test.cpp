// Tests of the Win32 platform's program start with window styles, its millisecond clock and its MCI command
// strings, on a real Windows desktop (Wine on the build machine).
#include "image_files.h"
#include "test_window_picture.h"
#include "win32_desktop_platform.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <string>

namespace {

using WineTest::WaitUntil;

std::u16string U16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

// Starts the test window through the platform and ends it afterwards.
class StartedWindow {
  public:
    StartedWindow(Win32DesktopPlatform& desktop, const std::wstring& logPath, int32_t style) {
        const std::wstring commandLine =
            L"\"" + WineTest::ProgramFolder() + L"\\qm_test_window.exe\" started \"" + logPath + L"\"";
        result = desktop.StartProcess(U16(commandLine), style, processId);
        if (result != 0) return;
        WaitUntil([&] {
            window = WineTest::FindWindowOfProcess(static_cast<DWORD>(processId), TestPicture::kClassName);
            return window != nullptr;
        });
    }
    ~StartedWindow() {
        if (processId <= 0) return;
        const HANDLE process =
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
        if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
        if (process == nullptr) return;
        if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        CloseHandle(process);
    }
    StartedWindow(const StartedWindow&) = delete;
    StartedWindow& operator=(const StartedWindow&) = delete;

    int result = -1;
    double processId = 0;
    HWND window = nullptr;
};

class ProcessSoundTest : public ::testing::Test {
  protected:
    WineTest::TemporaryFolder folder_;
    Win32DesktopPlatform desktop_;
};

TEST_F(ProcessSoundTest, StartsProgramsWithTheWindowStyleAskedFor) {
    {
        StartedWindow normal(desktop_, folder_.File(L"normal.log"), 1);
        ASSERT_EQ(normal.result, 0);
        EXPECT_GT(normal.processId, 0);
        ASSERT_NE(normal.window, nullptr) << "the started program's window belongs to the returned process";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(normal.window) && !IsIconic(normal.window); }));
    }
    {
        StartedWindow minimised(desktop_, folder_.File(L"min.log"), 2);
        ASSERT_EQ(minimised.result, 0);
        ASSERT_NE(minimised.window, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return IsIconic(minimised.window); }));
    }
    {
        StartedWindow maximised(desktop_, folder_.File(L"max.log"), 3);
        ASSERT_EQ(maximised.result, 0);
        ASSERT_NE(maximised.window, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return IsZoomed(maximised.window); }));
    }
    {
        StartedWindow hidden(desktop_, folder_.File(L"hidden.log"), 0);
        ASSERT_NE(hidden.window, nullptr);
        Sleep(200);
        EXPECT_FALSE(IsWindowVisible(hidden.window));
    }
}

TEST_F(ProcessSoundTest, RefusesInvalidStylesAndMissingPrograms) {
    double processId = -7;
    EXPECT_EQ(desktop_.StartProcess(u"cmd.exe /c exit 0", 5, processId), 5);
    EXPECT_EQ(desktop_.StartProcess(u"cmd.exe /c exit 0", 7, processId), 5);
    EXPECT_EQ(desktop_.StartProcess(u"qm-no-such-program-here.exe", 1, processId), 53);
    EXPECT_EQ(desktop_.StartProcess(u"C:\\qm\\no\\such\\folder\\program.exe arg", 1, processId), 53);
    EXPECT_EQ(desktop_.StartProcess(u"", 1, processId), 53);
    EXPECT_EQ(processId, -7);
    // A program found on the search path, with arguments.
    EXPECT_EQ(desktop_.StartProcess(u"cmd.exe /c exit 0", 0, processId), 0);
    EXPECT_GT(processId, 0);
}

TEST_F(ProcessSoundTest, ClockCountsMillisecondsForward) {
    const int32_t before = desktop_.MillisecondClock();
    Sleep(120);
    const int32_t after = desktop_.MillisecondClock();
    // Elapsed time taken modulo 2^32, as the waits do.
    const int32_t elapsed =
        static_cast<int32_t>(static_cast<uint32_t>(after) - static_cast<uint32_t>(before));
    EXPECT_GE(elapsed, 100);
    EXPECT_LT(elapsed, 60000);
}

TEST_F(ProcessSoundTest, MediaCommandsOpenPlayAndCloseAGeneratedSound) {
    // A Japanese file name goes through the ANSI form on a Japanese system and the wide form elsewhere.
    const std::wstring wav = folder_.File(L"音.wav");
    WineTest::WriteBytes(wav, ImageFiles::Wav(300));
    const DesktopPlatform::WaitTurn noWait;
    EXPECT_EQ(desktop_.SendMediaCommand(u"open \"" + U16(folder_.File(L"missing.wav")) + u"\" alias mysound",
                                        noWait),
              275);
    ASSERT_EQ(desktop_.SendMediaCommand(u"open \"" + U16(wav) + u"\" alias mysound", noWait), 0);
    // A second open of the same alias is refused by the media layer.
    EXPECT_NE(desktop_.SendMediaCommand(u"open \"" + U16(wav) + u"\" alias mysound", noWait), 0);
    EXPECT_EQ(desktop_.SendMediaCommand(u"close mysound", noWait), 0);
    EXPECT_NE(desktop_.SendMediaCommand(u"close mysound", noWait), 0);
    EXPECT_NE(desktop_.SendMediaCommand(u"rewind mysound", noWait), 0);
}

// The device's mode as MCI reports it ("playing", "stopped", …).
std::string DeviceMode() {
    char mode[64] = {};
    if (mciSendStringA("status mysound mode", mode, sizeof mode, nullptr) != 0) return "?";
    return mode;
}

TEST_F(ProcessSoundTest, PlayWithWaitTurnsUntilTheEndOrTheStop) {
    const std::wstring wav = folder_.File(L"tone.wav");
    WineTest::WriteBytes(wav, ImageFiles::Wav(1500));
    const DesktopPlatform::WaitTurn noWait;
    ASSERT_EQ(desktop_.SendMediaCommand(u"open \"" + U16(wav) + u"\" alias mysound", noWait), 0);
    ASSERT_EQ(desktop_.SendMediaCommand(u"play mysound from 0", noWait), 0);
    const bool plays = DeviceMode() == "playing";
    desktop_.SendMediaCommand(u"stop mysound", noWait);
    if (!plays) {
        desktop_.SendMediaCommand(u"close mysound", noWait);
        GTEST_SKIP() << "this desktop has no sound output: a played sound ends at once";
    }

    int turns = 0;
    EXPECT_EQ(desktop_.SendMediaCommand(u"play mysound from 0 wait", [&] { return ++turns > 0; }), 0);
    EXPECT_GT(turns, 1) << "the wait yields while the sound plays";
    EXPECT_NE(DeviceMode(), "playing") << "the wait lasts until the sound has ended";

    turns = 0;
    EXPECT_EQ(desktop_.SendMediaCommand(u"PLAY mysound from 0 WAIT", [&] { return ++turns < 3; }), 0);
    EXPECT_EQ(turns, 3) << "a stopped run ends the wait at once";
    EXPECT_EQ(DeviceMode(), "stopped");
    EXPECT_EQ(desktop_.SendMediaCommand(u"close mysound", noWait), 0);
}

} // namespace
