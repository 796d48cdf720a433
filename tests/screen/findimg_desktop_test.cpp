// Tests of FINDIMG, GETCOLOR and IMG_X … IMG_B in macros on a private Xvfb screen whose root background is a
// known picture: positions against the reference scan, windows hiding the picture, template files of each
// lossless format, known colours, failures with their numbers, and the clipboard left as it was.
#include "desktop_platform_factory.h"
#include "library_state.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <random>

// Xlib comes last: its macros (None, Bool, Status) clash with names in the headers above.
#include "screen_test_support.h"

using namespace screen_test;

namespace {

class ScreenMacros : public ::testing::Test {
  protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "no X display";
        width = DisplayWidth(display, DefaultScreen(display));
        height = DisplayHeight(display, DefaultScreen(display));
        platform = CreateDesktopPlatform();
        ASSERT_TRUE(platform->HasDisplay());
        LibraryState::ImgX = 0;
        LibraryState::ImgY = 0;
    }
    void TearDown() override {
        if (display != nullptr) XCloseDisplay(display);
    }
    std::string Save(const PixelGrid& picture, const char* name) {
        std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
        EXPECT_TRUE(SavePicture(picture, path)) << path;
        return path;
    }
    // FINDIMG of the file, then the remembered position.
    MacroResult Find(const std::string& path) {
        return RunOn(*platform, {u"FINDIMG \"" + U16(path) + u"\"", u"PRINT IMG_X, IMG_Y()"});
    }
    static std::string At(int32_t x, int32_t y) { return std::to_string(x) + "\t" + std::to_string(y); }
    static std::string At(const std::optional<std::pair<int32_t, int32_t>>& p) {
        return p ? At(p->first, p->second) : At(0, 0);
    }

    Display* display = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<DesktopPlatform> platform;
    QTemporaryDir dir;
};

PixelGrid Mark() {
    PixelGrid m = Flat(5, 4, 0xC00000);
    SetRgb(m, 2, 1, 0x00FF00);
    SetRgb(m, 4, 3, 0x0000FF);
    return m;
}

TEST_F(ScreenMacros, FirstMatchInColumnOrderAmongSeveral) {
    PixelGrid screen = Flat(width, height, 0x202020);
    const PixelGrid mark = Mark();
    Paste(screen, mark, 200, 10);
    Paste(screen, mark, 120, 150); // leftmost, lower than the others
    Paste(screen, mark, 120, 200);
    Paste(screen, mark, 121, 40);
    SetRootBackground(display, screen);
    MacroResult r = Find(Save(mark, "mark.png"));
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, std::vector<std::string>{At(120, 150)});
}

TEST_F(ScreenMacros, AgreesWithTheReferenceOnRandomAndDesktopLikeScreens) {
    std::mt19937 rng(4242);
    const uint32_t palette[] = {0x000000, 0xFFFFFF, 0x808080};
    for (int round = 0; round < 3; ++round) {
        PixelGrid screen = Flat(width, height, 0);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) SetRgb(screen, x, y, palette[rng() % 3]);
        PixelGrid templ =
            Crop(screen, static_cast<int32_t>(rng() % 200), static_cast<int32_t>(rng() % 150), 3, 3);
        SetRootBackground(display, screen);
        MacroResult r = Find(Save(templ, "random.bmp"));
        EXPECT_EQ(r.code, 0) << r.info;
        EXPECT_EQ(r.printed, std::vector<std::string>{At(ReferenceScan(screen, templ))}) << "round " << round;
    }
    // A desktop: one background colour, two flat windows, an icon shown three times; the template is the
    // icon with background columns to its left and above.
    PixelGrid desktop = Flat(width, height, 0x3A6EA5);
    FillRect(desktop, 30, 30, 150, 100, 0xFFFFFF);
    FillRect(desktop, 100, 80, 120, 120, 0xD4D0C8);
    PixelGrid icon = Flat(12, 12, 0x3A6EA5);
    FillRect(icon, 4, 2, 6, 8, 0xFFCC00);
    SetRgb(icon, 6, 5, 0x000000);
    Paste(desktop, icon, 250, 20);
    Paste(desktop, icon, 250, 120);
    Paste(desktop, icon, 10, 200);
    SetRootBackground(display, desktop);
    PixelGrid templ = Crop(desktop, 245, 17, 14, 14);
    MacroResult r = Find(Save(templ, "icon.png"));
    EXPECT_EQ(r.code, 0) << r.info;
    auto expected = ReferenceScan(desktop, templ);
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(r.printed, std::vector<std::string>{At(expected)});
    // The bare background colour matches first at the top left.
    r = Find(Save(Flat(20, 10, 0x3A6EA5), "flat.png"));
    EXPECT_EQ(r.printed, std::vector<std::string>{At(0, 0)});
}

