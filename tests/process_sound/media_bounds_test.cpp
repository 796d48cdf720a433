// Tests of the bound on what opening a sound may decode: hostile WAV, MIDI, VOC and AIFF files answer as an
// unreadable file does, at once and without the memory; ordinary sounds at the edges still open and play.
#include "disk_player.h"
#include "sound_file_check.h"

#include <functional>
#include <sys/resource.h>

using namespace process_sound_testing;

namespace {

constexpr int32_t kUnreadable = 296;

void PutBig(std::string& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct WaveHeader {
    uint16_t tag = 1; // PCM
    uint32_t channels = 2;
    uint32_t rate = kRate;
    uint32_t bits = 16;
    uint32_t stated = 0; // the data chunk's size field
    uint32_t held = 0;   // the bytes of data the file holds
    bool dataFirst = false;
};

void WriteWave(const fs::path& file, const WaveHeader& h) {
    std::string fmt = "fmt ";
    PutLittle(fmt, 16, 4);
    PutLittle(fmt, h.tag, 2);
    PutLittle(fmt, h.channels, 2);
    PutLittle(fmt, h.rate, 4);
    PutLittle(fmt, h.rate * h.channels * h.bits / 8, 4);
    PutLittle(fmt, h.channels * h.bits / 8, 2);
    PutLittle(fmt, h.bits, 2);
    std::string data = "data";
    PutLittle(data, h.stated, 4);
    data += std::string(h.held, '\x10');
    const std::string body = "WAVE" + (h.dataFirst ? data + fmt : fmt + data);
    std::string out = "RIFF";
    PutLittle(out, static_cast<uint32_t>(body.size()), 4);
    ASSERT_TRUE(WriteFile(file, out + body));
}

// A MIDI file of one format and division, with one track per list of events (each ending the track).
void WriteMidi(const fs::path& file, uint32_t format, uint32_t division,
               const std::vector<std::string>& tracks) {
    std::string out = "MThd";
    PutBig(out, 6, 4);
    PutBig(out, format, 2);
    PutBig(out, static_cast<uint32_t>(tracks.size()), 2);
    PutBig(out, division, 2);
    for (const std::string& events : tracks) {
        const std::string track = events + std::string("\x00\xFF\x2F\x00", 4);
        out += "MTrk";
        PutBig(out, static_cast<uint32_t>(track.size()), 4);
        out += track;
    }
    ASSERT_TRUE(WriteFile(file, out));
}

// A delta time as the file holds it: seven bits a byte, the first bytes marked as continued.
std::string Delta(uint32_t ticks) {
    std::string out(1, static_cast<char>(ticks & 0x7F));
    while ((ticks >>= 7) != 0) out.insert(out.begin(), static_cast<char>(0x80 | (ticks & 0x7F)));
    return out;
}

std::string Tempo(uint32_t microsecondsPerQuarter) {
    std::string out("\x00\xFF\x51\x03", 4);
    PutBig(out, microsecondsPerQuarter, 3);
    return out;
}

// Middle C held for that many ticks (the second note-on uses the running status, its velocity 0 ends it).
std::string Note(uint32_t ticks) {
    return std::string("\x00\x90\x3C\x64", 4) + Delta(ticks) + std::string("\x3C\x00", 2);
}

// The most memory the process has held so far, in bytes.
uint64_t PeakMemory() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<uint64_t>(usage.ru_maxrss) * 1024;
}

// What the tests may add to the process's peak memory, the files they write included: far below what the
// conversions they provoke would take.
constexpr uint64_t kAllowedGrowth = uint64_t{128} << 20;

} // namespace

