// WaitMilliseconds: the busy wait on the desktop's millisecond clock that yields to the GUI each turn, used by
// WAIT and by the delays of KBD and MUS.
#pragma once

#include "builtin_table.h"

#include <cstdint>

// Waits until more than `milliseconds` have passed, yielding to the user interface on every turn so the
// window stays live. A negative count returns after one yield; 0 waits until at least one millisecond has
// passed. The elapsed time is taken modulo 2^32, so a clock that wraps (after 24.8 days of uptime) never
// breaks the wait. The wait ends early when the run has been asked to stop: the stop takes effect as soon as
// the built-in returns, and a long WAIT no longer holds a stopped macro.
void WaitMilliseconds(BuiltinServices& services, int32_t milliseconds);