TEST_F(ScreenMacros, AbsentOrHiddenTemplateLeavesThePositionAsItWas) {
    PixelGrid screen = Flat(width, height, 0x000000);
    const PixelGrid mark = Mark();
    Paste(screen, mark, 60, 70);
    SetRootBackground(display, screen);
    std::string markPath = Save(mark, "mark.bmp");
    MacroResult r = RunOn(*platform, {u"FINDIMG \"" + U16(markPath) + u"\"", u"PRINT IMG_X, IMG_Y"});
    EXPECT_EQ(r.printed, std::vector<std::string>{At(60, 70)});

    // A picture found nowhere (a red block on a black screen: no byte-wise partial match).
    r = Find(Save(Flat(4, 4, 0xFF0000), "red.png"));
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, std::vector<std::string>{At(60, 70)});

    Window cover = ShowCover(display, 58, 69, 10, 3, 0x00FF00); // hides the top rows of the mark
    LibraryState::ImgX = 1;
    LibraryState::ImgY = 2;
    r = Find(markPath);
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, std::vector<std::string>{At(1, 2)});
    XDestroyWindow(display, cover);
    XSync(display, False);
    r = Find(markPath);
    EXPECT_EQ(r.printed, std::vector<std::string>{At(60, 70)});
}

TEST_F(ScreenMacros, TemplateAsLargeAsTheScreenAndEveryLosslessFormat) {
    PixelGrid screen = Flat(width, height, 0x101010);
    FillRect(screen, 0, 0, width / 2, height / 2, 0xFFFFFF);
    SetRgb(screen, width - 1, height - 1, 0xFF00FF);
    SetRootBackground(display, screen);
    MacroResult r = Find(Save(screen, "whole.png"));
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, std::vector<std::string>{At(0, 0)});

    PixelGrid part = Crop(screen, width / 2 - 3, height / 2 - 2, 6, 5);
    const auto expected = At(width / 2 - 3, height / 2 - 2);
    std::string png = Save(part, "part.png");
    std::string gif = dir.filePath("part.gif").toStdString();
    ASSERT_EQ(std::system(("/usr/bin/convert '" + png + "' '" + gif + "'").c_str()), 0);
    for (const std::string& path : {Save(part, "part.bmp"), png, gif}) {
        LibraryState::ImgX = LibraryState::ImgY = 0;
        r = Find(path);
        EXPECT_EQ(r.code, 0) << path << " " << r.info;
        EXPECT_EQ(r.printed, std::vector<std::string>{expected}) << path;
    }
}

TEST_F(ScreenMacros, MissingAndUnreadableFilesFailWithTheirNumbers) {
    std::string missing = dir.filePath("missing.png").toStdString();
    MacroResult r = RunOn(*platform, {u"FINDIMG \"" + U16(missing) + u"\"", u"PRINT 1"});
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(r.sub, 53);
    EXPECT_TRUE(r.printed.empty());
    std::string broken = dir.filePath("broken.bmp").toStdString();
    std::ofstream(broken) << "BM no picture here";
    r = RunOn(*platform, {u"FINDIMG \"" + U16(broken) + u"\""});
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(r.sub, 5);
}

TEST_F(ScreenMacros, GetColorOfKnownColoursAndOutsideTheScreen) {
    PixelGrid screen = Flat(width, height, 0x000000);
    SetRgb(screen, 17, 23, 0x123456);
    SetRgb(screen, 18, 23, 0xFF0000);
    SetRootBackground(display, screen);
    MacroResult r = RunOn(*platform, {u"PRINT GETCOLOR(17, 23), IMG_R, IMG_G, IMG_B",
                                      u"PRINT getcolor(18, 23), img_r(), img_g(), img_b()",
                                      u"PRINT GETCOLOR(-1, 5), IMG_R, IMG_G, IMG_B",
                                      u"PRINT GETCOLOR(" + U16(std::to_string(width)) + u", 0), IMG_R"});
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, (std::vector<std::string>{"5649426\t86\t52\t18", "255\t0\t0\t255",
                                                   "-1\t255\t255\t255", "-1\t255"}));
    r = RunOn(*platform, {u"PRINT IMG_R(1)"});
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(r.info, "引数の数があいません");
}

// The clipboard is held by this test's own Qt application; FINDIMG must leave both the text and the owner.
TEST_F(ScreenMacros, ClipboardSurvivesFindImg) {
    static int argc = 1;
    static char name[] = "screen_tests";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QString::fromUtf8("コピーした文字"));
    QGuiApplication::processEvents();
    Atom atom = XInternAtom(display, "CLIPBOARD", False);
    Window owner = XGetSelectionOwner(display, atom);
    ASSERT_NE(owner, 0u);

    PixelGrid screen = Flat(width, height, 0x000000);
    Paste(screen, Mark(), 5, 5);
    SetRootBackground(display, screen);
    MacroResult r = Find(Save(Mark(), "mark.png"));
    EXPECT_EQ(r.printed, std::vector<std::string>{At(5, 5)});
    QGuiApplication::processEvents();
    EXPECT_EQ(XGetSelectionOwner(display, atom), owner);
    EXPECT_EQ(clipboard->text().toStdString(), "コピーした文字");
}

} // namespace
