// Scaled outputs on sway as a macro sees them (run-with-sway.sh with SWAY_TEST_OUTPUTS): positions are
// physical pixels; GETCOLOR agrees with grim's screenshot of each output at its own resolution, a piece cut
// from that screenshot is found where it lies, and a click there lands on it in the recorder.
#include "desktop_platform.h"
#include "desktop_platform_factory.h"
#include "sway_test_support.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct ShownOutput {
    std::string name;
    long long layoutX = 0;
    long long layoutY = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    double scale = 1;
    int desktopX = 0; // where its pixels start on the desktop; the test's outputs stand in one row
};

// sway's outputs, left to right, with where their pixels lie when each keeps its own resolution.
std::vector<ShownOutput> ShownOutputs() {
    const rapidjson::Document answer = SwayMessage({QStringLiteral("-t"), QStringLiteral("get_outputs")});
    std::vector<ShownOutput> outputs;
    for (const rapidjson::Value& item : SwayItems(answer, "")) {
        ShownOutput output;
        output.name = SwayText(item, "/name");
        output.layoutX = SwayInteger(item, "/rect/x");
        output.layoutY = SwayInteger(item, "/rect/y");
        output.pixelWidth = static_cast<int>(SwayInteger(item, "/current_mode/width"));
        output.pixelHeight = static_cast<int>(SwayInteger(item, "/current_mode/height"));
        const rapidjson::Value& scale = SwayAt(item, "/scale");
        output.scale = scale.IsNumber() ? scale.GetDouble() : 1;
        outputs.push_back(output);
    }
    std::sort(outputs.begin(), outputs.end(),
              [](const ShownOutput& a, const ShownOutput& b) { return a.layoutX < b.layoutX; });
    int desktopX = 0;
    for (ShownOutput& output : outputs) {
        output.desktopX = desktopX;
        desktopX += output.pixelWidth;
    }
    return outputs;
}

// grim's picture of one output at the output's own scale: its buffer's pixels.
QImage Screenshot(const ShownOutput& output, const QTemporaryDir& dir) {
    const QString path = dir.filePath(QString::fromStdString(output.name) + QStringLiteral(".png"));
    QProcess grim;
    grim.start(QStringLiteral("grim"), {QStringLiteral("-o"), QString::fromStdString(output.name),
                                        QStringLiteral("-s"), QString::number(output.scale), path});
    if (!grim.waitForFinished(10000) || grim.exitCode() != 0) return {};
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// GETCOLOR's value for a screenshot's pixel: 0x00BBGGRR.
long long ColorValue(const QImage& shot, int x, int y) {
    const QRgb pixel = shot.pixel(x, y);
    return qRed(pixel) + qGreen(pixel) * 256LL + qBlue(pixel) * 65536LL;
}

// A picture of 6×6 blocks of colours that repeat nowhere near, so any piece of it is found in one place
// only, even after the compositor has scaled it.
QImage BlockPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned block =
                static_cast<unsigned>(x / 6) * 7919u + static_cast<unsigned>(y / 6) * 104729u;
            const unsigned mixed = block * 2654435761u;
            picture.setPixel(x, y, qRgb((mixed >> 8) & 0xff, (mixed >> 16) & 0xff, (mixed >> 24) & 0xff));
        }
    return picture;
}

} // namespace

