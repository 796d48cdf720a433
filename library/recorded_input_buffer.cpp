// The shared part of the input recordings: the locked event list with repeat, motion and time clean-ups, and
// the mapping of wrapping event stamps onto the steady clock.
#include "recorded_input_buffer.h"

#include <algorithm>
#include <chrono>

int64_t RecordingClockMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void RecordedInputBuffer::Add(RecordedInput event) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool keyCode = event.code >= 0 && event.code < static_cast<int32_t>(keysDown_.size());
    switch (event.kind) {
    case RecordedInput::Kind::Motion:
        // A motion due by the spacing goes out at once and replaces any held one (an older position).
        if (!anyMotion_ || event.milliseconds - lastMotionMs_ >= kMotionSpacingMs) {
            heldMotion_.reset();
            if (!hasPosition_ || event.x != lastX_ || event.y != lastY_) Emit(event);
        } else {
            heldMotion_ = event;
        }
        return;
    case RecordedInput::Kind::KeyDown:
        if (keyCode) {
            if (keysDown_.test(static_cast<size_t>(event.code))) return;
            keysDown_.set(static_cast<size_t>(event.code));
        }
        break;
    case RecordedInput::Kind::KeyUp:
        if (keyCode) keysDown_.reset(static_cast<size_t>(event.code));
        break;
    default:
        break;
    }
    // The pointer's path up to a key or button event comes before it.
    EmitHeldMotion();
    Emit(event);
}

void RecordedInputBuffer::Take(std::vector<RecordedInput>& out, int64_t nowMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (heldMotion_ && nowMs - lastMotionMs_ >= kMotionSpacingMs) EmitHeldMotion();
    out.insert(out.end(), events_.begin(), events_.end());
    events_.clear();
}

void RecordedInputBuffer::EmitHeldMotion() {
    if (!heldMotion_) return;
    const RecordedInput motion = *heldMotion_;
    heldMotion_.reset();
    if (!hasPosition_ || motion.x != lastX_ || motion.y != lastY_) Emit(motion);
}

void RecordedInputBuffer::Emit(RecordedInput event) {
    if (anyEmitted_) event.milliseconds = std::max(event.milliseconds, lastMs_);
    anyEmitted_ = true;
    lastMs_ = event.milliseconds;
    hasPosition_ = true;
    lastX_ = event.x;
    lastY_ = event.y;
    if (event.kind == RecordedInput::Kind::Motion) {
        anyMotion_ = true;
        lastMotionMs_ = event.milliseconds;
    }
    events_.push_back(event);
}

int64_t EventTimeMapper::ToLocal(uint32_t stamp, int64_t localNowMs) {
    if (!started_) {
        started_ = true;
        unwrapped_ = 0;
        offset_ = localNowMs;
    } else {
        // The signed difference carries the count across a wrap, and a stamp slightly older than the one
        // before (events of two devices) back a little.
        unwrapped_ += static_cast<int32_t>(stamp - lastStamp_);
        offset_ = std::min(offset_, localNowMs - unwrapped_);
    }
    lastStamp_ = stamp;
    return unwrapped_ + offset_;
}
