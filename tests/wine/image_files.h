// Picture and sound files written by the tests themselves: a 24-bit BMP, an uncompressed PNG and a PCM WAV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ImageFiles {

// bgra: rows of 4-byte pixels (blue, green, red, unused), top row first.
std::string Bmp24(int width, int height, const std::vector<uint8_t>& bgra);
std::string Png(int width, int height, const std::vector<uint8_t>& bgra);
// A mono 16-bit PCM sound of the given length (a quiet tone).
std::string Wav(int milliseconds);

} // namespace ImageFiles
