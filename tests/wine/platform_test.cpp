// Tests of Win32DesktopPlatform on a real Windows desktop (Wine on the build machine): keys and mouse into
// the test window, window search, placement, moves and system commands, pixels and screen captures, image
// files, program starts, the clock and MCI commands.
#include "absolute_mouse_space.h"
#include "image_files.h"
#include "test_window_picture.h"
#include "win32_desktop_platform.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using WineTest::TestWindow;
using WineTest::WaitUntil;

constexpr int32_t kMaximise = 0xF030;
constexpr int32_t kMinimise = 0xF020;
constexpr int32_t kRestore = 0xF120;

int32_t HandleNumber(HWND window) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
}

class DesktopTest : public ::testing::Test {
  protected:
    std::wstring LogPath() const { return folder_.File(L"window.log"); }

    WineTest::TemporaryFolder folder_;
    Win32DesktopPlatform desktop_;
};

TEST_F(DesktopTest, FindsOurWindowByClassAndExactTitle) {
    TestWindow window(L"Quillon テスト窓", LogPath());
    ASSERT_NE(window.Handle(), nullptr);
    const std::u16string className = u"QuillonTestWindow";
    const std::u16string title = u"Quillon テスト窓";
    const std::u16string otherTitle = u"Quillon テスト";
    EXPECT_EQ(desktop_.FindTopLevelWindow(className, nullptr), HandleNumber(window.Handle()));
    EXPECT_EQ(desktop_.FindTopLevelWindow(className, &title), HandleNumber(window.Handle()));
    EXPECT_EQ(desktop_.FindTopLevelWindow(className, &otherTitle), 0);
    EXPECT_EQ(desktop_.FindTopLevelWindow(u"QuillonNoSuchClass", nullptr), 0);
    // An empty class text asks for an empty class name, which no window has.
    EXPECT_EQ(desktop_.FindTopLevelWindow(u"", nullptr), 0);
    EXPECT_TRUE(desktop_.HasDisplay());
}

TEST_F(DesktopTest, MovesResizesMaximisesMinimisesAndRestores) {
    TestWindow window(L"placement", LogPath());
    ASSERT_NE(window.Handle(), nullptr);
    const int32_t handle = HandleNumber(window.Handle());
    WindowPlacement placement;
    ASSERT_TRUE(desktop_.GetPlacement(handle, placement));
    EXPECT_EQ(placement.showState, 1);

    desktop_.MoveWindow(handle, 100, 50, 400, 300);
    EXPECT_TRUE(WaitUntil([&] {
        return desktop_.GetPlacement(handle, placement) && placement.left == 100 && placement.top == 50 &&
               placement.right == 500 && placement.bottom == 350;
    })) << placement.left
        << "," << placement.top << "," << placement.right << "," << placement.bottom;
    RECT onScreen{};
    GetWindowRect(window.Handle(), &onScreen);
    EXPECT_EQ(onScreen.left, 100);
    EXPECT_EQ(onScreen.top, 50);

    desktop_.SendSystemCommand(handle, kMaximise);
    EXPECT_TRUE(
        WaitUntil([&] { return desktop_.GetPlacement(handle, placement) && placement.showState == 3; }));
    EXPECT_TRUE(IsZoomed(window.Handle()));
    desktop_.SendSystemCommand(handle, kMinimise);
    EXPECT_TRUE(
        WaitUntil([&] { return desktop_.GetPlacement(handle, placement) && placement.showState == 2; }));
    EXPECT_TRUE(IsIconic(window.Handle()));
    desktop_.SendSystemCommand(handle, kRestore);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(window.Handle()) || !IsIconic(window.Handle()); }));
    desktop_.SendSystemCommand(handle, kRestore);
    EXPECT_TRUE(
        WaitUntil([&] { return desktop_.GetPlacement(handle, placement) && placement.showState == 1; }));
    // Back in its normal place, with the size it was given.
    EXPECT_EQ(placement.right - placement.left, 400);
    EXPECT_EQ(placement.bottom - placement.top, 300);
}

