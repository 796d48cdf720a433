// Checks of sound files before decoding: a WAV file's "fmt " and data chunks found by walking its RIFF
// chunks; a MIDI file's tracks read event by event for their ends and tempo changes.
#include "sound_file_check.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

namespace {

uint32_t Little(const unsigned char* bytes, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

uint32_t Big(const unsigned char* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

uint64_t FileSize(std::ifstream& in) {
    in.seekg(0, std::ios::end);
    return static_cast<uint64_t>(in.tellg());
}

// The decoded size of that many seconds at the output rate, against the bound.
bool WithinBound(double seconds, uint32_t outputRate, uint32_t outputFrameBytes) {
    return seconds * outputRate * outputFrameBytes <= static_cast<double>(kMaxDecodedSoundBytes);
}

// WAV

// Format tags whose samples take a fixed number of bytes; every other format the library decodes (the
// ADPCM kinds) takes at least 4 bits a sample.
constexpr uint16_t kPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kALaw = 6;
constexpr uint16_t kMuLaw = 7;
constexpr uint16_t kExtensible = 0xFFFE;

struct WaveFormat {
    uint16_t tag = 0;
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bits = 0;
};

std::optional<WaveFormat> ReadFormat(std::ifstream& in, uint32_t size) {
    std::array<unsigned char, 40> bytes{};
    if (size < 16) return std::nullopt;
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::min<uint32_t>(size, bytes.size())))
        return std::nullopt;
    WaveFormat format;
    format.tag = static_cast<uint16_t>(Little(&bytes[0], 2));
    format.channels = Little(&bytes[2], 2);
    format.rate = Little(&bytes[4], 4);
    format.bits = Little(&bytes[14], 2);
    // An extensible format names its real format in the first two bytes of its sub-format.
    if (format.tag == kExtensible && size >= 40) format.tag = static_cast<uint16_t>(Little(&bytes[24], 2));
    return format;
}

SoundFileCheck JudgeWave(const WaveFormat& format, uint64_t statedBytes, uint64_t heldBytes,
                         uint32_t outputRate, uint32_t outputFrameBytes) {
    if (format.channels < 1 || format.channels > kMaxWaveChannels) return SoundFileCheck::Refused;
    if (format.rate < kMinWaveRate || format.rate > kMaxWaveRate) return SoundFileCheck::Refused;
    if (statedBytes > kMaxDecodedSoundBytes) return SoundFileCheck::Refused;
    uint64_t frames = 0;
    if (format.tag == kPcm || format.tag == kFloat || format.tag == kALaw || format.tag == kMuLaw) {
        if (format.bits < 1 || format.bits > 64) return SoundFileCheck::Refused;
        frames = heldBytes / (format.channels * ((format.bits + 7) / 8));
    } else {
        frames = heldBytes * 2 / format.channels;
    }
    const double seconds = static_cast<double>(frames) / format.rate;
    return WithinBound(seconds, outputRate, outputFrameBytes) ? SoundFileCheck::WaveAccepted
                                                              : SoundFileCheck::Refused;
}

SoundFileCheck CheckWave(std::ifstream& in, uint32_t outputRate, uint32_t outputFrameBytes) {
    std::array<unsigned char, 12> riff{};
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(riff.data()), riff.size()) || std::memcmp(&riff[8], "WAVE", 4) != 0)
        return SoundFileCheck::Unchecked;
    const uint64_t fileSize = FileSize(in);
    std::optional<WaveFormat> format;
    // Each chunk: its name, its size, its bytes and a pad byte after an odd size. The data chunk ends the
    // walk.
    for (uint64_t position = riff.size(); position + 8 <= fileSize;) {
        std::array<unsigned char, 8> header{};
        in.seekg(static_cast<std::streamoff>(position));
        if (!in.read(reinterpret_cast<char*>(header.data()), header.size())) break;
        const uint32_t size = Little(&header[4], 4);
        if (std::memcmp(&header[0], "fmt ", 4) == 0) {
            format = ReadFormat(in, size);
            if (!format) return SoundFileCheck::Refused;
        } else if (std::memcmp(&header[0], "data", 4) == 0) {
            if (!format) return SoundFileCheck::Refused;
            const uint64_t held = std::min<uint64_t>(size, fileSize - position - 8);
            return JudgeWave(*format, size, held, outputRate, outputFrameBytes);
        }
        position += 8 + uint64_t{size} + (size & 1);
    }
    return SoundFileCheck::Refused;
}

// MIDI

struct Tempo {
    uint64_t tick = 0;
    uint32_t microsecondsPerQuarter = 0;
};

struct Track {
    uint64_t end = 0; // the tick of the last event
    std::vector<Tempo> tempos;
};

// The bytes of one track chunk, read one at a time; false once the chunk or the file has ended.
class TrackBytes {
  public:
    TrackBytes(std::streambuf& file, uint64_t length) : file_(file), left_(length) {}
    bool Byte(uint32_t& out) {
        if (left_ == 0) return false;
        const int c = file_.sbumpc();
        if (c == std::char_traits<char>::eof()) return false;
        --left_;
        out = static_cast<uint32_t>(c);
        return true;
    }
    // A variable-length number: seven bits a byte, the high bit set on all but the last, at most four bytes.
    bool Number(uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t byte = 0;
            if (!Byte(byte)) return false;
            out = (out << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return true;
        }
        return false;
    }
    bool Skip(uint32_t count) {
        uint32_t ignored = 0;
        for (uint32_t i = 0; i < count; ++i)
            if (!Byte(ignored)) return false;
        return true;
    }

