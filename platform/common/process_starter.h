// ProcessStarter: starts programs for SHELL without waiting for them, and reaps them when they end.
#pragma once

#include <cstdint>
#include <string>

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
