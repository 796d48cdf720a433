// StopBroadcast: the emergency stop shared by this user's QuillonMacro processes on one desktop: a counter in
// memory that they all map, raised by whichever process is told to stop and watched by every run.
#pragma once

#include <cstdint>
#include <memory>

class StopBroadcast {
  public:
    virtual ~StopBroadcast() = default;
    // How many stops have been asked for on this desktop so far, by any process. A run remembers the count
    // when it starts and stops when it changes.
    virtual uint64_t Count() const = 0;
    // Asks every run of this user on this desktop to stop, this process's own included.
    virtual void Raise() = 0;
};

// The counter of this user on this desktop: on Linux one per display (WAYLAND_DISPLAY, else DISPLAY) in the
// user's private runtime folder; on Windows one per logon session. When it cannot be opened safely (no
// private folder, a file that is not the user's own), a counter of this process alone, so Pause still stops
// the process that took it.
std::unique_ptr<StopBroadcast> OpenStopBroadcast();

// A counter of this process alone: where no shared one can be had, Pause still stops the process that took
// it.
std::unique_ptr<StopBroadcast> ProcessStopBroadcast();
