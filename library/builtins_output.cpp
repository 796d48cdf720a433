// The output and dialog built-ins: PRINT (a line for the host's log through PrintOut), MSGBOX and INPUTBOX
// (modal boxes) and MES (the non-modal message window), all reaching the user through the UserInterface.
#include "builtin_support.h"

#include "failure_text.h"
#include "user_interface.h"
#include "value_ops.h"

namespace {

constexpr std::u16string_view kProgramTitle = u"QuillonMacro";
constexpr std::u16string_view kMsgCannotShow = u"表示できません";

// The tab goes in only after a non-empty line, so leading empty arguments leave no tabs. A text that cannot
// be formed ends the call without any output.
void BuiltinPrint(BuiltinCall& call) {
    call.error.Clear();
    std::u16string line;
    for (int32_t i = 0; i < call.Count(); ++i) {
        std::u16string text;
        if (TextOf(call.Arg(i), text) != 0) {
            call.error.Report(kBuiltinErrorCode, kMsgCannotShow);
            return;
        }
        if (!line.empty()) line += u'\t';
        line += text;
    }
    if (call.services.printOut) call.services.printOut(line);
}

// The style number of the second argument: its leading number, rounded to a whole number (halves to even).
// A number beyond the 32-bit range fails the call with the overflow failure.
int StyleOf(const MacroValue& value, int32_t& style) {
    std::u16string text;
    if (int failure = TextOf(value, text); failure != 0) return failure;
    double number = 0;
    if (int failure = ReadLeadingNumber(text, number); failure != 0) return failure;
    return RoundToInt32(number, style);
}

void BuiltinMsgBox(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() >= 1, kMsgNoArguments)) return;
    std::u16string text;
    if (TextOf(call.Arg(0), text) != 0) {
        call.error.Report(kBuiltinErrorCode, kMsgCannotShow);
        return;
    }
    int32_t style = 0;
    if (call.Count() >= 2) {
        if (int failure = StyleOf(call.Arg(1), style); failure != 0) {
            call.error.ReportFailure(kBuiltinErrorCode, failure);
            return;
        }
    }
    if (!RequireDialogs(call)) return;
    int32_t button = call.services.ui->MessageBox(text, style, std::u16string(kProgramTitle));
    call.result = MacroValue::Int32(button);
}

void BuiltinInputBox(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() >= 1, kMsgNoArguments)) return;
    std::u16string prompt;
    if (int failure = TextOf(call.Arg(0), prompt); failure != 0) {
        call.error.Report(kBuiltinErrorCode, FailureDescription(failure));
        return;
    }
    std::u16string title(kProgramTitle);
    if (call.Count() >= 2) {
        if (int failure = TextOf(call.Arg(1), title); failure != 0) {
            call.error.Report(kBuiltinErrorCode, FailureDescription(failure));
            return;
        }
    }
    if (!RequireDialogs(call)) return;
    call.result = MacroValue::String(call.services.ui->InputBox(prompt, title));
}

// Each step of the trapped section runs even after an earlier one failed; the window then shows what could
// be formed, and the last failure is reported afterwards.
void BuiltinMes(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1 || call.Count() == 3, kMsgCountMismatch)) return;
    if (!RequireDialogs(call)) return;
    UserInterface& ui = *call.services.ui;
    TrappedSection trap;
    std::u16string text;
    int32_t x = 0;
    int32_t y = 0;
    trap.Step(TextOf(call.Arg(0), text));
    if (call.Count() == 3) {
        trap.Step(WholeNumberOf(call.Arg(1), x));
        trap.Step(WholeNumberOf(call.Arg(2), y));
    }
    ui.ShowMessageWindow();
    ui.SetMessageWindowPosition(x, y);
    ui.SetMessageText(text);
    const int64_t width = 2 * int64_t{ui.MessageLabelLeft()} + ui.MessageLabelWidth();
    trap.Step(width > INT32_MAX ? kFailOverflow : kFailNone);
    if (width <= INT32_MAX) ui.SetMessageWindowWidth(static_cast<int32_t>(width));
    trap.Report(call.error);
}

} // namespace

void RegisterOutputBuiltins(BuiltinTable& table) {
    table.Add(u"PRINT", BuiltinPrint);
    table.Add(u"MSGBOX", BuiltinMsgBox);
    table.Add(u"INPUTBOX", BuiltinInputBox);
    table.Add(u"MES", BuiltinMes);
}
