// SdlMixerLibrary: the SDL2 and SDL2_mixer functions the media commands use, taken from the shared library
// when a macro first plays a sound, so a run without SOUND never loads SDL and its many dependencies.
#pragma once

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

// One pointer per function, with the type of its declaration in the SDL headers.
struct SdlMixerLibrary {
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_RWFromFile) RWFromFile = nullptr;
    decltype(&Mix_OpenAudio) OpenAudio = nullptr;
    decltype(&Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&Mix_QuerySpec) QuerySpec = nullptr;
    decltype(&Mix_LoadWAV_RW) LoadWAV_RW = nullptr;
    decltype(&Mix_QuickLoad_RAW) QuickLoad_RAW = nullptr;
    decltype(&Mix_FreeChunk) FreeChunk = nullptr;
    decltype(&Mix_AllocateChannels) AllocateChannels = nullptr;
    decltype(&Mix_PlayChannelTimed) PlayChannelTimed = nullptr;
    decltype(&Mix_HaltChannel) HaltChannel = nullptr;
    decltype(&Mix_Pause) Pause = nullptr;
    decltype(&Mix_Resume) Resume = nullptr;
    decltype(&Mix_Playing) Playing = nullptr;
    decltype(&Mix_RegisterEffect) RegisterEffect = nullptr;
    decltype(&Mix_UnregisterAllEffects) UnregisterAllEffects = nullptr;
    // Found when the library has them, else null: SDL's allocator (SDL 2.0.7 and later) and the length of a
    // sound as its header states it (SDL_mixer 2.6 and later).
    decltype(&SDL_GetMemoryFunctions) GetMemoryFunctions = nullptr;
    decltype(&SDL_SetMemoryFunctions) SetMemoryFunctions = nullptr;
    decltype(&Mix_LoadMUS_RW) LoadMUS_RW = nullptr;
    decltype(&Mix_MusicDuration) MusicDuration = nullptr;
    decltype(&Mix_FreeMusic) FreeMusic = nullptr;
};

// The library's file name as the dynamic loader looks it up (the soname of SDL2_mixer 2.x).
inline constexpr const char* kSdlMixerLibraryName = "libSDL2_mixer-2.0.so.0";

// Loads the library on the first call and returns its functions; later calls return the same table. Null
// when the library or one of its functions cannot be found (the optional ones aside); the next call does not
// try again.
const SdlMixerLibrary* LoadSdlMixerLibrary();
