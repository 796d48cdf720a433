// Starting programs for SHELL on Windows, and the millisecond clock.
#pragma once

#include <cstdint>
#include <string>

namespace Win32Process {

// CreateProcess with the window style in STARTUPINFO.wShowWindow (0 hidden, 1 normal, 2 minimised,
// 3 maximised, 4 normal without focus, 6 minimised without focus), without waiting; fills the process
// identifier. Returns 0, 53 when the program cannot be found, 5 for an invalid style or a refused start.
int Start(const std::u16string& commandLine, int32_t windowStyle, double& processId);

// Milliseconds from the performance counter, which never jumps with the time of day, wrapping as a signed
// 32-bit number.
int32_t MillisecondClock();

} // namespace Win32Process
