// Name resolution and calls: variables and array elements, user FUNCTION/SUB calls with their own stores and
// by-value parameters, and the requests that hand unknown names to the host.
#include "engine.h"

#include "value_ops.h"

namespace {

// Restores a saved value when the scope ends.
template <typename T> struct Restore {
    T& target;
    T saved;
    Restore(T& t, T value) : target(t), saved(std::move(t)) { target = std::move(value); }
    ~Restore() { target = std::move(saved); }
};

} // namespace

bool cMoMacro_Engine::EvaluateTarget(const cMoMacro_Token& target, std::u16string& name, int32_t& index) {
    name = target.Item(0).StringValue();
    index = -1;
    if (target.Count() < 2) return true;
    MacroValue subscript = Compute(*target.ItemToken(1));
    if (error_.ErrorCode() != 0) return false;
    if (subscript.IsString()) {
        error_.Report(2, u"配列の添字が不正です");
        return false;
    }
    if (ToInt32(subscript, index) != 0) {
        error_.Report(6, u"配列の添字が不正です");
        return false;
    }
    return true;
}

MacroValue cMoMacro_Engine::GetVariableValue(const std::u16string& name, int32_t index) {
    if (local_ && local_->SearchIndex(name) >= 0) return local_->GetByName(name, index, error_);
    if (global_ && global_->SearchIndex(name) >= 0) return global_->GetByName(name, index, error_);
    error_.Report(5, u"変数が定義されていません。- " + name);
    return MacroValue();
}

void cMoMacro_Engine::SetVariableValue(const std::u16string& name, int32_t index, const MacroValue& value) {
    if (local_ && local_->SearchIndex(name) >= 0) return local_->SetByName(name, index, value, error_);
    if (global_ && global_->SearchIndex(name) >= 0) return global_->SetByName(name, index, value, error_);
    error_.Report(5, u"変数が定義されていません。- " + name);
}

namespace {

// Reads a variable at a known position: a scalar without arguments, an element with exactly one subscript.
MacroValue ReadVariable(const cMoMacro_Variable& store, int32_t position, const std::u16string& name,
                        const cMoMacro_Token* args, cMoMacro_Error& error) {
    error.SetErrorCode(0);
    int32_t index = -1;
    if (args) {
        if (args->Count() != 1 || ToInt32(args->Item(0), index) != 0) {
            error.Report(6, u"配列の添字が不正です");
            return MacroValue();
        }
    }
    const MacroValue* slot = store.ValueAt(position, index, name, error);
    return slot ? *slot : MacroValue();
}

} // namespace

MacroValue cMoMacro_Engine::ResolveName(const std::u16string& name, const cMoMacro_Token* args) {
    int32_t p = local_ ? local_->SearchIndex(name) : -1;
    if (p >= 0) {
        if (p != 0 || !args) return ReadVariable(*local_, p, name, args, error_);
        return CallFunction(name, args); // a function calling itself by its own name
    }
    p = global_ ? global_->SearchIndex(name) : -1;
    if (p >= 0) return ReadVariable(*global_, p, name, args, error_);
    MacroValue value = CallFunction(name, args);
    if (!noUndefinedRequest_ && error_.ErrorCode() == 5 && requestUndefined_) {
        MacroValue result;
        requestUndefined_(name, args, result, error_);
        value = std::move(result);
    }
    return value;
}

MacroValue cMoMacro_Engine::CallFunction(const std::u16string& name, const cMoMacro_Token* args) {
    int32_t f = FindUserFunction(name);
    error_.SetErrorCode(0);
    auto evaluate = [&](int32_t k, MacroValue& value) {
        const auto& entry = args->Entries()[static_cast<size_t>(k)];
        value = entry.value.IsList() ? Compute(*entry.value.ListValue()) : entry.value;
        return error_.ErrorCode() == 0;
    };
    if (f < 0) {
        cMoMacro_Token values;
        for (int32_t k = 0; args && k < args->Count(); ++k) {
            MacroValue value;
            if (!evaluate(k, value)) return MacroValue();
            values.Add(std::move(value), ttNumber);
        }
        return RequestExtern(name, values);
    }
    const cMoMacro_Token& parameters = *functions_[static_cast<size_t>(f)].Parameters;
    if ((args ? args->Count() : 0) != parameters.Count()) {
        error_.Report(7, u"引数の数があいません");
        return MacroValue();
    }
    if (callDepth_ >= kMaxCallDepth || StackIsLow()) {
        error_.Report(7, u"関数の呼び出しが深すぎます - " + name);
        return MacroValue();
    }
    auto store = std::make_unique<cMoMacro_Variable>();
    store->CreateVariable(name, -1, error_);
    for (int32_t k = 0; error_.ErrorCode() == 0 && k < parameters.Count(); ++k) {
        MacroValue value;
        if (!evaluate(k, value)) break;
        const std::u16string& parameter = parameters.ItemToken(k)->Item(0).StringValue();
        store->CreateVariable(parameter, -1, error_);
        if (error_.ErrorCode() == 0) store->SetByName(parameter, -1, value, error_);
    }
    if (error_.ErrorCode() != 0) return MacroValue();
    return ExecuteUserFunction(f, std::move(store));
}

MacroValue cMoMacro_Engine::RequestExtern(const std::u16string& name, cMoMacro_Token& values) {
    error_.Report(5, u"未定義の関数/変数が使用されました - " + name);
    MacroValue result;
    if (requestExtern_) requestExtern_(name, values, result, error_);
    return result;
}

MacroValue cMoMacro_Engine::ExecuteUserFunction(int32_t functionIndex,
                                                std::unique_ptr<cMoMacro_Variable> store) {
    // The caller's line is restored afterwards so that an error later in the calling statement names its own
    // line.
    int32_t callerLine = error_.ErrorLine();
    Restore<std::unique_ptr<cMoMacro_Variable>> scope(local_, std::move(store));
    Restore<int32_t> depth(callDepth_, callDepth_ + 1);
    Restore<int32_t> brackets(bracketDepth_, 0);
    RunBlock(functions_[static_cast<size_t>(functionIndex)].LineIndex + 1);
    if (error_.ErrorCode() != 0) return MacroValue();
    error_.SetErrorLine(callerLine);
    return *local_->ValueAt(0, -1, u"", error_);
}
