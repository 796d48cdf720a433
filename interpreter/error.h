// cMoMacro_Error: the single error record of an engine, written by every stage that finds a fault.
// Also the table of error-code messages shown to the user.
#pragma once

#include "macro_value.h"

#include <cstdint>
#include <functional>
#include <string>

class cMoMacro_Error {
  public:
    using ErrorHandler = std::function<void(int32_t& code)>;

    void Clear();

    int32_t ErrorCode() const { return code_; }
    // Stores the code; a change to a non-zero code raises OnError.
    void SetErrorCode(int32_t code);
    int32_t ErrorLine() const { return line_; }
    void SetErrorLine(int32_t line) { line_ = line; }
    int32_t ErrorCodeSub() const { return codeSub_; }
    void SetErrorCodeSub(int32_t sub) { codeSub_ = sub; }
    const std::u16string& ErrorInformation() const {
        if (pending_) [[unlikely]]
            Settle();
        return information_;
    }
    void SetErrorInformation(std::u16string text) {
        pending_ = false;
        information_ = std::move(text);
    }
    const MacroValue& ErrorData() const { return data_; }
    void SetErrorData(const MacroValue& data) { data_ = data; }

    // The message of the stored code, or of the given one.
    std::u16string ErrorMsg() const { return ErrorMsg(MacroValue::Int32(code_)); }
    std::u16string ErrorMsg(const MacroValue& code) const;

    // Sets information and then the code, the order every reporting site uses.
    void Report(int32_t code, std::u16string_view information, std::u16string_view suffix = {});
    // The same report with the text joined only when it is read: the engine arms every request to its host
    // this way, and the host almost always clears or replaces it unread. Both views must stay valid until
    // Settle, which the caller runs once the views' owner may go.
    void ReportPending(int32_t code, std::u16string_view information, std::u16string_view suffix) {
        pending_ = true;
        pendingInformation_ = information;
        pendingSuffix_ = suffix;
        SetErrorCode(code);
    }
    // Joins a pending text now.
    void Settle() const {
        if (!pending_) return;
        pending_ = false;
        information_.assign(pendingInformation_).append(pendingSuffix_);
    }
    // Reports a failure number of a value or platform operation: its description, the number as ErrorCodeSub,
    // then the code.
    void ReportFailure(int32_t code, int failureNumber);

    void SetOnError(ErrorHandler handler) { onError_ = std::move(handler); }

  private:
    int32_t code_ = 0;
    int32_t codeSub_ = 0;
    int32_t line_ = 0;
    MacroValue data_;
    mutable std::u16string information_;
    mutable bool pending_ = false;
    std::u16string_view pendingInformation_;
    std::u16string_view pendingSuffix_;
    ErrorHandler onError_;
};

// The message text of an error code ("" for 0, "定義されていないエラーです" for unknown codes).
std::u16string ErrorMessageOf(int32_t code);
