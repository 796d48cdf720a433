// The media commands of SOUND over SDL2_mixer, loaded at the first open: open decodes the whole file (WAV,
// MP3, OGG, FLAC, MIDI) into the output format, within a bound, play runs a part of it on the alias's own
// mixer channel, and the position is counted from the bytes the mixer has taken, so pause, stop and a later
// play continue there.
#include "media_command_player.h"

#include "codepage.h"
#include "media_command_text.h"
#include "sdl_allocation_budget.h"
#include "sdl_mixer_library.h"
#include "sound_file_check.h"

#include <atomic>
#include <dlfcn.h>
#include <chrono>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using Words = std::vector<MediaWord>;

enum class Mode { Stopped, Playing, Paused };

// One open sound: the decoded samples, the part now handed to the mixer and how far the mixer has got.
struct Sound {
    const SdlMixerLibrary* mix = nullptr;
    int channel = 0;
    Mix_Chunk* samples = nullptr;
    Mix_Chunk* part = nullptr; // a view on samples from partStart to partEnd
    uint32_t partStart = 0;    // bytes
    uint32_t partEnd = 0;
    bool repeat = false;
    Mode mode = Mode::Stopped;
    uint32_t stoppedAt = 0; // bytes; the position while stopped
    std::atomic<uint64_t> taken{0};

    ~Sound() {
        if (samples == nullptr) return;
        mix->HaltChannel(channel);
        if (part != nullptr) mix->FreeChunk(part);
        mix->FreeChunk(samples);
    }
};

// Counts the bytes the mixer takes from the channel; runs on the audio thread.
void CountTaken(int, void*, int length, void* sound) {
    static_cast<Sound*>(sound)->taken.fetch_add(static_cast<uint64_t>(length), std::memory_order_relaxed);
}

std::string LowerText(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = LowerAscii(c);
    return out;
}

// ALSA reports a missing sound card on standard error, line by line, before SDL gets its failure; that
// answer is ours to give (262), so when SDL has loaded ALSA its messages are silenced.
void SilentAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (alsa == nullptr) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (void* set = dlsym(alsa, "snd_lib_error_set_handler"); set != nullptr)
        reinterpret_cast<SetHandler>(set)(SilentAlsaMessage);
    dlclose(alsa);
}

void Pause(std::chrono::milliseconds length) {
    std::this_thread::sleep_for(length);
}

// What decoding a file of another format than WAV may allocate: the decoder collects the sound in pieces and
// copies them into one block at the end, and a conversion passes through wider samples, so a sound of the
// whole decoded bound needs a few times that on its way.
constexpr uint64_t kOtherFormatBudget = 4 * kMaxDecodedSoundBytes;

// What synthesising a MIDI file may allocate: as for other formats, a few times the sound its events last
// plus the release of its last notes, and room for the decoder's own small blocks. A note that is never
// released would otherwise be synthesised until the whole budget is used (a gigabyte and most of a minute).
uint64_t MidiBudget(double seconds, int frequency, int frameBytes) {
    constexpr uint64_t kDecoderBytes = uint64_t{8} << 20;
    const double sound = (seconds + kMidiTailSeconds) * frequency * frameBytes;
    return std::min<uint64_t>(kOtherFormatBudget, 4 * static_cast<uint64_t>(sound) + kDecoderBytes);
}

} // namespace

struct MediaCommandPlayer::State {
    const SdlMixerLibrary* mix = nullptr; // set by the first open that finds the library
    bool audioOpen = false;
    int frequency = 0;
    int frameBytes = 4;
    std::map<std::string, std::unique_ptr<Sound>> sounds; // by lower-case alias

    ~State() {
        sounds.clear();
        if (audioOpen) {
            mix->CloseAudio();
            mix->QuitSubSystem(SDL_INIT_AUDIO);
        }
    }

    int32_t OpenAudio();
    int32_t Open(const Words& words);
    Mix_Chunk* Decode(const std::string& file);
    bool StatedLengthTooLong(const std::string& file) const;
    int32_t Play(Sound& sound, const Words& words, const DesktopPlatform::WaitTurn& waitTurn);
    int32_t Seek(Sound& sound, const Words& words);
    int32_t Command(const Words& words, const DesktopPlatform::WaitTurn& waitTurn);
    int FreeChannel() const;

