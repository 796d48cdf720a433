// The bound on what one open of a sound may decode, and the check of a WAV file's header or a MIDI file's
// playing time against it before anything of the file is decoded.
#pragma once

#include <cstdint>
#include <string>

// The most one open may decode into the output format: 256 MiB is 25 minutes of 44.1 kHz 16-bit stereo,
// longer than any sound a macro plays as a signal or as music, and the whole sound is held in memory.
inline constexpr uint64_t kMaxDecodedSoundBytes = uint64_t{256} << 20;

// Sample rates a WAV file may have: from below the telephone's 8 kHz to the highest studio rate.
inline constexpr uint32_t kMinWaveRate = 1000;
inline constexpr uint32_t kMaxWaveRate = 384000;
// Channels the audio library converts (up to 7.1).
inline constexpr uint32_t kMaxWaveChannels = 8;

enum class SoundFileCheck {
    Unchecked,    // another format, judged by other means
    WaveAccepted, // a WAV file whose decoding stays within the bound
    MidiAccepted, // a MIDI file whose playing time, synthesised, stays within the bound
    Refused, // a WAV file with an impossible format or no data, or a file with more to decode than the bound
};

// Judges a WAV file by its RIFF chunks up to its data chunk (the samples are never read): the data chunk's
// stated size must be within the bound (the audio library reserves that much before reading), and so must
// the samples the file holds once converted to outputRate with outputFrameBytes a frame. Judges a MIDI file
// by the time from its start to its last event, through its tempo changes, at the output rate; that time is
// left in `midiSeconds` when given.
SoundFileCheck CheckSoundFile(const std::string& path, uint32_t outputRate, uint32_t outputFrameBytes,
                              double* midiSeconds = nullptr);

// Seconds a synthesiser may go on sounding after a MIDI file's last event: the release of the notes still
// held. A note never released would otherwise sound for as long as the synthesiser is asked to render.
inline constexpr double kMidiTailSeconds = 10;
