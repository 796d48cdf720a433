// ProcessStarter: starts programs for SHELL without waiting for them, and reaps them when they end.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

// The step that gives a started program's window the style SHELL asked for, called after each start with the
// program's process id and the style. The desktop platform's factory sets it (on Linux the X display's, which
// also reaches the X clients of a Wayland session); until then a start leaves the window as it opens.
using WindowStyleStep = void (*)(pid_t pid, int32_t style);
void SetWindowStyleStep(WindowStyleStep step);

class ProcessStarter {
  public:
    ProcessStarter();
    ~ProcessStarter();
    ProcessStarter(const ProcessStarter&) = delete;
    ProcessStarter& operator=(const ProcessStarter&) = delete;

    // Starts the program of a command line (program, then its arguments) with a window style (0 hidden,
    // 1 normal, 2 minimised, 3 maximised, 4 normal without focus, 6 minimised without focus); fills its
    // process identifier. Returns 0, 53 when the program cannot be found, 5 for an invalid style.
    int Start(const std::u16string& commandLine, int32_t windowStyle, double& processId);
};
