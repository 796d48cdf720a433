// Tests of image file loading on real files: BMP, PNG and GIF give their exact pixels at natural size, JPEG
// and ICO load, a misnamed file loads by its content, paths with Japanese characters work, and missing or
// undecodable files fail with 53 and 5.
#include "image_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

// Xlib comes last: its macros (None, Bool, Status) clash with names in the headers above.
#include "screen_test_support.h"

using namespace screen_test;

namespace {

PixelGrid Sample() {
    PixelGrid g = Flat(7, 5, 0x3A6EA5);
    SetRgb(g, 0, 0, 0x123456);
    SetRgb(g, 6, 4, 0xFF0000);
    SetRgb(g, 3, 2, 0x00FF00);
    FillRect(g, 1, 3, 2, 2, 0xFFFFFF);
    return g;
}

class ImageFile : public ::testing::Test {
  protected:
    std::string Path(const char* name) { return dir.filePath(QString::fromUtf8(name)).toStdString(); }
    int Load(const std::string& path, PixelGrid& out) { return LoadImageFileToGrid(U16(path), out); }
    QTemporaryDir dir;
};

TEST_F(ImageFile, LosslessFormatsGiveTheirExactPixels) {
    const PixelGrid sample = Sample();
    ASSERT_TRUE(SavePicture(sample, Path("a.bmp")));
    ASSERT_TRUE(SavePicture(sample, Path("a.png")));
    // Qt writes no GIF; ImageMagick makes one from the PNG (few colours, so the palette keeps them exact).
    std::string command = "/usr/bin/convert '" + Path("a.png") + "' '" + Path("a.gif") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* name : {"a.bmp", "a.png", "a.gif"}) {
        PixelGrid out;
        ASSERT_EQ(Load(Path(name), out), 0) << name;
        EXPECT_EQ(out.width, 7) << name;
        EXPECT_EQ(out.height, 5) << name;
        EXPECT_EQ(out.bgra, sample.bgra) << name; // reserved bytes 0 as well
    }
}

TEST_F(ImageFile, JpegIcoMisnamedAndJapaneseNames) {
    const PixelGrid sample = Sample();
    PixelGrid out;
    ASSERT_TRUE(ToQImage(sample).save(QString::fromStdString(Path("b.jpg")), "JPEG", 100));
    ASSERT_EQ(Load(Path("b.jpg"), out), 0);
    EXPECT_EQ(out.width, 7);
    EXPECT_EQ(out.height, 5);
    ASSERT_TRUE(ToQImage(sample).save(QString::fromStdString(Path("c.ico")), "ICO"));
    ASSERT_EQ(Load(Path("c.ico"), out), 0);
    EXPECT_EQ(out.bgra, sample.bgra);

    ASSERT_TRUE(ToQImage(sample).save(QString::fromStdString(Path("really_png.bmp")), "PNG"));
    ASSERT_EQ(Load(Path("really_png.bmp"), out), 0);
    EXPECT_EQ(out.bgra, sample.bgra);

    ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromUtf8("画像")));
    std::string japanese = Path("画像/ボタン.png");
    ASSERT_TRUE(SavePicture(sample, japanese));
    ASSERT_EQ(Load(japanese, out), 0);
    EXPECT_EQ(out.bgra, sample.bgra);
}

TEST_F(ImageFile, MissingAndUndecodableFiles) {
    PixelGrid out = Sample();
    const std::vector<uint8_t> before = out.bgra;
    EXPECT_EQ(Load(Path("none.png"), out), 53);
    EXPECT_EQ(LoadImageFileToGrid(u"", out), 53);
    {
        std::ofstream garbage(Path("garbage.png"), std::ios::binary);
        garbage << "this is not a picture at all";
    }
    EXPECT_EQ(Load(Path("garbage.png"), out), 5);
    { std::ofstream empty(Path("empty.bmp"), std::ios::binary); }
    EXPECT_EQ(Load(Path("empty.bmp"), out), 5);
    EXPECT_EQ(Load(dir.path().toStdString(), out), 5); // a folder
    EXPECT_EQ(out.bgra, before);                       // a failure leaves the grid as it was
}

} // namespace
