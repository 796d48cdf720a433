// The random-number generator behind RND and RANDOMIZE: one hidden state for the whole program.
// The algorithm and its contract are described in builtins_numeric.cpp.
#pragma once

#include <cstdint>

class MacroRandom {
  public:
    // The state every process starts from, so RND without RANDOMIZE repeats across runs of the program.
    static constexpr uint64_t kInitialSeed = 0x51E4D1C3A0F27B69ULL;

    // The number of the current state, without advancing (RND(0)).
    float Current() const;
    // Advances the sequence and returns its next number (RND(), RND(s > 0)).
    float Next();
    // Restarts the sequence from a state determined by seed alone and returns its number (RND(s < 0)).
    float Restart(int32_t seed);
    // Mixes a number into the current state (RANDOMIZE n).
    void Mix(int64_t value);

    // The one generator of the program.
    static MacroRandom& Shared();

  private:
    uint64_t state_ = kInitialSeed;
};
