// What the engine keeps while debugging: the host, the breakpoints, the step asked, the pause requested, and
// the user function calls of the run (for the calls and variables a paused run shows).
#pragma once

#include "engine.h"

struct cMoMacro_Engine::DebugState {
    // A user function call of the run: who was called, from which line, and the caller's variables.
    struct Call {
        int32_t function = -1;
        int32_t callerLine = 0;
        cMoMacro_Variable* callerStore = nullptr;
    };

    DebugHost* host = nullptr;
    bool evaluating = false;          // a line is being evaluated while paused: nothing pauses inside it
    std::vector<int32_t> asked;       // the breakpoints' source lines as the host gave them
    std::vector<int32_t> breakpoints; // where they landed: lines that can pause, ascending
    DebugStep step = DebugStep::Continue;
    size_t stepDepth = 0;  // the calls open when the step was asked
    int32_t runToLine = 0; // the line of RunToLine
    bool pauseRequested = false;
    bool startPaused = false; // the next run pauses at its first line
    bool paused = false;
    bool stoppedWhilePaused = false;
    int32_t pausedLine = 0;
    int32_t hostCountdown = 1; // statements left before the host's own yield
    int32_t granted = 1;       // statements the run was let run before its next look
    // Entry d is the call open at depth d (1 … the engine's call depth), written by every call while a host
    // is attached: a fixed table, so a call costs a few stores and its return nothing.
    std::vector<Call> calls = std::vector<Call>(cMoMacro_Engine::kMaxCallDepth + 1);

    // Whether every line must be looked at: otherwise the run yields at the host's own pace.
    bool Watching() const {
        return host != nullptr && (!breakpoints.empty() || step != DebugStep::Continue || pauseRequested);
    }
};

// The kind a debugger shows for a value.
DebugVariable::Kind DebugKindOf(const MacroValue& value);