TEST_F(DesktopTest, HandlesThatNameNoWindowDoNothing) {
    WindowPlacement placement;
    placement.showState = 77;
    EXPECT_FALSE(desktop_.GetPlacement(0, placement));
    EXPECT_FALSE(desktop_.GetPlacement(0x7FFFFFF0, placement));
    EXPECT_EQ(placement.showState, 77);
    desktop_.MoveWindow(0x7FFFFFF0, 0, 0, 10, 10);
    EXPECT_EQ(desktop_.SendSystemCommand(0x7FFFFFF0, kMaximise), 0);
}

TEST_F(DesktopTest, KeysReachTheForegroundWindowWithTheirExtraInformation) {
    TestWindow window(L"keys", LogPath());
    ASSERT_NE(window.Handle(), nullptr);
    ASSERT_TRUE(window.BringToFront());
    desktop_.SendKeyEvent(0x41, 0, 0);
    desktop_.SendKeyEvent(0x41, DesktopPlatform::kKeyUp, 10);
    desktop_.SendKeyEvent(0x70, 0, 0); // F1
    desktop_.SendKeyEvent(0x70, DesktopPlatform::kKeyUp, 0);
    ASSERT_TRUE(window.WaitForLogLine("key up 112 0"));
    const std::vector<std::string> keys = window.Log();
    const std::vector<std::string> expected = {"ready", "key down 65 0", "key up 65 10", "key down 112 0",
                                               "key up 112 0"};
    EXPECT_EQ(keys, expected);
}

TEST_F(DesktopTest, KeyStateTellsDownAndPressedSinceTheLastQuery) {
    TestWindow window(L"key state", LogPath());
    ASSERT_TRUE(window.BringToFront());
    constexpr uint8_t kKey = 0x42; // B
    desktop_.AsyncKeyState(kKey);
    desktop_.SendKeyEvent(kKey, 0, 0);
    ASSERT_TRUE(window.WaitForLogLine("key down 66 0"));
    const uint16_t first = desktop_.AsyncKeyState(kKey);
    const uint16_t second = desktop_.AsyncKeyState(kKey);
    EXPECT_EQ(first & 0x8000, 0x8000);
    EXPECT_EQ(second & 0x8000, 0x8000);
    EXPECT_EQ(second & 1, 0) << "the press was already reported";
    desktop_.SendKeyEvent(kKey, DesktopPlatform::kKeyUp, 0);
    ASSERT_TRUE(window.WaitForLogLine("key up 66 0"));
    EXPECT_EQ(desktop_.AsyncKeyState(kKey) & 0x8000, 0);
}

TEST_F(DesktopTest, PointerPlacementAndAbsoluteAndRelativeMoves) {
    POINT where{};
    desktop_.SetPointerPosition(300, 200);
    ASSERT_TRUE(WaitUntil([&] { return GetCursorPos(&where) && where.x == 300 && where.y == 200; }));
    int32_t readX = 0;
    int32_t readY = 0;
    ASSERT_TRUE(desktop_.PointerPosition(readX, readY));
    EXPECT_EQ(readX, 300);
    EXPECT_EQ(readY, 200);
    WineTest::LetTheDesktopSettle();

    // Small motions move pixel for pixel; larger ones follow the system's pointer acceleration.
    desktop_.SendMouseEvent(DesktopPlatform::kMouseMove, 5, -4);
    EXPECT_TRUE(WaitUntil([&] { return GetCursorPos(&where) && where.x == 305 && where.y == 196; }))
        << where.x << "," << where.y;
    desktop_.SendMouseEvent(DesktopPlatform::kMouseMove, 40, 30);
    EXPECT_TRUE(WaitUntil([&] { return GetCursorPos(&where) && where.x > 305 + 30 && where.y > 196 + 20; }))
        << where.x << "," << where.y;

    int32_t width = 0, height = 0;
    desktop_.ScreenSize(width, height);
    desktop_.SendMouseEvent(DesktopPlatform::kMouseMove | DesktopPlatform::kMouseAbsolute, 32768, 32768);
    EXPECT_TRUE(WaitUntil([&] {
        return GetCursorPos(&where) && std::abs(where.x - width / 2) <= 1 &&
               std::abs(where.y - height / 2) <= 1;
    })) << where.x
        << "," << where.y;
}

