// The shared helpers of the built-in families: count check, trapped-section reporting, value conversions and
// the refusals used when the program runs without a display or without a platform layer.
#include "builtin_support.h"

#include "desktop_platform.h"
#include "user_interface.h"
#include "value_ops.h"

bool CheckCount(BuiltinCall& call, bool ok, std::u16string_view message) {
    if (!ok) call.error.Report(kBuiltinErrorCode, std::u16string(message));
    return ok;
}

bool TrappedSection::Report(cMoMacro_Error& error) const {
    if (last_ == 0) return false;
    error.ReportFailure(kBuiltinErrorCode, last_);
    return true;
}

int TextOf(const MacroValue& value, std::u16string& out) {
    if (value.IsList()) return kFailTypeMismatch;
    out = ToText(value);
    return kFailNone;
}

int TextViewOf(const MacroValue& value, std::u16string& storage, std::u16string_view& out) {
    if (value.IsString()) {
        out = value.StringValue();
        return kFailNone;
    }
    int failure = TextOf(value, storage);
    out = storage;
    return failure;
}

int WholeNumberOf(const MacroValue& value, int32_t& out) {
    int32_t n = 0;
    int failure = ToInt32(value, n);
    if (failure == kFailNone) out = n;
    return failure;
}

bool RequireDialogs(BuiltinCall& call) {
    if (call.services.ui != nullptr && call.services.ui->CanShowDialogs()) return true;
    call.error.Report(kBuiltinErrorCode,
                      u"画面が使用できないため、ダイアログを表示できません - " + call.name);
    return false;
}

bool RequireDisplay(BuiltinCall& call, DesktopPart part) {
    if (call.services.desktop == nullptr || !call.services.desktop->HasDisplay()) {
        if (ReportDisplayLost(call)) return false;
        call.error.Report(kBuiltinErrorCode,
                          u"画面が使用できないため、この関数は実行できません - " + call.name);
        return false;
    }
    const std::u16string why = call.services.desktop->PartUnavailable(part);
    if (why.empty()) return true;
    call.error.Report(kBuiltinErrorCode, why + u" - " + call.name);
    return false;
}

bool ReportDisplayLost(BuiltinCall& call) {
    if (call.services.desktop == nullptr || !call.services.desktop->DisplayLost()) return false;
    call.error.SetErrorCodeSub(0); // a failure the call met on the way counts no more
    call.error.Report(kBuiltinErrorCode,
                      u"画面との接続が切れたため、この関数は実行できません - " + call.name);
    return true;
}

bool RequireDesktop(BuiltinCall& call) {
    if (call.services.desktop != nullptr) return true;
    call.error.Report(kBuiltinErrorCode, u"この環境ではこの関数は使用できません - " + call.name);
    return false;
}
