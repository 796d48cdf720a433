// InputWatchdog: a small process of our own that lets go of the keys and buttons a run holds, and empties the
// keycodes it lent, when the run's process dies without doing so itself (kill -9, a crash).
#pragma once

// The name the program is started under to be the watchdog (never a name a user gives a macro file).
inline constexpr char kInputWatchdogName[] = "quillonmacro-input-watchdog";

// What the run holds now, told to the watchdog as it changes. The watchdog is started by the first call,
// from this very program under kInputWatchdogName, once the program has enabled it; without that (another
// program that uses the platform, such as a test) or when it cannot be started, the calls do nothing.
namespace InputWatchdog {
// Called by the QuillonMacro program at its start: it is the program the watchdog is started from.
void Enable();
void KeyHeld(unsigned int keycode, bool down);
void ButtonHeld(unsigned int button, bool down);
void KeycodeLent(unsigned int keycode, bool lent);
} // namespace InputWatchdog

// The watchdog's own life: it reads what the run holds from standard input until the run's end closes it,
// then lets go of whatever is still held on the display named by DISPLAY. Returns the exit status.
int RunInputWatchdog();
