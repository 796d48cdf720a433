// The error object of an engine and the messages of its error codes.
// Every stage reports through it: information first, the code last.
#include "error.h"

#include "failure_text.h"
#include "value_ops.h"

void cMoMacro_Error::Clear() {
    code_ = 0;
    codeSub_ = 0;
    line_ = 0;
    pending_ = false;
    information_.clear();
    data_ = MacroValue::Null();
}

void cMoMacro_Error::SetErrorCode(int32_t code) {
    if (code == code_) return;
    code_ = code;
    if (code != 0 && onError_) {
        int32_t raised = code;
        onError_(raised);
    }
}

std::u16string cMoMacro_Error::ErrorMsg(const MacroValue& code) const {
    int32_t value = 0;
    if (ToInt32(code, value) != 0) return ErrorMessageOf(-1);
    return ErrorMessageOf(value);
}

void cMoMacro_Error::Report(int32_t code, std::u16string_view information, std::u16string_view suffix) {
    // Assigning into the existing text reuses its storage: reports on hot paths allocate nothing.
    pending_ = false;
    information_.assign(information).append(suffix);
    SetErrorCode(code);
}

void cMoMacro_Error::ReportFailure(int32_t code, int failureNumber) {
    pending_ = false;
    information_ = FailureDescription(failureNumber);
    codeSub_ = failureNumber;
    SetErrorCode(code);
}

std::u16string ErrorMessageOf(int32_t code) {
    switch (code) {
    case 0:
        return u"";
    case 1:
        return u"不正な文字があります";
    case 2:
    case 3:
        return u"構文エラーです";
    case 4:
        return u"計算ができません";
    case 5:
        return u"未定義の名前です";
    case 6:
        return u"添字が範囲外です";
    case 7:
        return u"関数の呼び出しが不正です";
    case 100:
        return u"ユーザによって終了されました";
    default:
        return u"定義されていないエラーです";
    }
}
