// Tests of FINDIMG, GETCOLOR and IMG_X … IMG_B against a desktop double that serves a picture as the screen
// and named pictures as files: remembered results, failures with their numbers, counts and missing display.
#include "builtin_support.h"
#include "desktop_platform.h"
#include "library_state.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

#include <map>

using namespace testing_support;

namespace {

PixelGrid Flat(int32_t width, int32_t height, uint32_t rgb) {
    PixelGrid g;
    g.width = width;
    g.height = height;
    g.bgra.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t i = 0; i < g.bgra.size(); i += 4) {
        g.bgra[i] = static_cast<uint8_t>(rgb);
        g.bgra[i + 1] = static_cast<uint8_t>(rgb >> 8);
        g.bgra[i + 2] = static_cast<uint8_t>(rgb >> 16);
    }
    return g;
}

// Serves `screen` for captures and pixel reads, and the grids of `files` (or their failure numbers) for
// image loading. Counts the captures.
class PictureDesktop : public DesktopPlatform {
  public:
    PixelGrid screen = Flat(64, 48, 0x000000);
    std::map<std::u16string, PixelGrid> files;
    std::map<std::u16string, int> failingFiles;
    int captureFailure = 0;
    int captures = 0;
    bool display = true;

    bool HasDisplay() const override { return display; }
    void SendKeyEvent(uint8_t, uint32_t, uint32_t) override {}
    void SendMouseEvent(uint32_t, int32_t, int32_t) override {}
    uint16_t AsyncKeyState(int32_t) override { return 0; }
    void SetPointerPosition(int32_t, int32_t) override {}
    int32_t FindTopLevelWindow(const std::u16string&, const std::u16string*) override { return 0; }
    bool GetPlacement(int32_t, WindowPlacement&) override { return false; }
    void MoveWindow(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    int32_t SendSystemCommand(int32_t, int32_t) override { return 0; }
    void ScreenSize(int32_t& width, int32_t& height) override {
        width = screen.width;
        height = screen.height;
    }
    int32_t ReadPixel(int32_t x, int32_t y) override {
        if (x < 0 || y < 0 || x >= screen.width || y >= screen.height) return -1;
        const uint8_t* p = screen.Pixel(x, y);
        return p[2] | (p[1] << 8) | (p[0] << 16);
    }
    int CaptureScreen(PixelGrid& out) override {
        ++captures;
        if (captureFailure != 0) return captureFailure;
        out = screen;
        return 0;
    }
    int LoadImageFile(const std::u16string& path, PixelGrid& out) override {
        if (auto it = failingFiles.find(path); it != failingFiles.end()) return it->second;
        auto it = files.find(path);
        if (it == files.end()) return 53;
        out = it->second;
        return 0;
    }
    int StartProcess(const std::u16string&, int32_t, double&) override { return 5; }
    int32_t MillisecondClock() override { return 0; }
    int32_t SendMediaCommand(const std::u16string&, const WaitTurn&) override { return 0; }
};

void SetPixel(PixelGrid& g, int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p =
        g.bgra.data() + (static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)) * 4;
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
}

class ImageBuiltins : public ::testing::Test {
  protected:
    void SetUp() override {
        LibraryState::ImgX = 3;
        LibraryState::ImgY = 4;
        LibraryState::ImgR = LibraryState::ImgG = LibraryState::ImgB = 9;
        PixelGrid mark = Flat(4, 3, 0xFF0000);
        SetPixel(mark, 2, 1, 0x00FF00);
        desktop.files[u"mark.bmp"] = mark;
        desktop.files[u"absent.png"] = Flat(4, 3, 0x123456);
    }
    int32_t Int(const char16_t* name) {
        BuiltinOutcome r = CallBuiltinOnDesktop(name, {}, &desktop);
        EXPECT_EQ(r.Code(), 0) << U8(name) << " " << r.Info();
        int32_t value = 0;
        EXPECT_EQ(ToInt32(r.result, value), 0);
        return value;
    }
    PictureDesktop desktop;
};

TEST_F(ImageBuiltins, FindImgRemembersTheFirstMatchAndKeepsItWhenNothingIsFound) {
    const PixelGrid& mark = desktop.files[u"mark.bmp"];
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const uint8_t* p = mark.Pixel(x, y);
            uint32_t rgb = p[0] | (p[1] << 8) | (p[2] << 16);
            SetPixel(desktop.screen, 40 + x, 5 + y, rgb);
            SetPixel(desktop.screen, 20 + x, 40 + y, rgb);
        }
    BuiltinOutcome r = CallBuiltinOnDesktop(u"FINDIMG", {S(u"mark.bmp")}, &desktop);
    EXPECT_EQ(r.Code(), 0) << r.Info();
    EXPECT_TRUE(r.result.IsEmpty());
    EXPECT_EQ(Int(u"IMG_X"), 20);
    EXPECT_EQ(Int(u"IMG_Y"), 40);

    r = CallBuiltinOnDesktop(u"FINDIMG", {S(u"absent.png")}, &desktop);
    EXPECT_EQ(r.Code(), 0) << r.Info();
    EXPECT_EQ(LibraryState::ImgX, 20);
    EXPECT_EQ(LibraryState::ImgY, 40);
}