TEST(SwayScaled, ScreenPointerAndWindowsCountPhysicalPixels) {
    if (!SwayRunning() || std::getenv("SWAY_TEST_OUTPUTS") == nullptr)
        GTEST_SKIP() << "needs run-with-sway.sh with SWAY_TEST_OUTPUTS";
    const std::vector<ShownOutput> outputs = ShownOutputs();
    ASSERT_FALSE(outputs.empty());
    // The recorder goes full-screen on the last output, the one the macro's pixels reach last.
    const ShownOutput& target = outputs.back();
    SwayMessage({QStringLiteral("focus"), QStringLiteral("output"), QString::fromStdString(target.name)});
    QTemporaryDir dir;
    const QString picturePath = dir.filePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(BlockPicture(target.pixelWidth, target.pixelHeight).save(picturePath));
    Recorder recorder(QStringLiteral("qm-scaled"), QStringLiteral("scaled"), true, picturePath);
    ASSERT_TRUE(recorder.Ready());
    QThread::msleep(300);

    // Pixels of every output, odd positions and the last pixel included, as grim sees them.
    std::string macro;
    std::string expected;
    for (const ShownOutput& output : outputs) {
        const QImage shot = Screenshot(output, dir);
        ASSERT_EQ(shot.width(), output.pixelWidth) << output.name;
        ASSERT_EQ(shot.height(), output.pixelHeight) << output.name;
        const int points[][2] = {
            {0, 0}, {101, 57}, {102, 58}, {103, 59}, {output.pixelWidth - 1, output.pixelHeight - 1}};
        for (const auto& point : points) {
            macro += "PRINT GETCOLOR(" + std::to_string(output.desktopX + point[0]) + ", " +
                     std::to_string(point[1]) + ")\n";
            expected += std::to_string(ColorValue(shot, point[0], point[1])) + "\n";
        }
    }
    // A piece of the target's screenshot at an odd place is found there.
    const QImage targetShot = Screenshot(target, dir);
    const int pieceX = 301;
    const int pieceY = 203;
    const QString piecePath = dir.filePath(QStringLiteral("piece.png"));
    ASSERT_TRUE(targetShot.copy(pieceX, pieceY, 24, 16).save(piecePath));
    macro += "FINDIMG \"" + piecePath.toStdString() + "\"\nPRINT IMG_X\nPRINT IMG_Y\n";
    expected += std::to_string(target.desktopX + pieceX) + "\n" + std::to_string(pieceY) + "\n";
    const MacroRun run = RunMacro(macro);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, expected + "終了しました。\n");

    // A click at the found place lands on that physical pixel: in the recorder's layout pixels, the
    // position divided by the scale.
    std::unique_ptr<DesktopPlatform> platform = CreateDesktopPlatform();
    int32_t width = 0;
    int32_t height = 0;
    platform->ScreenSize(width, height);
    EXPECT_EQ(width, target.desktopX + target.pixelWidth);
    platform->SetPointerPosition(target.desktopX + pieceX, pieceY);
    platform->SendMouseEvent(DesktopPlatform::kMouseLeftDown | DesktopPlatform::kMouseLeftUp, 0, 0);
    const auto clicked = [](const std::vector<rapidjson::Document>& events) {
        return std::any_of(events.begin(), events.end(), [](const rapidjson::Document& event) {
            return SwayText(event, "/event") == "button" && !SwayTrue(event, "/down");
        });
    };
    bool seen = false;
    for (const rapidjson::Document& event : recorder.EventsAwaited(clicked)) {
        if (SwayText(event, "/event") != "button") continue;
        seen = true;
        EXPECT_NEAR(SwayAt(event, "/fx").GetDouble(), pieceX / target.scale, 0.01);
        EXPECT_NEAR(SwayAt(event, "/fy").GetDouble(), pieceY / target.scale, 0.01);
    }
    EXPECT_TRUE(seen);

    // The recorder's window, full-screen on the target, covers exactly that output's pixels; moved and sized
    // in desktop pixels (ones every scale divides), it stands there.
    const int32_t window = platform->FindTopLevelWindow(u"qm-scaled", nullptr);
    ASSERT_NE(window, 0);
    WindowPlacement placement;
    ASSERT_TRUE(platform->GetPlacement(window, placement));
    EXPECT_EQ(placement.left, target.desktopX);
    EXPECT_EQ(placement.top, 0);
    EXPECT_EQ(placement.right, target.desktopX + target.pixelWidth);
    EXPECT_EQ(placement.bottom, target.pixelHeight);
    platform->MoveWindow(window, target.desktopX + 120, 60, 600, 390);
    ASSERT_TRUE(platform->GetPlacement(window, placement));
    EXPECT_EQ(placement.left, target.desktopX + 120);
    EXPECT_EQ(placement.top, 60);
    EXPECT_EQ(placement.right, target.desktopX + 720);
    EXPECT_EQ(placement.bottom, 450);
}
