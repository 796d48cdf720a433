// The input recording of the Windows desktop: the user's keys, buttons and pointer motion from low-level
// keyboard and mouse hooks on a thread of their own, which only watch and pass every event on.
#pragma once

#include "desktop_platform.h"

#include <memory>

// Starts recording; null when the hooks cannot be set.
std::unique_ptr<InputRecording> StartWin32InputRecording();
