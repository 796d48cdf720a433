// Helpers of the process and sound tests: temporary folders, waiting for a file to appear, reading and
// writing files, and a generated WAV tone whose every sample is non-zero.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace process_sound_testing {

namespace fs = std::filesystem;

// A fresh folder for one test, removed at its end.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                ("qm_ps_" + std::string(info->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / fs::u8path(name); }

  private:
    fs::path path_;
};

inline bool WaitForFile(const fs::path& file, std::chrono::seconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (fs::exists(file)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

inline std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes bytes to a file, replacing what it held; true when every byte was written.
inline bool WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Stereo 16-bit frames at 44100 Hz: a 441 Hz cosine with a half-sample phase, so no sample is ever 0, on the
// left and its negative on the right.
inline constexpr int kRate = 44100;

inline std::vector<int16_t> ToneSamples(int frames) {
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double value = 8000.0 * std::cos(2.0 * std::numbers::pi * (i + 0.5) / 100.0);
        const auto sample = static_cast<int16_t>(std::lround(value));
        samples.push_back(sample);
        samples.push_back(static_cast<int16_t>(-sample));
    }
    return samples;
}

inline void PutLittle(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void WriteWav(const fs::path& file, const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    PutLittle(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLittle(out, 16, 4);
    PutLittle(out, 1, 2); // PCM
    PutLittle(out, 2, 2); // channels
    PutLittle(out, kRate, 4);
    PutLittle(out, kRate * 4, 4);
    PutLittle(out, 4, 2);
    PutLittle(out, 16, 2);
    out += "data";
    PutLittle(out, dataBytes, 4);
    for (int16_t s : samples) PutLittle(out, static_cast<uint16_t>(s), 2);
    std::ofstream(file, std::ios::binary) << out;
}

// The frames of a raw stereo 16-bit stream that are not silent, in order, and the longest silent run
// between two non-silent frames.
struct SoundFrames {
    std::vector<int16_t> samples;
    size_t longestGap = 0;
};

inline SoundFrames NonSilentFrames(const std::string& raw) {
    SoundFrames out;
    size_t gap = 0;
    const size_t frames = raw.size() / 4;
    for (size_t f = 0; f < frames; ++f) {
        int16_t left = 0;
        int16_t right = 0;
        std::memcpy(&left, raw.data() + f * 4, 2);
        std::memcpy(&right, raw.data() + f * 4 + 2, 2);
        if (left == 0 && right == 0) {
            ++gap;
            continue;
        }
        if (!out.samples.empty() && gap > out.longestGap) out.longestGap = gap;
        gap = 0;
        out.samples.push_back(left);
        out.samples.push_back(right);
    }
    return out;
}

} // namespace process_sound_testing