    uint32_t BytesAt(uint32_t milliseconds) const {
        const uint64_t frames = static_cast<uint64_t>(milliseconds) * static_cast<uint64_t>(frequency) / 1000;
        return static_cast<uint32_t>(frames * static_cast<uint64_t>(frameBytes));
    }
    uint32_t Length(const Sound& sound) const {
        return sound.samples->alen - sound.samples->alen % static_cast<uint32_t>(frameBytes);
    }
    void Refresh(Sound& sound) const;
    uint32_t Position(Sound& sound) const;
    void Halt(Sound& sound) const;
};

// Lazily, on the first open: SDL's environment (SDL_AUDIODRIVER and the driver's own variables) picks the
// output. Without the audio library or a usable device the open answers a hardware error, as a machine
// without sound would, and the next open tries the device again.
int32_t MediaCommandPlayer::State::OpenAudio() {
    if (audioOpen) return MediaError::kNone;
    if (mix == nullptr) mix = LoadSdlMixerLibrary();
    if (mix == nullptr) return MediaError::kHardware;
    InstallSdlAllocationCounter(*mix);
    if (mix->InitSubSystem(SDL_INIT_AUDIO) != 0) return MediaError::kHardware;
    SilenceAlsa();
    if (mix->OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        mix->QuitSubSystem(SDL_INIT_AUDIO);
        return MediaError::kHardware;
    }
    Uint16 format = 0;
    int channels = 0;
    mix->QuerySpec(&frequency, &format, &channels);
    frameBytes = static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * channels;
    if (frameBytes <= 0 || frequency <= 0) {
        mix->CloseAudio();
        mix->QuitSubSystem(SDL_INIT_AUDIO);
        return MediaError::kHardware;
    }
    audioOpen = true;
    return MediaError::kNone;
}

int MediaCommandPlayer::State::FreeChannel() const {
    int channel = 0;
    for (const auto& entry : sounds)
        if (entry.second->channel >= channel) channel = entry.second->channel + 1;
    return channel;
}

// open FILE [alias NAME] [type NAME] [shareable] [wait] [notify]; without an alias the file name names it.
int32_t MediaCommandPlayer::State::Open(const Words& words) {
    if (words.size() < 2) return MediaError::kMissingParameter;
    const std::string file = words[1].text;
    std::string alias = file;
    for (size_t i = 2; i < words.size(); ++i) {
        if (IsKeyword(words[i], "alias") || IsKeyword(words[i], "type")) {
            if (i + 1 >= words.size()) return MediaError::kMissingParameter;
            if (IsKeyword(words[i], "alias")) alias = words[i + 1].text;
            ++i;
        } else if (!IsKeyword(words[i], "shareable") && !IsKeyword(words[i], "wait") &&
                   !IsKeyword(words[i], "notify")) {
            return MediaError::kUnrecognisedKeyword;
        }
    }
    alias = LowerText(alias);
    if (sounds.count(alias) != 0) return MediaError::kDuplicateAlias;
    struct stat info {};
    if (file.empty() || stat(file.c_str(), &info) != 0) return MediaError::kFileNotFound;
    if (!S_ISREG(info.st_mode)) return MediaError::kInvalidFile;
    if (int32_t failure = OpenAudio(); failure != MediaError::kNone) return failure;

    Mix_Chunk* samples = Decode(file);
    if (samples == nullptr) return MediaError::kInvalidFile;
    auto sound = std::make_unique<Sound>();
    sound->mix = mix;
    sound->samples = samples;
    sound->channel = FreeChannel();
    if (mix->AllocateChannels(-1) <= sound->channel) mix->AllocateChannels(sound->channel + 1);
    sounds[alias] = std::move(sound);
    return MediaError::kNone;
}

// The whole file in the output format, or null when it cannot be read or decoded, or would decode to more
// than the bound: WAV and MIDI files are judged before they are decoded; other formats by the length their
// header states, where the library can tell it, and in any case by what their decoding allocates.
Mix_Chunk* MediaCommandPlayer::State::Decode(const std::string& file) {
    double midiSeconds = 0;
    const SoundFileCheck check = CheckSoundFile(file, static_cast<uint32_t>(frequency),
                                                static_cast<uint32_t>(frameBytes), &midiSeconds);
    if (check == SoundFileCheck::Refused) return nullptr;
    // A WAV file's conversion may pass through several times its size in wider samples: its header has
    // already bounded it.
    std::optional<SdlAllocationBudget> budget;
    if (check == SoundFileCheck::MidiAccepted)
        budget.emplace(MidiBudget(midiSeconds, frequency, frameBytes));
    else if (check != SoundFileCheck::WaveAccepted)
        budget.emplace(kOtherFormatBudget);
    if (check == SoundFileCheck::Unchecked && StatedLengthTooLong(file)) return nullptr;
    SDL_RWops* stream = mix->RWFromFile(file.c_str(), "rb");
    return stream != nullptr ? mix->LoadWAV_RW(stream, 1) : nullptr;
}

