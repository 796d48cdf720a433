// The input recording of an X display: the user's keys, buttons and pointer motion from XInput2 raw events,
// read on a connection and a thread of its own without any grab, so every program keeps getting its input.
#pragma once

#include "desktop_platform.h"

#include <memory>

// Starts recording the named display; null when it cannot be opened or lacks XInput 2.1 (raw events for
// clients that hold no grab).
std::unique_ptr<InputRecording> StartX11InputRecording(const char* displayName);
