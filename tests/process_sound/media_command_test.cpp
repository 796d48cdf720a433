// Tests of MediaCommandPlayer over the real SDL2_mixer, with SDL's disk driver writing what would be heard
// into a file: the tone arrives sample for sample, pause and stop keep the position, parts play exactly,
// and every failure answers its media-control number.
#include "disk_player.h"

using namespace process_sound_testing;

namespace {

constexpr int kToneFrames = kRate; // one second

std::vector<int16_t> Part(const std::vector<int16_t>& tone, int fromFrame, int toFrame) {
    return std::vector<int16_t>(tone.begin() + fromFrame * 2, tone.begin() + toFrame * 2);
}

void Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace

TEST(MediaCommands, ToneArrivesWholeAndPlaysForItsLength) {
    TemporaryFolder folder;
    const std::vector<int16_t> tone = ToneSamples(kToneFrames);
    const fs::path wav = folder / "音 テスト.wav";
    WriteWav(wav, tone);
    DiskPlayer player(folder);
    ASSERT_EQ(player.Send("open \"" + wav.string() + "\" alias mysound"), 0);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(player.Send("play mysound wait"), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    // A sound that has played to its end starts again from the beginning.
    ASSERT_EQ(player.Send("PLAY MySound wait"), 0);
    EXPECT_EQ(player.Send("close mysound"), 0);
    SoundFrames heard = player.Finish();
    std::vector<int16_t> twice = tone;
    twice.insert(twice.end(), tone.begin(), tone.end());
    ASSERT_EQ(heard.samples.size(), twice.size());
    EXPECT_TRUE(heard.samples == twice);
}

TEST(MediaCommands, PauseAndResumeKeepEverySampleOnce) {
    TemporaryFolder folder;
    const std::vector<int16_t> tone = ToneSamples(kToneFrames);
    const fs::path wav = folder / "tone.wav";
    WriteWav(wav, tone);
    DiskPlayer player(folder);
    ASSERT_EQ(player.Send("open \"" + wav.string() + "\" alias mysound"), 0);
    ASSERT_EQ(player.Send("play mysound"), 0);
    Sleep(100);
    ASSERT_EQ(player.Send("pause mysound"), 0);
    Sleep(200);
    ASSERT_EQ(player.Send("resume mysound"), 0);
    Sleep(100);
    ASSERT_EQ(player.Send("pause mysound"), 0);
    Sleep(200);
    // Play without a position goes on from the pause, and from a stop made while paused.
    ASSERT_EQ(player.Send("play mysound"), 0);
    Sleep(100);
    ASSERT_EQ(player.Send("pause mysound"), 0);
    ASSERT_EQ(player.Send("stop mysound"), 0);
    Sleep(100);
    ASSERT_EQ(player.Send("play mysound wait"), 0);
    SoundFrames heard = player.Finish();
    ASSERT_EQ(heard.samples.size(), tone.size());
    EXPECT_TRUE(heard.samples == tone);
    EXPECT_GE(heard.longestGap, static_cast<size_t>(kRate / 10)); // the pauses were silent
}

TEST(MediaCommands, StopKeepsThePositionAndPartsPlayExactly) {
    TemporaryFolder folder;
    const std::vector<int16_t> tone = ToneSamples(kToneFrames);
    const fs::path wav = folder / "tone.wav";
    WriteWav(wav, tone);
    DiskPlayer player(folder);
    ASSERT_EQ(player.Send("open \"" + wav.string() + "\" alias mysound type waveaudio"), 0);
    ASSERT_EQ(player.Send("set mysound time format milliseconds"), 0);
    ASSERT_EQ(player.Send("play mysound"), 0);
    Sleep(150);
    ASSERT_EQ(player.Send("stop mysound"), 0);
    Sleep(100);
    ASSERT_EQ(player.Send("play mysound wait"), 0);
    ASSERT_EQ(player.Send("play mysound from 100 to 200 wait"), 0);
    ASSERT_EQ(player.Send("seek mysound to start"), 0);
    ASSERT_EQ(player.Send("play mysound to 50 wait"), 0);
    SoundFrames heard = player.Finish();
    std::vector<int16_t> expected = tone;
    const std::vector<int16_t> middle = Part(tone, 4410, 8820);
    const std::vector<int16_t> opening = Part(tone, 0, 2205);
    expected.insert(expected.end(), middle.begin(), middle.end());
    expected.insert(expected.end(), opening.begin(), opening.end());
    ASSERT_EQ(heard.samples.size(), expected.size());
    EXPECT_TRUE(heard.samples == expected);
}

namespace {

// One middle C held for half a second: a MIDI file of one track, 480 ticks a beat at the default tempo.
void WriteMidi(const fs::path& file) {
    const std::string track = {0x00, '\x90', 60, 100, '\x83', 0x60, '\x80', 60, 0, 0x00, '\xFF', 0x2F, 0x00};
    std::string out = "MThd";
    out += std::string{0, 0, 0, 6, 0, 0, 0, 1, 0x01, '\xE0'};
    out += "MTrk";
    out += std::string{0, 0, 0, static_cast<char>(track.size())};
    out += track;
    std::ofstream(file, std::ios::binary) << out;
}

} // namespace

TEST(MediaCommands, MidiFilePlaysThroughTheSynthesiser) {
    TemporaryFolder folder;
    const fs::path midi = folder / "曲.mid";
    WriteMidi(midi);
    DiskPlayer player(folder);
    ASSERT_EQ(player.Send("open \"" + midi.string() + "\" alias mysound type sequencer"), 0);
    ASSERT_EQ(player.Send("play mysound wait"), 0);
    EXPECT_EQ(player.Send("close mysound"), 0);
    EXPECT_GT(player.Finish().samples.size(), static_cast<size_t>(kRate / 10));
}

TEST(MediaCommands, ErrorNumbers) {
    TemporaryFolder folder;
    const fs::path wav = folder / "tone.wav";
    WriteWav(wav, ToneSamples(4410));
    const fs::path garbage = folder / "garbage.wav";
    std::ofstream(garbage) << "this is not a sound file at all, only some text\n";
    DiskPlayer player(folder);
    const std::string open = "open \"" + wav.string() + "\" alias mysound";
    EXPECT_EQ(player.Send("play mysound"), 263);
    EXPECT_EQ(player.Send("close mysound"), 263);
    EXPECT_EQ(player.Send("open \"" + (folder / "missing.wav").string() + "\" alias mysound"), 275);
    EXPECT_EQ(player.Send("open \"\" alias mysound"), 275);
    EXPECT_NE(player.Send("open \"" + garbage.string() + "\" alias mysound"), 0);
    EXPECT_NE(player.Send("open \"" + folder.Path().string() + "\" alias mysound"), 0);
    EXPECT_EQ(player.Send("play mysound"), 263); // the failed opens left nothing open
    ASSERT_EQ(player.Send(open), 0);
    EXPECT_EQ(player.Send(open), 289);
    EXPECT_EQ(player.Send("open \"" + wav.string() + "\" alias MYSOUND"), 289);
    EXPECT_EQ(player.Send("rewind mysound"), 261);
    EXPECT_EQ(player.Send(""), 261);
    EXPECT_EQ(player.Send("play mysound fast"), 259);
    EXPECT_EQ(player.Send("play mysound from x"), 270);
    EXPECT_EQ(player.Send("play mysound from"), 273);
    EXPECT_EQ(player.Send("play mysound from 5000"), 282);
    EXPECT_EQ(player.Send("play mysound from 80 to 20"), 282);
    EXPECT_EQ(player.Send("set mysound time format frames"), 293);
    EXPECT_EQ(player.Send("open \"" + wav.string() + " alias other"), 294);
    EXPECT_EQ(player.Send("pause mysound"), 0); // nothing playing: nothing to do
    EXPECT_EQ(player.Send("close mysound"), 0);
    EXPECT_EQ(player.Send("play mysound"), 263);
    EXPECT_EQ(player.Send(open), 0); // the alias is free again
    EXPECT_EQ(player.Send("close all"), 0);
    EXPECT_EQ(player.Send("stop mysound"), 263);
}

TEST(MediaCommands, NoAudioDeviceAnswersAnErrorNumber) {
    TemporaryFolder folder;
    const fs::path wav = folder / "tone.wav";
    WriteWav(wav, ToneSamples(4410));
    setenv("SDL_AUDIODRIVER", "qm-no-such-driver", 1);
    MediaCommandPlayer player;
    const std::u16string open = FromUtf8("open \"" + wav.string() + "\" alias mysound");
    EXPECT_EQ(player.Send(open, {}), 262);
    EXPECT_EQ(player.Send(open, {}), 262);
    EXPECT_EQ(player.Send(u"play mysound wait", {}), 263);
}

TEST(MediaCommands, WaitGivesTurnsAndEndsWhenTheTurnSaysStop) {
    TemporaryFolder folder;
    const fs::path wav = folder / "tone.wav";
    WriteWav(wav, ToneSamples(4410));
    DiskPlayer player(folder);
    ASSERT_EQ(player.Send("open \"" + wav.string() + "\" alias mysound"), 0);
    int turns = 0;
    // Repeating forever: only the turn can end the wait.
    EXPECT_EQ(player.Send("play mysound repeat wait", [&] { return ++turns < 20; }), 0);
    EXPECT_EQ(turns, 20);
    EXPECT_EQ(player.Send("stop mysound"), 0);
    int quick = 0;
    EXPECT_EQ(player.Send("play mysound wait", [&] { return ++quick < 0; }), 0);
    EXPECT_EQ(quick, 1);
}