// The primary monitor the editor's aids convert against is the one mouse_event's absolute space spans: each
// pixel converted by the aids' rule comes back as that very pixel.
TEST_F(DesktopTest, PrimaryMonitorIsTheAbsoluteSpaceOfMouseEvents) {
    ScreenRect primary;
    ASSERT_TRUE(desktop_.PrimaryMonitor(primary));
    EXPECT_EQ(primary.left, 0);
    EXPECT_EQ(primary.top, 0);
    EXPECT_EQ(primary.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(primary.height, GetSystemMetrics(SM_CYSCREEN));
    const POINT pixels[] = {{0, 0},
                            {primary.width - 1, primary.height - 1},
                            {1, 1},
                            {301, 199},
                            {primary.width / 3, primary.height * 5 / 7}};
    for (const POINT pixel : pixels) {
        desktop_.SendMouseEvent(DesktopPlatform::kMouseMove | DesktopPlatform::kMouseAbsolute,
                                AbsolutePositionOfPixel(pixel.x, primary.left, primary.width),
                                AbsolutePositionOfPixel(pixel.y, primary.top, primary.height));
        POINT where{};
        EXPECT_TRUE(WaitUntil([&] {
            return GetCursorPos(&where) && where.x == pixel.x && where.y == pixel.y;
        })) << pixel.x
            << "," << pixel.y << " came to " << where.x << "," << where.y;
    }
}

TEST_F(DesktopTest, ButtonsClickWhereThePointerStands) {
    TestWindow window(L"mouse", LogPath());
    ASSERT_TRUE(window.BringToFront());
    const POINT target = window.ClientToScreenPoint(30, 40);
    desktop_.SetPointerPosition(target.x, target.y);
    WineTest::LetTheDesktopSettle();
    // Under Wine's virtual desktop a pointer placed again after a click can fall back to the X pointer's
    // place, so all buttons are pressed at one place here (moves:
    // PointerPlacementAndAbsoluteAndRelativeMoves).
    desktop_.SendMouseEvent(DesktopPlatform::kMouseMove, 0, 0);
    desktop_.SendMouseEvent(DesktopPlatform::kMouseLeftDown, 999, 999); // no move bit: coordinates ignored
    desktop_.SendMouseEvent(DesktopPlatform::kMouseLeftUp, 0, 0);
    desktop_.SendMouseEvent(DesktopPlatform::kMouseRightDown, -50, 7);
    desktop_.SendMouseEvent(DesktopPlatform::kMouseRightUp, 0, 0);
    desktop_.SendMouseEvent(DesktopPlatform::kMouseMiddleDown, 0, 0);
    desktop_.SendMouseEvent(DesktopPlatform::kMouseMiddleUp, 0, 0);
    window.WaitForLogLine("mouse middle-up 0 30 40");
    const std::vector<std::string> expected = {"ready",
                                               "mouse left-down 0 30 40",
                                               "mouse left-up 0 30 40",
                                               "mouse right-down 0 30 40",
                                               "mouse right-up 0 30 40",
                                               "mouse middle-down 0 30 40",
                                               "mouse middle-up 0 30 40"};
    EXPECT_EQ(window.Log(), expected);
}

TEST_F(DesktopTest, ReadsPaintedPixelsAndCapturesTheScreenTopRowFirst) {
    TestWindow window(L"pixels", LogPath());
    ASSERT_TRUE(window.BringToFront());
    const POINT block = window.ClientToScreenPoint(TestPicture::kBlockX + 5, TestPicture::kBlockY + 5);
    const POINT pattern = window.ClientToScreenPoint(TestPicture::kPatternX, TestPicture::kPatternY);
    ASSERT_TRUE(WaitUntil([&] { return desktop_.ReadPixel(block.x, block.y) == 0x0000FF; }))
        << std::hex << desktop_.ReadPixel(block.x, block.y);
    // The layout is 0x00BBGGRR: the pattern's (1, 2) is red 7, green 18, blue 14.
    EXPECT_EQ(desktop_.ReadPixel(pattern.x + 1, pattern.y + 2), 0x0E1207);
    EXPECT_EQ(desktop_.ReadPixel(-1, 0), -1);
    int32_t width = 0, height = 0;
    desktop_.ScreenSize(width, height);
    EXPECT_EQ(desktop_.ReadPixel(width, 0), -1);
    EXPECT_EQ(desktop_.ReadPixel(0, height), -1);

    PixelGrid screen;
    ASSERT_EQ(desktop_.CaptureScreen(screen), 0);
    EXPECT_EQ(screen.width, width);
    EXPECT_EQ(screen.height, height);
    ASSERT_EQ(screen.bgra.size(), static_cast<size_t>(width) * height * 4);
    const std::vector<uint8_t> expected = TestPicture::PatternBgra();
    int mismatches = 0;
    for (int y = 0; y < TestPicture::kPatternHeight; ++y) {
        for (int x = 0; x < TestPicture::kPatternWidth; ++x) {
            const uint8_t* got = screen.Pixel(pattern.x + x, pattern.y + y);
            const uint8_t* want = &expected[(static_cast<size_t>(y) * TestPicture::kPatternWidth + x) * 4];
            if (!std::equal(got, got + 4, want)) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    const uint8_t* red = screen.Pixel(block.x, block.y);
    EXPECT_EQ(std::vector<uint8_t>(red, red + 4), (std::vector<uint8_t>{0, 0, 0xFF, 0}));
}

TEST_F(DesktopTest, ImageFilesDecodeAtNaturalSizeTopRowFirst) {
    const std::vector<uint8_t> pattern = TestPicture::PatternBgra();
    const std::wstring bmp = folder_.File(L"pattern.bmp");
    const std::wstring png = folder_.File(L"パターン.png");
    WineTest::WriteBytes(bmp,
                         ImageFiles::Bmp24(TestPicture::kPatternWidth, TestPicture::kPatternHeight, pattern));
    WineTest::WriteBytes(png,
                         ImageFiles::Png(TestPicture::kPatternWidth, TestPicture::kPatternHeight, pattern));
    for (const std::wstring& path : {bmp, png}) {
        PixelGrid grid;
        ASSERT_EQ(desktop_.LoadImageFile(std::u16string(path.begin(), path.end()), grid), 0);
        EXPECT_EQ(grid.width, TestPicture::kPatternWidth);
        EXPECT_EQ(grid.height, TestPicture::kPatternHeight);
        EXPECT_EQ(grid.bgra, pattern);
    }
    PixelGrid untouched;
    const std::wstring missing = folder_.File(L"missing.bmp");
    EXPECT_EQ(desktop_.LoadImageFile(std::u16string(missing.begin(), missing.end()), untouched), 53);
    const std::wstring folderPath = folder_.Path();
    EXPECT_EQ(desktop_.LoadImageFile(std::u16string(folderPath.begin(), folderPath.end()), untouched), 53);
    const std::wstring garbage = folder_.File(L"garbage.png");
    WineTest::WriteBytes(garbage, "this is not a picture");
    EXPECT_EQ(desktop_.LoadImageFile(std::u16string(garbage.begin(), garbage.end()), untouched), 5);
    EXPECT_EQ(untouched.width, 0);
}

} // namespace
