// The counting allocator in front of SDL's: each request is checked against the budget of the calling
// thread, if it has one, and then handed to the functions SDL had before, which also free everything.
#include "sdl_allocation_budget.h"

#include <cstdint>
#include <mutex>

namespace {

SDL_malloc_func gMalloc = nullptr;
SDL_calloc_func gCalloc = nullptr;
SDL_realloc_func gRealloc = nullptr;
SDL_free_func gFree = nullptr;

thread_local uint64_t* tLeft = nullptr; // the budget of this thread, while one is set

// Takes the bytes from the budget; a request that does not fit empties it, so every later one fails too.
bool Take(size_t bytes) {
    if (tLeft == nullptr) return true;
    if (bytes > *tLeft) {
        *tLeft = 0;
        return false;
    }
    *tLeft -= bytes;
    return true;
}

void* SDLCALL CountedMalloc(size_t size) {
    return Take(size) ? gMalloc(size) : nullptr;
}

void* SDLCALL CountedCalloc(size_t count, size_t size) {
    const size_t bytes = (size != 0 && count > SIZE_MAX / size) ? SIZE_MAX : count * size;
    return Take(bytes) ? gCalloc(count, size) : nullptr;
}

void* SDLCALL CountedRealloc(void* memory, size_t size) {
    return Take(size) ? gRealloc(memory, size) : nullptr;
}

} // namespace

void InstallSdlAllocationCounter(const SdlMixerLibrary& mix) {
    static std::once_flag once;
    std::call_once(once, [&mix] {
        if (mix.GetMemoryFunctions == nullptr || mix.SetMemoryFunctions == nullptr) return;
        mix.GetMemoryFunctions(&gMalloc, &gCalloc, &gRealloc, &gFree);
        if (gMalloc == nullptr || gCalloc == nullptr || gRealloc == nullptr || gFree == nullptr) return;
        mix.SetMemoryFunctions(CountedMalloc, CountedCalloc, CountedRealloc, gFree);
    });
}

SdlAllocationBudget::SdlAllocationBudget(uint64_t bytes) : left_(bytes), previous_(tLeft) {
    tLeft = &left_;
}

SdlAllocationBudget::~SdlAllocationBudget() {
    tLeft = previous_;
}