TEST(MediaBounds, ImpossibleWaveHeadersAnswerAsAnUnreadableFile) {
    TemporaryFolder folder;
    DiskPlayer player(folder);
    const uint32_t kHeld = 600 * 1024;
    const std::vector<std::pair<std::string, WaveHeader>> cases = {
        {"rate 0", {1, 1, 0, 16, kHeld, kHeld}},
        {"rate 999", {1, 1, 999, 16, kHeld, kHeld}},
        {"rate 384001", {1, 1, 384001, 16, kHeld, kHeld}},
        {"no channels", {1, 0, kRate, 16, kHeld, kHeld}},
        {"65535 channels", {1, 65535, kRate, 16, kHeld, kHeld}},
        {"9 channels", {1, 9, kRate, 16, kHeld, kHeld}},
        {"no bits", {1, 2, kRate, 0, kHeld, kHeld}},
        {"a data size far beyond the file", {1, 2, kRate, 16, 0xFFFFFF00u, kHeld}},
        {"data before its format", {1, 2, kRate, 16, kHeld, kHeld, true}},
        // 12.5 MB at 8 kHz, 8-bit mono: 276 MB once converted to 44.1 kHz 16-bit stereo.
        {"too long once converted", {1, 1, 8000, 8, 12500000, 12500000}},
        // 600 KiB at 1 Hz: hundreds of thousands of seconds, which the library tried to convert whole.
        {"rate 1", {1, 1, 1, 16, kHeld, kHeld}},
    };
    const uint64_t peakBefore = PeakMemory();
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [name, header] : cases) {
        const fs::path wav = folder / "hostile.wav";
        WriteWave(wav, header);
        EXPECT_EQ(player.Send("open \"" + wav.string() + "\" alias hostile"), kUnreadable) << name;
        player.Send("close hostile"); // each case on its own, should one be opened
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_LT(PeakMemory() - peakBefore, kAllowedGrowth);

    // The edges of the rates, and a data size that only overstates a little (a cut-off file), still open.
    const std::vector<std::pair<std::string, WaveHeader>> accepted = {
        {"rate 1000", {1, 1, kMinWaveRate, 8, 1000, 1000}},
        {"rate 384000", {1, 8, kMaxWaveRate, 32, 3072, 3072}},
        {"cut off", {1, 2, kRate, 16, 8000, 4000}},
    };
    for (const auto& [name, header] : accepted) {
        const fs::path wav = folder / "edge.wav";
        WriteWave(wav, header);
        EXPECT_EQ(player.Send("open \"" + wav.string() + "\" alias edge"), 0) << name;
        EXPECT_EQ(player.Send("close edge"), 0) << name;
    }
    const std::vector<int16_t> tone = ToneSamples(kRate / 10);
    const fs::path wav = folder / "tone.wav";
    WriteWav(wav, tone);
    ASSERT_EQ(player.Send("open \"" + wav.string() + "\" alias tone"), 0);
    ASSERT_EQ(player.Send("play tone wait"), 0);
    SoundFrames heard = player.Finish();
    EXPECT_TRUE(heard.samples == tone);
}

TEST(MediaBounds, MidiPlayingLongerThanTheBoundIsRefusedBeforeItIsSynthesised) {
    TemporaryFolder folder;
    DiskPlayer player(folder);
    const fs::path midi = folder / "long.mid";
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        // One note held for 3,600 quarters of a second each.
        {"an hour-long note", [&] { WriteMidi(midi, 0, 1, {Tempo(1000000) + Note(3600)}); }},
        // Few ticks, but a tempo track slows the notes of another track to 16.7 seconds a quarter.
        {"a slow tempo in another track",
         [&] {
             WriteMidi(midi, 1, 1, {Tempo(0xFFFFFF), Note(50) + Note(50)});
         }},
        // Independent sequences one after another: 20 minutes each.
        {"sequences one after another",
         [&] {
             WriteMidi(midi, 2, 1, {Tempo(1000000) + Note(1200), Tempo(1000000) + Note(1200)});
         }},
        // 25 frames a second, 1 tick a frame: 40 minutes.
        {"time code", [&] { WriteMidi(midi, 0, 0xE701, {Note(60000)}); }},
    };
    const uint64_t peakBefore = PeakMemory();
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [name, write] : cases) {
        write();
        EXPECT_EQ(player.Send("open \"" + midi.string() + "\" alias long"), kUnreadable) << name;
        player.Send("close long");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_LT(PeakMemory() - peakBefore, kAllowedGrowth);

    // Two sequences of ten minutes together stay within it (the synthesis itself is not run here).
    WriteMidi(midi, 1, 1, {Tempo(1000000), Note(600), Note(600)});
    EXPECT_EQ(CheckSoundFile(midi.string(), kRate, 4), SoundFileCheck::MidiAccepted);
}

