// SHELL, WAIT and SOUND: starting programs, waiting while the window stays live, and the media command texts
// of the one sound alias "mysound". All three need a desktop platform but no display.
#include "builtin_support.h"
#include "desktop_platform.h"
#include "user_interface.h"
#include "value_ops.h"
#include "variable_store.h"
#include "wait_milliseconds.h"

#include <limits>

namespace {

constexpr int32_t kNormalWithFocus = 1;

// Reads the argument at index, or fails with an invalid argument when the call has no such argument.
int ArgumentText(BuiltinCall& call, int32_t index, std::u16string& out) {
    if (index >= call.Count()) return kFailInvalidArgument;
    return TextOf(call.Arg(index), out);
}

// A program is started only when its command line and style could be read: a macro whose style argument is
// broken gets its error, not a program running in a window it did not ask for.
void BuiltinShell(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1 || call.Count() == 2, kMsgCountMismatch)) return;
    if (!RequireDesktop(call)) return;
    TrappedSection trap;
    std::u16string command;
    int32_t style = kNormalWithFocus;
    bool argumentsRead = trap.Step(TextOf(call.Arg(0), command));
    if (call.Count() == 2) argumentsRead = trap.Step(WholeNumberOf(call.Arg(1), style)) && argumentsRead;
    if (argumentsRead) {
        double processId = 0;
        if (trap.Step(call.services.desktop->StartProcess(command, style, processId)))
            call.result = MacroValue::Double(processId);
    }
    trap.Report(call.error);
}

void BuiltinWait(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    if (!RequireDesktop(call)) return;
    TrappedSection trap;
    int32_t milliseconds = 0;
    trap.Step(WholeNumberOf(call.Arg(0), milliseconds));
    WaitMilliseconds(call.services, milliseconds);
    call.result = MacroValue::Int16(0);
    trap.Report(call.error);
}

// The media command of a SOUND call, or "" when the subcommand sends nothing.
std::u16string SoundCommand(BuiltinCall& call, TrappedSection& trap) {
    std::u16string sub;
    if (trap.Step(TextOf(call.Arg(0), sub))) sub = UpperCase(sub);
    if (sub == u"OPEN") {
        std::u16string file;
        std::u16string options;
        trap.Step(ArgumentText(call, 1, file));
        if (call.Count() == 3) trap.Step(TextOf(call.Arg(2), options));
        return u"open \"" + file + u"\" alias mysound" + options;
    }
    std::u16string extra;
    if (call.Count() == 2) trap.Step(TextOf(call.Arg(1), extra));
    if (sub == u"PLAY") return u"play mysound" + extra;
    if (sub == u"PAUSE") return u"pause mysound" + extra;
    if (sub == u"STOP") return u"stop mysound" + extra;
    if (sub == u"CLOSE") return u"close mysound" + extra;
    return u"";
}

void BuiltinSound(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() >= 1 && call.Count() <= 3, kMsgCountMismatch)) return;
    if (!RequireDesktop(call)) return;
    TrappedSection trap;
    const std::u16string command = SoundCommand(call, trap);
    int32_t answer = 0;
    if (!command.empty()) {
        BuiltinServices& services = call.services;
        const DesktopPlatform::WaitTurn waitTurn = [&services] {
            if (services.ui != nullptr) services.ui->Yield();
            return !(services.stopRequested && services.stopRequested());
        };
        answer = services.desktop->SendMediaCommand(command, waitTurn);
    }
    if (answer < std::numeric_limits<int16_t>::min() || answer > std::numeric_limits<int16_t>::max())
        trap.Step(kFailOverflow);
    else
        call.result = MacroValue::Int16(static_cast<int16_t>(answer));
    trap.Report(call.error);
}

} // namespace

void RegisterProcessBuiltins(BuiltinTable& table) {
    table.Add(u"SHELL", BuiltinShell);
    table.Add(u"WAIT", BuiltinWait);
    table.Add(u"SOUND", BuiltinSound);
}
