// The user-interface side of a run from the command line: no dialogs or message window (the run has no window
// to own them), and a yield that only gives the run's own hook (the stop signals) its turn.
#pragma once

#include "windowless_user_interface.h"

class TerminalUserInterface : public WindowlessUserInterface {
  public:
    void Yield() override { RunYieldHook(); }
};
