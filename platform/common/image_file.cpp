// Image file loading for FINDIMG: hands the file to the picture part, loaded on the first picture, so a run
// that reads no picture file never loads Qt's GUI library and the dozens of libraries it brings.
#include "image_file.h"

#include "program_errors.h"
#include "program_part.h"

#include <cstdio>
#include <string>

namespace {

// The part's decoder, or nullptr (said once on standard error) when the part cannot be loaded.
DecodeImageEntry FindDecoder() {
    std::string error;
    void* entry = OpenProgramPartEntry(kImagePartFile, kDecodeImageEntry, error);
    if (entry == nullptr) {
        const std::string line = "画像ファイルを読み込む部品を開けません: " + error + "\n";
        std::fputs(line.c_str(), ProgramErrors());
    }
    return reinterpret_cast<DecodeImageEntry>(entry);
}

} // namespace

int LoadImageFileToGrid(const std::u16string& path, PixelGrid& out) {
    static const DecodeImageEntry decode = FindDecoder();
    if (decode == nullptr) return 5;
    return decode(path.data(), path.size(), &out);
}