  private:
    std::streambuf& file_;
    uint64_t left_;
};

// Reads the events up to the end of the track or the first malformed one, where the synthesiser stops too.
Track ReadTrack(TrackBytes& bytes) {
    Track track;
    uint64_t tick = 0;
    uint32_t running = 0; // the status a data byte without its own status continues
    for (uint32_t delta = 0, status = 0; bytes.Number(delta) && bytes.Byte(status);) {
        tick += delta;
        uint32_t length = 0, data = 0;
        if (status == 0xFF) { // meta event: type, length, data
            uint32_t type = 0;
            if (!bytes.Byte(type) || !bytes.Number(length)) break;
            if (type == 0x51 && length == 3) {
                uint32_t tempo = 0;
                for (int i = 0; i < 3 && bytes.Byte(data); ++i) tempo = (tempo << 8) | data;
                track.tempos.push_back({tick, tempo});
            } else if (!bytes.Skip(length)) {
                break;
            }
            track.end = tick;
            if (type == 0x2F) break; // end of track
            continue;
        }
        if (status == 0xF0 || status == 0xF7) { // system exclusive: length, data
            if (!bytes.Number(length) || !bytes.Skip(length)) break;
            running = 0;
        } else {
            if (status < 0x80) {
                if (running == 0) break;
                status = running; // the byte read was the first data byte
            } else if (status >= 0xF0 || !bytes.Byte(data)) {
                break;
            }
            running = status;
            // Program change and channel pressure have one data byte, the other channel messages two.
            if ((status & 0xE0) != 0xC0 && !bytes.Byte(data)) break;
        }
        track.end = tick;
    }
    return track;
}

// Seconds from tick 0 to the end through the tempo changes (sorted by tick); 120 beats a minute until the
// first one.
double Seconds(const std::vector<Tempo>& tempos, uint64_t end, uint32_t ticksPerQuarter) {
    double microsecondTicks = 0;
    uint64_t at = 0;
    uint32_t tempo = 500000;
    for (const Tempo& change : tempos) {
        if (change.tick >= end) break;
        microsecondTicks += static_cast<double>(change.tick - at) * tempo;
        at = change.tick;
        tempo = change.microsecondsPerQuarter;
    }
    microsecondTicks += static_cast<double>(end - at) * tempo;
    return microsecondTicks / ticksPerQuarter / 1e6;
}

SoundFileCheck CheckMidi(std::ifstream& in, uint32_t outputRate, uint32_t outputFrameBytes,
                         double* midiSeconds) {
    std::array<unsigned char, 14> header{};
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(header.data()), header.size())) return SoundFileCheck::Refused;
    const uint32_t headerSize = Big(&header[4], 4);
    const uint32_t format = Big(&header[8], 2);
    const uint32_t trackCount = Big(&header[10], 2);
    const uint32_t division = Big(&header[12], 2);
    // Ticks a quarter note, or frames a second times ticks a frame (the tempo does not count then).
    const bool timecode = (division & 0x8000) != 0;
    const uint32_t ticksPerSecond = (256 - (division >> 8)) * (division & 0xFF);
    if (headerSize < 6 || division == 0 || (timecode && ticksPerSecond == 0)) return SoundFileCheck::Refused;

    const uint64_t fileSize = FileSize(in);
    std::vector<Track> tracks;
    for (uint64_t position = 8 + uint64_t{headerSize};
         tracks.size() < trackCount && position + 8 <= fileSize;) {
        std::array<unsigned char, 8> chunk{};
        in.seekg(static_cast<std::streamoff>(position));
        if (!in.read(reinterpret_cast<char*>(chunk.data()), chunk.size())) break;
        const uint32_t size = Big(&chunk[4], 4);
        if (std::memcmp(&chunk[0], "MTrk", 4) == 0) {
            TrackBytes bytes(*in.rdbuf(), size);
            tracks.push_back(ReadTrack(bytes));
        }
        position += 8 + uint64_t{size};
    }

    double seconds = 0;
    if (timecode) {
        for (const Track& track : tracks)
            seconds = format == 2 ? seconds + static_cast<double>(track.end) / ticksPerSecond
                                  : std::max(seconds, static_cast<double>(track.end) / ticksPerSecond);
    } else if (format == 2) { // independent sequences played one after the other
        for (const Track& track : tracks) seconds += Seconds(track.tempos, track.end, division);
    } else { // tracks played together, the tempo changes of any track counting for all
        std::vector<Tempo> tempos;
        uint64_t end = 0;
        for (const Track& track : tracks) {
            tempos.insert(tempos.end(), track.tempos.begin(), track.tempos.end());
            end = std::max(end, track.end);
        }
        std::stable_sort(tempos.begin(), tempos.end(),
                         [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
        seconds = Seconds(tempos, end, division);
    }
    if (midiSeconds != nullptr) *midiSeconds = seconds;
    return WithinBound(seconds, outputRate, outputFrameBytes) ? SoundFileCheck::MidiAccepted
                                                              : SoundFileCheck::Refused;
}

} // namespace

SoundFileCheck CheckSoundFile(const std::string& path, uint32_t outputRate, uint32_t outputFrameBytes,
                              double* midiSeconds) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 4> magic{};
    if (!in.read(magic.data(), magic.size())) return SoundFileCheck::Unchecked;
    if (std::memcmp(magic.data(), "RIFF", 4) == 0) return CheckWave(in, outputRate, outputFrameBytes);
    if (std::memcmp(magic.data(), "MThd", 4) == 0)
        return CheckMidi(in, outputRate, outputFrameBytes, midiSeconds);
    return SoundFileCheck::Unchecked;
}
