// EmergencyStop: Pause as the stop of every run of this user's QuillonMacro processes on the desktop. The
// process that holds the key tells the others through the shared stop counter; the others wait for the key.
#pragma once

#include "stop_broadcast.h"
#include "stop_hotkey.h"

#include <chrono>
#include <memory>

class EmergencyStop {
  public:
    // `key` may be null (no desktop to take a key from): the run then stops only when told by another
    // process. `broadcast` may be null for a counter of this process alone.
    EmergencyStop(std::unique_ptr<StopHotkey> key, std::unique_ptr<StopBroadcast> broadcast);
    ~EmergencyStop();
    EmergencyStop(const EmergencyStop&) = delete;
    EmergencyStop& operator=(const EmergencyStop&) = delete;

    // A run starts: stops asked for before now do not count, and the key is taken when no other process
    // holds it.
    void Begin();
    // The run ended: the key goes back to the desktop.
    void End();
    // During a run, true once when a stop was asked for since Begin: the key pressed here (which tells every
    // other run too) or a stop raised by another process. While another process holds the key, this one
    // tries to take it now and then, so the key keeps working after that process's run ends. Cheap enough
    // for every event-loop turn.
    bool TakeStop();
    // Stops every run on the desktop, this one included (Pause typed into the editor itself, "--stop").
    void StopAll();

  private:
    using Clock = std::chrono::steady_clock;

    std::unique_ptr<StopHotkey> key_;
    std::unique_ptr<StopBroadcast> broadcast_;
    bool running_ = false;
    bool holdsKey_ = false;
    uint64_t seen_ = 0;
    Clock::time_point nextGrab_{};
};