// Whether the length the file's header states (MP3, OGG, FLAC, AIFF), where the library can tell it, gives
// more than the bound in the output format.
bool MediaCommandPlayer::State::StatedLengthTooLong(const std::string& file) const {
    if (mix->MusicDuration == nullptr) return false;
    SDL_RWops* stream = mix->RWFromFile(file.c_str(), "rb");
    if (stream == nullptr) return false;
    Mix_Music* music = mix->LoadMUS_RW(stream, 1);
    if (music == nullptr) return false;
    const double seconds = mix->MusicDuration(music);
    mix->FreeMusic(music);
    return seconds * frequency * frameBytes > static_cast<double>(kMaxDecodedSoundBytes);
}

// A part that has played to its end stops there.
void MediaCommandPlayer::State::Refresh(Sound& sound) const {
    if (sound.mode == Mode::Playing && mix->Playing(sound.channel) == 0) {
        sound.mode = Mode::Stopped;
        sound.stoppedAt = sound.partEnd;
    }
}

uint32_t MediaCommandPlayer::State::Position(Sound& sound) const {
    Refresh(sound);
    if (sound.mode == Mode::Stopped) return sound.stoppedAt;
    const uint64_t length = sound.partEnd - sound.partStart;
    uint64_t taken = sound.taken.load(std::memory_order_relaxed);
    taken = sound.repeat ? taken % length : std::min(taken, length);
    return sound.partStart + static_cast<uint32_t>(taken);
}

void MediaCommandPlayer::State::Halt(Sound& sound) const {
    if (sound.mode == Mode::Stopped) return;
    sound.stoppedAt = Position(sound);
    mix->HaltChannel(sound.channel);
    sound.mode = Mode::Stopped;
}

// play ALIAS [from N] [to N] [repeat] [wait] [notify], positions in milliseconds. Without "from" the sound
// continues where it is (a paused sound resumes); a sound at its end starts again from the beginning.
int32_t MediaCommandPlayer::State::Play(Sound& sound, const Words& words,
                                        const DesktopPlatform::WaitTurn& waitTurn) {
    bool hasFrom = false, hasTo = false, wait = false, repeat = false;
    uint32_t from = 0, to = 0;
    for (size_t i = 2; i < words.size(); ++i) {
        if (IsKeyword(words[i], "from") || IsKeyword(words[i], "to")) {
            if (i + 1 >= words.size()) return MediaError::kMissingParameter;
            uint32_t ms = 0;
            if (!ReadMilliseconds(words[i + 1], ms)) return MediaError::kBadInteger;
            (IsKeyword(words[i], "from") ? hasFrom : hasTo) = true;
            (IsKeyword(words[i], "from") ? from : to) = ms;
            ++i;
        } else if (IsKeyword(words[i], "wait")) {
            wait = true;
        } else if (IsKeyword(words[i], "repeat")) {
            repeat = true;
        } else if (!IsKeyword(words[i], "notify")) {
            return MediaError::kUnrecognisedKeyword;
        }
    }
    const uint32_t length = Length(sound);
    const uint32_t start = hasFrom ? BytesAt(from) : Position(sound);
    const uint32_t end = hasTo ? BytesAt(to) : length;
    if (start > length || end > length || (hasFrom && hasTo && from > to)) return MediaError::kOutOfRange;

    if (sound.mode == Mode::Paused && !hasFrom && !hasTo) {
        mix->Resume(sound.channel);
        sound.mode = Mode::Playing;
    } else {
        Halt(sound);
        const uint32_t first = (!hasFrom && start >= end) ? 0 : start;
        if (first >= end) return MediaError::kNone; // an empty part plays nothing
        if (sound.part != nullptr) mix->FreeChunk(sound.part);
        sound.part = mix->QuickLoad_RAW(sound.samples->abuf + first, end - first);
        if (sound.part == nullptr) return MediaError::kHardware;
        sound.partStart = first;
        sound.partEnd = end;
        sound.repeat = repeat;
        sound.taken.store(0);
        mix->UnregisterAllEffects(sound.channel);
        mix->RegisterEffect(sound.channel, CountTaken, nullptr, &sound);
        if (mix->PlayChannelTimed(sound.channel, sound.part, repeat ? -1 : 0, -1) < 0)
            return MediaError::kHardware;
        sound.mode = Mode::Playing;
    }
    // The wait gives the caller a turn every few milliseconds, so a stop request ends it at once.
    while (wait) {
        Refresh(sound);
        if (sound.mode != Mode::Playing) break;
        if (waitTurn && !waitTurn()) break;
        Pause(std::chrono::milliseconds(5));
    }
    return MediaError::kNone;
}

