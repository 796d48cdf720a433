// The user-interface side of the Windows console runner: no dialogs or message window, and a yield that keeps
// the thread's window messages flowing and lets a stop request reach the run.
#pragma once

#include "windowless_user_interface.h"

#include <cstdint>

class ConsoleUserInterface : public WindowlessUserInterface {
  public:
    // Calls the yield hook, then handles the pending window messages of the thread, at most once every
    // ~10 ms so a tight macro loop does not spend its time there.
    void Yield() override;

  private:
    uint64_t lastPumpMilliseconds_ = 0;
};
