// Helpers shared by the built-in families: the argument-count check, the trapped section that collects the
// last failure of its steps, the value conversions built-ins use, and the checks for an absent platform.
#pragma once

#include "builtin_table.h"
#include "desktop_platform.h"

#include <cstdint>
#include <string>
#include <string_view>

// Error code of every failure inside a built-in.
inline constexpr int32_t kBuiltinErrorCode = 7;

// Count messages.
inline constexpr std::u16string_view kMsgCountMismatch = u"引数の数があいません";
inline constexpr std::u16string_view kMsgTooFewArguments = u"引数が足りません";
inline constexpr std::u16string_view kMsgNoArguments = u"引数がありません";

// Reports a wrong argument count (code 7 with the message) unless ok; returns ok.
bool CheckCount(BuiltinCall& call, bool ok, std::u16string_view message);

// A sequence of steps where a failing step is abandoned and the following steps still run. Remembers the
// number of the last failure; Report turns it into ErrorCodeSub, its description and code 7.
class TrappedSection {
  public:
    // Records a step's failure number; true when the step succeeded.
    bool Step(int failure) {
        if (failure != 0) last_ = failure;
        return failure == 0;
    }
    bool Failed() const { return last_ != 0; }
    int LastFailure() const { return last_; }
    // Reports the last failure, if any; returns true when one was reported.
    bool Report(cMoMacro_Error& error) const;

  private:
    int last_ = 0;
};

// The text of a value (fails with 13 for a value that has no text form).
int TextOf(const MacroValue& value, std::u16string& out);
// The text of a value without copying a string value: out views the value's own text, or storage holds the
// converted text of any other kind. The view lives as long as the value and storage do.
int TextViewOf(const MacroValue& value, std::u16string& storage, std::u16string_view& out);
// The whole number of a value: signed 32-bit, halves to the even neighbour (13 not a number, 6 out of range).
int WholeNumberOf(const MacroValue& value, int32_t& out);

// True when the call can use a dialog; otherwise reports code 7 with a text saying why.
bool RequireDialogs(BuiltinCall& call);
// True when the call can drive the part of the desktop; otherwise reports code 7 with a text saying why (no
// screen, or the desktop offers not that part).
bool RequireDisplay(BuiltinCall& call, DesktopPart part);
// After a call that used the display: when the display went away meanwhile, the call fails with code 7 as
// one made after it (what it read or sent reached no screen), whatever else it found. True when so.
bool ReportDisplayLost(BuiltinCall& call);

// The desktop built-ins are registered through this, so a display lost during any of them fails the call.
template <BuiltinFunction Function> void UsingTheDisplay(BuiltinCall& call) {
    Function(call);
    ReportDisplayLost(call);
}
// True when a desktop platform is present at all (processes, clock, sound); otherwise reports code 7.
bool RequireDesktop(BuiltinCall& call);