// An organ note (it sounds as long as it is held) that is never released: the synthesiser went on sounding it
// until the budget of a gigabyte was used, for most of a minute, before the open was refused. Synthesis is
// bounded by the time of the events and a release tail: the open is refused within a few megabytes. The same
// note released after a quarter plays.
TEST(MediaBounds, AMidiNoteNeverReleasedIsSynthesisedOnlyForItsEventsAndATail) {
    TemporaryFolder folder;
    DiskPlayer player(folder);
    const fs::path held = folder / "held.mid";
    const std::string organ("\x00\xC0\x13", 3);
    // The note, then a quarter later a volume change instead of its release.
    WriteMidi(held, 0, 96, {organ + std::string("\x00\x90\x3C\x64", 4) + Delta(96) + "\xB0\x07\x64"});
    const uint64_t peakBefore = PeakMemory();
    EXPECT_EQ(player.Send("open \"" + held.string() + "\" alias held"), kUnreadable);
    EXPECT_LT(PeakMemory() - peakBefore, kAllowedGrowth);

    const fs::path released = folder / "released.mid";
    WriteMidi(released, 0, 96, {organ + Note(96)});
    ASSERT_EQ(player.Send("open \"" + released.string() + "\" alias released"), 0);
    ASSERT_EQ(player.Send("play released wait"), 0);
    const SoundFrames heard = player.Finish();
    EXPECT_GT(heard.samples.size(), size_t{kRate / 4});
}

namespace {

// A Creative Voice file of one block of 16-bit mono samples at any rate.
void WriteVoice(const fs::path& file, uint32_t rate, uint32_t bytes) {
    std::string out = "Creative Voice File\x1A";
    PutLittle(out, 0x1A, 2);
    PutLittle(out, 0x010A, 2);
    PutLittle(out, 0x1129, 2);
    std::string block;
    PutLittle(block, rate, 4);
    block += std::string("\x10\x01\x04\x00\x00\x00\x00\x00", 8); // 16 bits, 1 channel, signed PCM
    block += std::string(bytes, '\x10');
    out += '\x09';
    PutLittle(out, static_cast<uint32_t>(block.size()), 3);
    out += block + '\0';
    ASSERT_TRUE(WriteFile(file, out));
}

// An AIFF file of 8-bit mono samples at a whole rate (the rate is an 80-bit float).
void WriteAiff(const fs::path& file, uint32_t rate, uint32_t bytes) {
    int exponent = 0;
    while ((rate >> (exponent + 1)) != 0) ++exponent;
    const uint64_t mantissa = uint64_t{rate} << (63 - exponent);
    std::string body = "AIFFCOMM";
    PutBig(body, 18, 4);
    PutBig(body, 1, 2);
    PutBig(body, bytes, 4);
    PutBig(body, 8, 2);
    PutBig(body, 16383 + exponent, 2);
    PutBig(body, static_cast<uint32_t>(mantissa >> 32), 4);
    PutBig(body, static_cast<uint32_t>(mantissa), 4);
    body += "SSND";
    PutBig(body, 8 + bytes, 4);
    PutBig(body, 0, 4);
    PutBig(body, 0, 4);
    body += std::string(bytes, '\x10');
    std::string out = "FORM";
    PutBig(out, static_cast<uint32_t>(body.size()), 4);
    ASSERT_TRUE(WriteFile(file, out + body));
}

} // namespace

TEST(MediaBounds, OtherFormatsAreDecodedWithinTheBound) {
    TemporaryFolder folder;
    DiskPlayer player(folder);
    const fs::path voice = folder / "slow.voc";
    const fs::path aiff = folder / "long.aiff";
    const uint64_t peakBefore = PeakMemory();
    const auto start = std::chrono::steady_clock::now();
    // 600 KiB at 1 Hz: the conversion would take gigabytes.
    WriteVoice(voice, 1, 600 * 1024);
    EXPECT_EQ(player.Send("open \"" + voice.string() + "\" alias slow"), kUnreadable);
    // 12.5 MB at 8 kHz, 8-bit mono: 276 MB once converted.
    WriteAiff(aiff, 8000, 12500000);
    EXPECT_EQ(player.Send("open \"" + aiff.string() + "\" alias long"), kUnreadable);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_LT(PeakMemory() - peakBefore, kAllowedGrowth);

    // Ordinary files of both formats open and play.
    WriteVoice(voice, 22050, 22050);
    ASSERT_EQ(player.Send("open \"" + voice.string() + "\" alias voice"), 0);
    EXPECT_EQ(player.Send("play voice wait"), 0);
    WriteAiff(aiff, 22050, 2205);
    ASSERT_EQ(player.Send("open \"" + aiff.string() + "\" alias aiff"), 0);
    EXPECT_EQ(player.Send("play aiff wait"), 0);
    EXPECT_GT(player.Finish().samples.size(), static_cast<size_t>(kRate / 2));
}
