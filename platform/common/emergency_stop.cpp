// The emergency stop of a run: the desktop-wide Pause key when this process can hold it, and the shared stop
// counter that carries a stop from whichever process took the key to every other run.
#include "emergency_stop.h"

#include <atomic>

namespace {

// How often a run whose key another process holds tries to take it over. A grab costs one round trip to the
// display, and a run that ends gives the key up at once, so a quarter second leaves only a short gap.
constexpr std::chrono::milliseconds kGrabRetry{250};

class LocalStopBroadcast final : public StopBroadcast {
  public:
    uint64_t Count() const override { return count_.load(std::memory_order_acquire); }
    void Raise() override { count_.fetch_add(1, std::memory_order_acq_rel); }

  private:
    std::atomic<uint64_t> count_{0};
};

} // namespace

std::unique_ptr<StopBroadcast> ProcessStopBroadcast() {
    return std::make_unique<LocalStopBroadcast>();
}

EmergencyStop::EmergencyStop(std::unique_ptr<StopHotkey> key, std::unique_ptr<StopBroadcast> broadcast)
    : key_(std::move(key)), broadcast_(std::move(broadcast)) {
    if (!broadcast_) broadcast_ = ProcessStopBroadcast();
}

EmergencyStop::~EmergencyStop() {
    End();
}

void EmergencyStop::Begin() {
    seen_ = broadcast_->Count();
    running_ = true;
    holdsKey_ = key_ && key_->Grab();
    nextGrab_ = Clock::now() + kGrabRetry;
}

void EmergencyStop::End() {
    if (key_ && running_) key_->Release();
    running_ = false;
    holdsKey_ = false;
}

bool EmergencyStop::TakeStop() {
    if (!running_) return false;
    if (holdsKey_ && key_->TakePressed()) {
        StopAll();
        return true;
    }
    const uint64_t count = broadcast_->Count();
    if (count != seen_) {
        seen_ = count;
        return true;
    }
    if (key_ && !holdsKey_ && Clock::now() >= nextGrab_) {
        holdsKey_ = key_->Grab();
        nextGrab_ = Clock::now() + kGrabRetry;
    }
    return false;
}

void EmergencyStop::StopAll() {
    broadcast_->Raise();
    // This process's own run stops through its caller; the raise is not seen again as another stop.
    if (running_) seen_ = broadcast_->Count();
}
