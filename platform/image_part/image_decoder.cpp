// The picture part: decodes image files for FINDIMG through Qt's image readers (BMP, GIF, JPEG, PNG, ICO and
// whatever else the installed plugins read). The format is told by the content, so a misnamed file loads.
#include "desktop_platform.h"
#include "program_part.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <type_traits>
#include <utility>

namespace {

// The first picture of the file at its natural size. Alpha is dropped: every pixel keeps the colour stored
// for it, which is what a picture cut from a screenshot holds.
int DecodeImageFile(const std::u16string& path, PixelGrid& out) {
    const QString name = QString::fromStdU16String(path);
    QFileInfo info(name);
    if (path.empty() || !info.exists()) return 53;
    if (!info.isFile()) return 5;
    QImageReader reader(name);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return 5;
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return 5;

    PixelGrid grid;
    grid.width = image.width();
    grid.height = image.height();
    grid.bgra.resize(static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height) * 4);
    for (int32_t y = 0; y < grid.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uint8_t* dst = grid.bgra.data() + static_cast<size_t>(y) * static_cast<size_t>(grid.width) * 4;
        for (int32_t x = 0; x < grid.width; ++x, dst += 4) {
            QRgb rgb = line[x];
            dst[0] = static_cast<uint8_t>(qBlue(rgb));
            dst[1] = static_cast<uint8_t>(qGreen(rgb));
            dst[2] = static_cast<uint8_t>(qRed(rgb));
            dst[3] = 0;
        }
    }
    out = std::move(grid);
    return 0;
}

} // namespace

// The part's entry, looked up by name by the program that loads it.
extern "C" int QmDecodeImageFile(const char16_t* path, std::size_t length, PixelGrid* out) {
    static_assert(std::is_same_v<decltype(&QmDecodeImageFile), DecodeImageEntry>);
    return DecodeImageFile(std::u16string(path, length), *out);
}
