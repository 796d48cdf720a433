// PRINT: joins the texts of its arguments with tabs and raises the facade's PrintOut event with the line.
// The dialog built-ins of this family (MSGBOX, INPUTBOX, MES) are added here when they are built.
#include "builtin_support.h"

namespace {

// The tab goes in only after a non-empty line, so leading empty arguments leave no tabs. A text that cannot
// be formed ends the call without any output.
void BuiltinPrint(BuiltinCall& call) {
    call.error.Clear();
    std::u16string line;
    for (int32_t i = 0; i < call.Count(); ++i) {
        std::u16string text;
        if (TextOf(call.Arg(i), text) != 0) {
            call.error.Report(kBuiltinErrorCode, u"表示できません");
            return;
        }
        if (!line.empty()) line += u'\t';
        line += text;
    }
    if (call.services.printOut) call.services.printOut(line);
}

} // namespace

void RegisterOutputBuiltins(BuiltinTable& table) {
    table.Add(u"PRINT", BuiltinPrint);
}
