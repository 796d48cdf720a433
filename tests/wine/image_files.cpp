// Writers of the small BMP, PNG and WAV files the tests decode and play. The PNG keeps its pixels in stored
// (uncompressed) deflate blocks, so no compression library is needed.
#include "image_files.h"

#include <cmath>

namespace {

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Put32BigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

uint32_t Adler32(const std::string& bytes) {
    uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    Put32BigEndian(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type) + data;
    out += typed;
    Put32BigEndian(out, Crc32(typed));
}

} // namespace

namespace ImageFiles {

std::string Bmp24(int width, int height, const std::vector<uint8_t>& bgra) {
    const int rowSize = (width * 3 + 3) / 4 * 4;
    const uint32_t imageSize = static_cast<uint32_t>(rowSize * height);
    std::string out = "BM";
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height)); // bottom row first
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
            row += static_cast<char>(p[0]);
            row += static_cast<char>(p[1]);
            row += static_cast<char>(p[2]);
        }
        row.resize(static_cast<size_t>(rowSize), '\0');
        out += row;
    }
    return out;
}

std::string Png(int width, int height, const std::vector<uint8_t>& bgra) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // no filter
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
            raw += static_cast<char>(p[2]);
            raw += static_cast<char>(p[1]);
            raw += static_cast<char>(p[0]);
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t start = 0; start < raw.size(); start += 65535) {
        const size_t length = std::min<size_t>(65535, raw.size() - start);
        zlib += static_cast<char>(start + length == raw.size() ? 1 : 0);
        Put16(zlib, static_cast<uint32_t>(length));
        Put16(zlib, static_cast<uint32_t>(~length & 0xFFFF));
        zlib += raw.substr(start, length);
    }
    Put32BigEndian(zlib, Adler32(raw));

    std::string header;
    Put32BigEndian(header, static_cast<uint32_t>(width));
    Put32BigEndian(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace
    std::string out = "\x89PNG\r\n\x1A\n";
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", zlib);
    PutChunk(out, "IEND", "");
    return out;
}

std::string Wav(int milliseconds) {
    constexpr uint32_t kRate = 8000;
    const uint32_t samples = kRate * static_cast<uint32_t>(milliseconds) / 1000;
    std::string out = "RIFF";
    Put32(out, 36 + samples * 2);
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    out += "data";
    Put32(out, samples * 2);
    for (uint32_t i = 0; i < samples; ++i) {
        const double value = 2000.0 * std::sin(2.0 * 3.14159265358979 * 440.0 * i / kRate);
        Put16(out, static_cast<uint32_t>(static_cast<int16_t>(value)) & 0xFFFF);
    }
    return out;
}

} // namespace ImageFiles
