// What qm_test_window.exe shows, shared with the tests that look at it: its class, where it starts, and the
// colours and positions of its picture (client coordinates).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace TestPicture {

inline constexpr const wchar_t* kClassName = L"QuillonTestWindow";
inline constexpr int kStartX = 200;
inline constexpr int kStartY = 150;
inline constexpr int kStartWidth = 420;
inline constexpr int kStartHeight = 320;

inline constexpr COLORREF kBackground = RGB(0x20, 0x40, 0x60);
inline constexpr COLORREF kBlockColour = RGB(0xFF, 0x00, 0x00);
inline constexpr int kBlockX = 10;
inline constexpr int kBlockY = 10;
inline constexpr int kBlockSize = 40;

inline constexpr int kPatternX = 120;
inline constexpr int kPatternY = 60;
inline constexpr int kPatternWidth = 40;
inline constexpr int kPatternHeight = 30;

// The pattern's colour at (x, y): every pixel differs from its neighbours in all three bytes.
inline void PatternColour(int x, int y, uint8_t& red, uint8_t& green, uint8_t& blue) {
    red = static_cast<uint8_t>(x * 6 + 1);
    green = static_cast<uint8_t>(y * 8 + 2);
    blue = static_cast<uint8_t>((x + y) * 3 + 5);
}

// The pattern as 32-bit rows (blue, green, red, 0), top row first.
inline std::vector<uint8_t> PatternBgra() {
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<size_t>(kPatternWidth) * kPatternHeight * 4);
    for (int y = 0; y < kPatternHeight; ++y) {
        for (int x = 0; x < kPatternWidth; ++x) {
            uint8_t red = 0, green = 0, blue = 0;
            PatternColour(x, y, red, green, blue);
            pixels.insert(pixels.end(), {blue, green, red, 0});
        }
    }
    return pixels;
}

} // namespace TestPicture
