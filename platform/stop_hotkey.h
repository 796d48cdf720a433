// StopHotkey: a key that stops a running macro from anywhere on the desktop (Pause), grabbed only while a run
// is in progress so it never steals the key from other programs otherwise.
#pragma once

#include <cstdint>
#include <memory>

class StopHotkey {
  public:
    virtual ~StopHotkey() = default;
    // Starts taking the key from the whole desktop; false when there is no display or the key cannot be
    // taken (another program holds it). Grabbing twice is harmless.
    virtual bool Grab() = 0;
    // Gives the key back to the desktop; harmless when not grabbed.
    virtual void Release() = 0;
    // True when the key was pressed since the previous call; cheap enough for every event-loop turn.
    virtual bool TakePressed() = 0;
};

// The hotkey of the display named by DISPLAY, on a connection of its own.
std::unique_ptr<StopHotkey> CreateStopHotkey();

// The Pause key of the emergency stop of runs (common/emergency_stop.h) on the desktop the runs drive: the
// hotkey above, or on sway, where no client can take a key from the others, a binding in sway itself.
std::unique_ptr<StopHotkey> CreateEmergencyStopKey();

// Modifiers of a global hotkey.
inline constexpr unsigned kHotkeyShift = 1;
inline constexpr unsigned kHotkeyControl = 2;
inline constexpr unsigned kHotkeyAlt = 4;

// Another desktop-wide key with the same rules (grabbed only between Grab and Release), for the editor's
// aids: the key of a virtual-key code with exactly these modifiers (Caps Lock and Num Lock do not matter).
std::unique_ptr<StopHotkey> CreateGlobalHotkey(uint8_t virtualKey, unsigned modifiers);