TEST_F(ImageBuiltins, FindImgFailsAtOnceWhenTheTemplateOrTheScreenCannotBeHad) {
    desktop.failingFiles[u"broken.gif"] = 5;
    BuiltinOutcome missing = CallBuiltinOnDesktop(u"FINDIMG", {S(u"nothing.bmp")}, &desktop);
    EXPECT_EQ(missing.Code(), 7);
    EXPECT_EQ(missing.Sub(), 53);
    BuiltinOutcome broken = CallBuiltinOnDesktop(u"FINDIMG", {S(u"broken.gif")}, &desktop);
    EXPECT_EQ(broken.Code(), 7);
    EXPECT_EQ(broken.Sub(), 5);
    EXPECT_EQ(desktop.captures, 0); // no search was started

    desktop.captureFailure = 5;
    BuiltinOutcome capture = CallBuiltinOnDesktop(u"FINDIMG", {S(u"mark.bmp")}, &desktop);
    EXPECT_EQ(capture.Code(), 7);
    EXPECT_EQ(capture.Sub(), 5);
    EXPECT_EQ(LibraryState::ImgX, 3);
    EXPECT_EQ(LibraryState::ImgY, 4);
}

TEST_F(ImageBuiltins, GetColorGivesTheColourValueAndSplitsItInDigitOrder) {
    SetPixel(desktop.screen, 7, 8, 0x123456);  // red 0x12, green 0x34, blue 0x56
    SetPixel(desktop.screen, 9, 10, 0xFF0000); // pure red
    BuiltinOutcome r = CallBuiltinOnDesktop(u"GETCOLOR", {I(7), D(8.4)}, &desktop);
    EXPECT_EQ(r.Code(), 0) << r.Info();
    EXPECT_EQ(r.result.Kind(), ValueKind::Int32);
    EXPECT_EQ(r.Text(), "5649426");
    EXPECT_EQ(Int(u"IMG_R"), 86);
    EXPECT_EQ(Int(u"IMG_G"), 52);
    EXPECT_EQ(Int(u"IMG_B"), 18);

    r = CallBuiltinOnDesktop(u"GETCOLOR", {S(u"9"), D(10)}, &desktop);
    EXPECT_EQ(r.Text(), "255");
    EXPECT_EQ(Int(u"IMG_R"), 0);
    EXPECT_EQ(Int(u"IMG_G"), 0);
    EXPECT_EQ(Int(u"IMG_B"), 255);
    BuiltinOutcome kind = CallBuiltinOnDesktop(u"IMG_B", {}, &desktop);
    EXPECT_EQ(kind.result.Kind(), ValueKind::Int16);

    r = CallBuiltinOnDesktop(u"GETCOLOR", {I(64), I(0)}, &desktop); // just outside
    EXPECT_EQ(r.Code(), 0);
    EXPECT_EQ(r.Text(), "-1");
    EXPECT_EQ(Int(u"IMG_R"), 255);
    EXPECT_EQ(Int(u"IMG_G"), 255);
    EXPECT_EQ(Int(u"IMG_B"), 255);
}

TEST_F(ImageBuiltins, CountsConversionsAndMissingDisplay) {
    for (const char16_t* name : {u"IMG_X", u"IMG_Y", u"IMG_R", u"IMG_G", u"IMG_B"}) {
        BuiltinOutcome r = CallBuiltinOnDesktop(name, {I(1)}, &desktop);
        EXPECT_EQ(r.Code(), 7) << U8(name);
        EXPECT_EQ(r.Info(), "引数の数があいません");
    }
    EXPECT_EQ(CallBuiltinOnDesktop(u"GETCOLOR", {I(1)}, &desktop).Info(), "引数の数があいません");
    EXPECT_EQ(CallBuiltinOnDesktop(u"FINDIMG", {}, &desktop).Info(), "引数の数があいません");
    EXPECT_EQ(CallBuiltinOnDesktop(u"FINDIMG", {S(u"a"), S(u"b")}, &desktop).Code(), 7);

    BuiltinOutcome bad = CallBuiltinOnDesktop(u"GETCOLOR", {S(u"x"), I(1)}, &desktop);
    EXPECT_EQ(bad.Code(), 7);
    EXPECT_EQ(bad.Sub(), 13);
    EXPECT_TRUE(bad.result.IsEmpty());

    desktop.display = false;
    BuiltinOutcome none = CallBuiltinOnDesktop(u"GETCOLOR", {I(1), I(1)}, &desktop);
    EXPECT_EQ(none.Code(), 7);
    EXPECT_EQ(none.Info(), "画面が使用できないため、この関数は実行できません - GETCOLOR");
    EXPECT_EQ(CallBuiltin(u"FINDIMG", {S(u"mark.bmp")}).Code(), 7); // no platform at all
}

} // namespace
