// Loads SDL2_mixer (and with it SDL2) with dlopen and fills the table of its functions, once per process.
// The library stays loaded until the process ends: SDL's audio thread may still run inside it at exit.
#include "sdl_mixer_library.h"

#include <dlfcn.h>

namespace {

// Looks the name up in the library and in everything it depends on (SDL2's functions come from there).
template <typename Function> bool Take(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

void TakeOptional(void* library, SdlMixerLibrary& mix) {
    Take(library, "SDL_GetMemoryFunctions", mix.GetMemoryFunctions);
    Take(library, "SDL_SetMemoryFunctions", mix.SetMemoryFunctions);
    if (!Take(library, "Mix_LoadMUS_RW", mix.LoadMUS_RW) ||
        !Take(library, "Mix_MusicDuration", mix.MusicDuration) ||
        !Take(library, "Mix_FreeMusic", mix.FreeMusic))
        mix.MusicDuration = nullptr; // the three serve together
}

bool TakeAll(void* library, SdlMixerLibrary& mix) {
    return Take(library, "SDL_InitSubSystem", mix.InitSubSystem) &&
           Take(library, "SDL_QuitSubSystem", mix.QuitSubSystem) &&
           Take(library, "SDL_RWFromFile", mix.RWFromFile) && Take(library, "Mix_OpenAudio", mix.OpenAudio) &&
           Take(library, "Mix_CloseAudio", mix.CloseAudio) && Take(library, "Mix_QuerySpec", mix.QuerySpec) &&
           Take(library, "Mix_LoadWAV_RW", mix.LoadWAV_RW) &&
           Take(library, "Mix_QuickLoad_RAW", mix.QuickLoad_RAW) &&
           Take(library, "Mix_FreeChunk", mix.FreeChunk) &&
           Take(library, "Mix_AllocateChannels", mix.AllocateChannels) &&
           Take(library, "Mix_PlayChannelTimed", mix.PlayChannelTimed) &&
           Take(library, "Mix_HaltChannel", mix.HaltChannel) && Take(library, "Mix_Pause", mix.Pause) &&
           Take(library, "Mix_Resume", mix.Resume) && Take(library, "Mix_Playing", mix.Playing) &&
           Take(library, "Mix_RegisterEffect", mix.RegisterEffect) &&
           Take(library, "Mix_UnregisterAllEffects", mix.UnregisterAllEffects);
}

const SdlMixerLibrary* Load() {
    void* library = dlopen(kSdlMixerLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static SdlMixerLibrary mix;
    if (!TakeAll(library, mix)) {
        dlclose(library);
        return nullptr;
    }
    TakeOptional(library, mix);
    return &mix;
}

} // namespace

const SdlMixerLibrary* LoadSdlMixerLibrary() {
    static const SdlMixerLibrary* const loaded = Load();
    return loaded;
}
