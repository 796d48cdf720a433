// RecordedInputBuffer and EventTimeMapper: what the input recordings of every desktop share — the events
// handed from the gathering thread to the taking one, and event time stamps turned into one steady clock.
#pragma once

#include "desktop_platform.h"

#include <bitset>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// Milliseconds of the steady clock the recordings stamp their events with (it never goes back).
int64_t RecordingClockMilliseconds();

// The events of one recording. The gathering thread adds them as they come, the owner takes them whenever it
// likes. On the way a key held down (the keyboard repeating it) gives one key-down, not one per repetition;
// pointer motions come at most one per kMotionSpacingMs (the latest position wins, and a motion that does
// not change the position is dropped); and times never go back.
class RecordedInputBuffer {
  public:
    static constexpr int64_t kMotionSpacingMs = 10;

    // From the gathering thread.
    void Add(RecordedInput event);
    // Moves what was gathered, oldest first, to the end of `out`. A motion held back for spacing goes with it
    // once `nowMs` (on the events' clock) is far enough past the previous motion.
    void Take(std::vector<RecordedInput>& out, int64_t nowMs);

  private:
    void Emit(RecordedInput event);
    void EmitHeldMotion();

    std::mutex mutex_;
    std::vector<RecordedInput> events_;
    std::optional<RecordedInput> heldMotion_;
    std::bitset<256> keysDown_;
    bool anyEmitted_ = false;
    int64_t lastMs_ = 0;
    bool anyMotion_ = false;
    int64_t lastMotionMs_ = 0;
    bool hasPosition_ = false;
    int32_t lastX_ = 0;
    int32_t lastY_ = 0;
};

// Turns the 32-bit millisecond stamps of input events (the X server's time, the Windows tick count), which
// wrap, into the recording clock. The stamps keep the true spacing of the events even when the gathering
// thread reads them late; the offset between the two clocks is the smallest delay seen so far.
class EventTimeMapper {
  public:
    // `localNowMs` is the recording clock when the event is read.
    int64_t ToLocal(uint32_t stamp, int64_t localNowMs);

  private:
    bool started_ = false;
    uint32_t lastStamp_ = 0;
    int64_t unwrapped_ = 0;
    int64_t offset_ = 0;
};
