// One-line evaluation: an expression is wrapped into a two-line macro ("dim _" and "_=" + expression), run,
// and the value of "_" returned. Unknown names are offered to the host, which may ask the user for their
// values.
#include "engine.h"

#include <new>

MacroValue cMoMacro_Engine::ComputeLine(const std::u16string& expression) {
    SetMacroText(u"dim _\r\n_=" + expression);
    if (error_.ErrorCode() != 0) return MacroValue();
    ResetRunState();
    noUndefinedRequest_ = false;
    try {
        RunBlock(0);
    } catch (const std::bad_alloc&) {
        ReportAllocationFailure();
    }
    cMoMacro_Error lookup;
    MacroValue value = global_->GetByName(u"_", -1, error_.ErrorCode() != 0 ? lookup : error_);
    return error_.ErrorCode() != 0 ? MacroValue() : value;
}