// seek ALIAS to start | to end | to N: a stopped position; a playing sound stops there.
int32_t MediaCommandPlayer::State::Seek(Sound& sound, const Words& words) {
    if (words.size() != 4 || !IsKeyword(words[2], "to")) return MediaError::kMissingParameter;
    uint32_t position = 0;
    uint32_t ms = 0;
    if (IsKeyword(words[3], "start"))
        position = 0;
    else if (IsKeyword(words[3], "end"))
        position = Length(sound);
    else if (ReadMilliseconds(words[3], ms))
        position = BytesAt(ms);
    else
        return MediaError::kBadInteger;
    if (position > Length(sound)) return MediaError::kOutOfRange;
    Halt(sound);
    sound.stoppedAt = position;
    return MediaError::kNone;
}

int32_t MediaCommandPlayer::State::Command(const Words& words, const DesktopPlatform::WaitTurn& waitTurn) {
    if (words.empty()) return MediaError::kUnrecognisedCommand;
    const MediaWord& verb = words[0];
    if (IsKeyword(verb, "open")) return Open(words);
    const bool known = IsKeyword(verb, "play") || IsKeyword(verb, "pause") || IsKeyword(verb, "resume") ||
                       IsKeyword(verb, "stop") || IsKeyword(verb, "close") || IsKeyword(verb, "seek") ||
                       IsKeyword(verb, "set");
    if (!known) return MediaError::kUnrecognisedCommand;
    if (words.size() < 2) return MediaError::kUnknownAlias;
    if (IsKeyword(verb, "close") && IsKeyword(words[1], "all") && sounds.count("all") == 0) {
        sounds.clear();
        return MediaError::kNone;
    }
    auto found = sounds.find(LowerText(words[1].text));
    if (found == sounds.end()) return MediaError::kUnknownAlias;
    Sound& sound = *found->second;
    if (IsKeyword(verb, "play")) return Play(sound, words, waitTurn);
    if (IsKeyword(verb, "seek")) return Seek(sound, words);
    if (IsKeyword(verb, "set")) {
        // Positions are always milliseconds; the one time format there is.
        if (words.size() == 5 && IsKeyword(words[2], "time") && IsKeyword(words[3], "format"))
            return IsKeyword(words[4], "milliseconds") || IsKeyword(words[4], "ms")
                       ? MediaError::kNone
                       : MediaError::kBadTimeFormat;
        return MediaError::kUnrecognisedKeyword;
    }
    for (size_t i = 2; i < words.size(); ++i)
        if (!IsKeyword(words[i], "wait") && !IsKeyword(words[i], "notify"))
            return MediaError::kUnrecognisedKeyword;
    Refresh(sound);
    if (IsKeyword(verb, "pause") && sound.mode == Mode::Playing) {
        mix->Pause(sound.channel);
        sound.mode = Mode::Paused;
    } else if (IsKeyword(verb, "resume") && sound.mode == Mode::Paused) {
        mix->Resume(sound.channel);
        sound.mode = Mode::Playing;
    } else if (IsKeyword(verb, "stop")) {
        Halt(sound);
    } else if (IsKeyword(verb, "close")) {
        sounds.erase(found);
    }
    return MediaError::kNone;
}

MediaCommandPlayer::MediaCommandPlayer() : state_(std::make_unique<State>()) {}
MediaCommandPlayer::~MediaCommandPlayer() = default;

int32_t MediaCommandPlayer::Send(const std::u16string& command, const DesktopPlatform::WaitTurn& waitTurn) {
    Words words;
    if (!SplitMediaCommand(ToUtf8(command), words)) return MediaError::kNoClosingQuote;
    return state_->Command(words, waitTurn);
}
