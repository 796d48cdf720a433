// The user-interface side of a run from the command line: no dialogs or message window (the run has no window
// to own them), and a yield that keeps Qt's event loop turning.
#pragma once

#include "windowless_user_interface.h"

#include <cstdint>

class TerminalUserInterface : public WindowlessUserInterface {
  public:
    // Calls the yield hook, then processes pending Qt events, at most once every ~10 ms so a tight macro loop
    // does not spend its time in the event loop.
    void Yield() override;

  private:
    int64_t lastPumpNanoseconds_ = 0;
};
