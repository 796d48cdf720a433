// SdlAllocationBudget: a cap on the memory SDL and SDL_mixer may allocate on one thread while a sound is
// decoded, for the formats whose decoded size cannot be known before decoding them.
#pragma once

#include "sdl_mixer_library.h"

#include <cstdint>

// Puts counting functions in front of SDL's allocator; they pass every request on unchanged while no budget
// is set on the calling thread. Done once, before SDL allocates anything; without the library's memory
// functions (SDL before 2.0.7) budgets have no effect.
void InstallSdlAllocationCounter(const SdlMixerLibrary& mix);

// While it lives, SDL's allocations on this thread are counted, and once their sum would pass the budget
// they fail, as when memory runs out: the decoder gives up and the load answers that it failed. Freed
// memory is not given back to the budget, so the sum is an upper bound of what the decoding held at once.
class SdlAllocationBudget {
  public:
    explicit SdlAllocationBudget(uint64_t bytes);
    ~SdlAllocationBudget();
    SdlAllocationBudget(const SdlAllocationBudget&) = delete;
    SdlAllocationBudget& operator=(const SdlAllocationBudget&) = delete;

  private:
    uint64_t left_;
    uint64_t* previous_;
};
