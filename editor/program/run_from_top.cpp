// Running a macro from the top in any program: the steps the editor's 実行 and the command-line run share.
// Knows nothing of where the lines go; the owner's sinks decide.
#include "run_from_top.h"

#include "codepage.h"
#include "error.h"
#include "library_state.h"
#include "macro_facade.h"

void ShowMacroError(const cMoMacro_Error& error, const RunSinks& sinks) {
    if (!sinks.errors) return;
    sinks.errors(error.ErrorMsg());
    sinks.errors(error.ErrorInformation());
    sinks.errors(u"行=" + FromUtf8(std::to_string(error.ErrorLine())));
}

int32_t RunMacroFromTop(cMoMacro& macro, const std::u16string& text, OwnBufferFile& buffer,
                        const RunSinks& sinks) {
    WriteBufferFile(buffer, text, sinks.errors);
    LibraryState::ResetForRunFromTop();

    macro.SetPrintOut(sinks.output);
    macro.SetMacroText(text);
    if (macro.Error().ErrorCode() != 0) {
        ShowMacroError(macro.Error(), sinks);
        return macro.Error().ErrorCode();
    }

    macro.Run();
    const int32_t code = macro.Error().ErrorCode();
    if (code != 0) ShowMacroError(macro.Error(), sinks);
    if (sinks.output) sinks.output(u"終了しました。");
    return code;
}
