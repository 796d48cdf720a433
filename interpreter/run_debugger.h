// The engine's side of debugging a run: breakpoints, stepping and pausing before a line, and what a paused
// run shows of itself (its line, its calls, their variables). No toolkit: the host decides how to wait.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cMoMacro_Engine;

// How a paused run goes on.
enum class DebugStep : uint8_t {
    Continue,  // until a breakpoint or a pause request
    StepOver,  // to the next line of this call or of a caller (a user function call is one step)
    StepInto,  // to the next line, inside a user function the line calls
    StepOut,   // to the next line of the caller
    RunToLine, // until the line given (or a breakpoint)
    Stop,      // the run ends at once, the paused line not run
};

// One call of a paused run; the innermost comes first.
struct DebugFrame {
    std::u16string function; // the user function's name (upper case), empty for the macro's main part
    int32_t line = 0;        // the source line (1-based) the call stands at
};

// A variable of a paused run as a debugger shows it.
struct DebugVariable {
    enum class Kind : uint8_t { Number, Text, Array, Empty };
    std::u16string name; // upper case, as the engine keeps names
    Kind kind = Kind::Empty;
    std::u16string value; // as PRINT shows it; empty for an array
    int32_t last = -1;    // an array's last index
};

// What a line evaluated in a paused run gave: its value, or its error.
struct DebugEvaluation {
    int32_t errorCode = 0;       // 0 when the line was evaluated
    std::u16string errorMessage; // the code's message and the error's own text, as a run's error shows them
    std::u16string errorInformation;
    DebugVariable::Kind kind = DebugVariable::Kind::Empty;
    std::u16string value;  // as PRINT shows it
    bool assigned = false; // the line gave a variable of the run a new value
};

// The host of a debugged run: told on the run's thread that the run is paused before a line, it returns how
// to go on once it has decided (the run waits meanwhile). While it is inside Paused it may read the run
// through the engine's Debug… functions. For RunToLine it sets `line` to the source line to run to.
class DebugHost {
  public:
    virtual ~DebugHost() = default;
    virtual DebugStep Paused(cMoMacro_Engine& engine, int32_t& line) = 0;
};
