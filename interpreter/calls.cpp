// Name resolution and calls: variables and array elements, user FUNCTION/SUB calls with their own stores and
// by-value parameters, and the requests that hand unknown names to the host.
#include "debug_state.h"
#include "engine.h"

#include "value_ops.h"

#include <string_view>

namespace {

// The text every request to the host is armed with, its length known when the program is compiled (the
// request is made for every built-in call).
constexpr std::u16string_view kUndefinedNameText = u"未定義の関数/変数が使用されました - ";

} // namespace

bool cMoMacro_Engine::EvaluateTarget(const cMoMacro_Token& target, NameSlot*& slot, int32_t& index) {
    slot = &TargetSlot(target);
    return EvaluateSubscript({slot, target.Count() >= 2 ? target.ItemToken(1).get() : nullptr}, index);
}

bool cMoMacro_Engine::EvaluateGivenSubscript(const cMoMacro_Token& expression, int32_t& index) {
    MacroValue subscript = Compute(expression);
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

MacroValue cMoMacro_Engine::GetVariableValue(NameSlot& slot, int32_t index) {
    const MacroValue* value = nullptr;
    if (int32_t p = LocalPosition(slot); p >= 0)
        value = local_->ValueAt(p, index, slot.name, error_);
    else if (int32_t g = GlobalPosition(slot); g >= 0)
        value = global_->ValueAt(g, index, slot.name, error_);
    else
        error_.Report(5, u"変数が定義されていません。- " + slot.name);
    return value ? *value : MacroValue();
}

void cMoMacro_Engine::SetVariableValue(NameSlot& slot, int32_t index, MacroValue value) {
    if (int32_t p = LocalPosition(slot); p >= 0)
        local_->SetAt(p, index, std::move(value), slot.name, error_);
    else if (int32_t g = GlobalPosition(slot); g >= 0)
        global_->SetAt(g, index, std::move(value), slot.name, error_);
    else
        error_.Report(5, u"変数が定義されていません。- " + slot.name);
}

// A variable read from an expression: a scalar without brackets, an element with exactly one subscript value.
MacroValue cMoMacro_Engine::ReadVariable(const cMoMacro_Variable& store, int32_t position,
                                         const NameSlot& slot, int32_t count) {
    int32_t index = -1;
    if (count >= 0 && (count != 1 || ToInt32(stack_.back(), index) != 0)) {
        error_.Report(6, u"配列の添字が不正です");
        return MacroValue();
    }
    const MacroValue* value = store.ValueAt(position, index, slot.name, error_);
    return value ? *value : MacroValue();
}

MacroValue cMoMacro_Engine::ResolveSlot(NameSlot& slot, int32_t count) {
    size_t argBase = stack_.size() - static_cast<size_t>(count > 0 ? count : 0);
    MacroValue value;
    int32_t p = LocalPosition(slot);
    int32_t g = p < 0 ? GlobalPosition(slot) : -1;
    if (p >= 0 && (p != 0 || count < 0))
        value = ReadVariable(*local_, p, slot, count);
    else if (g >= 0)
        value = ReadVariable(*global_, g, slot, count);
    else
        value = ResolveCall(slot, count, argBase, p < 0);
    while (stack_.size() > argBase) stack_.pop_back();
    return value;
}

bool cMoMacro_Engine::PushName(NameSlot& slot, int32_t count) {
    // The common cases first: a scalar variable, and an array element with one whole-number subscript. Any
    // failure takes the general path below, which reports it in its own words.
    if (count < 0) {
        if (const MacroValue* scalar = ScalarValue(slot)) {
            stack_.push_back(*scalar);
            return true;
        }
    } else if (count == 1) {
        const cMoMacro_Variable* store = nullptr;
        const int32_t position = ElementOwner(slot, store);
        int32_t index = -1;
        if (position >= 0) {
            if (ToInt32(stack_.back(), index) == 0) {
                if (const MacroValue* element = store->ElementAt(position, index)) {
                    stack_.back() = *element;
                    return true;
                }
            }
        }
    }
    if (count >= 0 && FindUserFunction(slot) >= 0) { // built-ins go on to the general path at once
        if (int32_t called = PushPlannedCall(slot, count); called >= 0) return called == 1;
    }
    MacroValue value = ResolveSlot(slot, count);
    if (error_.ErrorCode() != 0) return false;
    stack_.push_back(std::move(value));
    return true;
}

[[gnu::always_inline]] inline int32_t cMoMacro_Engine::PlannedFunction(NameSlot& slot) {
    const int32_t f = FindUserFunction(slot);
    if (f < 0 || functions_[static_cast<size_t>(f)].CallPlan.shape == 0) return -1;
    if (int32_t p = LocalPosition(slot); p > 0) {
        return -1;
    } else if (p < 0) {
        if ((!noUndefinedRequest_ && requestUndefined_) || GlobalPosition(slot) >= 0) return -1;
    }
    return f;
}

// Nothing runs between filling the store and the call, so every depth keeps one store for these calls. The
// depth is below kMaxCallDepth (MayCall has made sure), so the vector never moves the store while the call
// runs.
[[gnu::always_inline]] inline std::unique_ptr<cMoMacro_Variable>&
cMoMacro_Engine::StartDepthStore(int32_t f) {
    size_t depth = static_cast<size_t>(callDepth_);
    if (depth >= depthStores_.size()) [[unlikely]] {
        depthStores_.reserve(kMaxCallDepth);
        depthStores_.resize(depth + 1);
    }
    std::unique_ptr<cMoMacro_Variable>& store = depthStores_[depth];
    if (!store) store = std::make_unique<cMoMacro_Variable>(elementBudget_);
    store->Start(functions_[static_cast<size_t>(f)].CallPlan);
    return store;
}

[[gnu::always_inline]] inline MacroValue
cMoMacro_Engine::ExecuteUserFunction(int32_t functionIndex, std::unique_ptr<cMoMacro_Variable>& store) {
    // The caller's line is restored afterwards so that an error later in the calling statement names its own
    // line.
    int32_t callerLine = error_.ErrorLine();
    local_.swap(store); // store holds the caller's until the call is over
    ++callDepth_;
    if (debug_) [[unlikely]]
        debug_->calls[static_cast<size_t>(callDepth_)] =
            DebugState::Call{functionIndex, callerLine, store.get()};
    RunBlock(functions_[static_cast<size_t>(functionIndex)].LineIndex + 1);
    --callDepth_;
    local_.swap(store);
    MacroValue result;
    if (error_.ErrorCode() == 0) {
        error_.SetErrorLine(callerLine);
        result = std::move(store->KnownScalar(0)); // the result variable, about to be emptied
    }
    return result;
}

// A name with brackets that calls a user function with a planned store, as ResolveSlot would call it (a name
// that is no variable, or the running function's own name), unless the host may be asked about the name
// afterwards (it is then shown an argument list): the argument values move from the value stack straight
// into the call's store, and the result takes their place. 1 after the call, 0 after an error, -1 when the
// name needs the general resolution.
[[gnu::noinline]] int32_t cMoMacro_Engine::PushPlannedCall(NameSlot& slot, int32_t count) {
    const int32_t f = PlannedFunction(slot);
    if (f < 0) return -1;
    size_t argBase = stack_.size() - static_cast<size_t>(count);
    if (HoldsList(argBase)) return -1;
    if (error_.ErrorCode() != 0) error_.SetErrorCode(0);
    MacroValue result;
    if (MayCall(f, slot.name, count)) {
        std::unique_ptr<cMoMacro_Variable>& store = StartDepthStore(f);
        for (size_t k = argBase; k < stack_.size(); ++k)
            store->KnownScalar(static_cast<int32_t>(k - argBase) + 1) = std::move(stack_[k]);
        result = ExecuteUserFunction(f, store);
        store->Recycle();
    }
    stack_.resize(argBase);
    if (error_.ErrorCode() != 0) return 0;
    stack_.push_back(std::move(result));
    return 1;
}

// An element with one plain subscript, read as PushName reads it (the running function's own name with
// brackets is a call, not its result variable); false when the name is no array here, the subscript is not
// a whole number within it (a boolean is left to the general resolution too) or the element is no plain
// number.
[[gnu::always_inline]] inline bool
cMoMacro_Engine::ReadPlainElement(NameSlot& slot, const PlainNumber& subscript, PlainNumber& out) {
    const cMoMacro_Variable* store = nullptr;
    const int32_t position = ElementOwner(slot, store);
    if (position < 0) return false;
    int32_t index = -1;
    if (subscript.kind == ValueKind::Boolean || !PlainToInt32(subscript.value, index)) return false;
    const MacroValue* element = store->ElementAt(position, index);
    PlainNumber read; // out may be the subscript, which must stay as it is when the element is no number
    if (element == nullptr || !read.Read(*element)) return false;
    out = read;
    return true;
}

// A name with brackets of a call program: count argument values lie at args. An element or a call whose
// result is a plain number leaves it in args[0] (Plain); a call with any other result leaves it in value
// (Value). Refused, with nothing done, for a name the general resolution must resolve; Failed after an error.
[[gnu::noinline]] cMoMacro_Engine::BracketOutcome
cMoMacro_Engine::RunBracketed(NameSlot& slot, int32_t count, PlainNumber* args, MacroValue& value) {
    // A planned call's name is no variable here (or the running function's own), so the element PushName
    // looks for first cannot exist: the call is looked for first.
    const int32_t f = PlannedFunction(slot);
    if (f < 0) {
        const bool element = count == 1 && ReadPlainElement(slot, args[0], args[0]);
        return element ? BracketOutcome::Plain : BracketOutcome::Refused;
    }
    if (error_.ErrorCode() != 0) error_.SetErrorCode(0);
    if (!MayCall(f, slot.name, count)) return BracketOutcome::Failed;
    std::unique_ptr<cMoMacro_Variable>& store = StartDepthStore(f);
    for (int32_t k = 0; k < count; ++k) args[k].WriteTo(store->KnownScalar(k + 1));
    value = ExecuteUserFunction(f, store);
    store->Recycle();
    if (error_.ErrorCode() != 0) return BracketOutcome::Failed;
    return args[0].Read(value) ? BracketOutcome::Plain : BracketOutcome::Value;
}

// A name that is no variable (or the running function called with arguments): a user function or a built-in,
// and during ComputeLine a name the host may ask the user about.
[[gnu::noinline]] MacroValue cMoMacro_Engine::ResolveCall(NameSlot& slot, int32_t count, size_t argBase,
                                                          bool mayAskHost) {
    int32_t f = FindUserFunction(slot);
    // The argument values leave the stack here, so they are moved, not copied, into a list kept from an
    // earlier call.
    std::unique_ptr<cMoMacro_Token> args = TakeArgumentList();
    args->Reserve(stack_.size() - argBase);
    for (size_t k = argBase; k < stack_.size(); ++k) args->Add(std::move(stack_[k]), ttNumber);
    const cMoMacro_Token* argList = count >= 0 ? args.get() : nullptr;
    // Every path from here either clears the error code or sets its own text
    // ("未定義の関数/変数が使用されました" when the host does not know the name), so the name is not
    // pre-armed as undefined first.
    MacroValue value;
    if (f >= 0) {
        value = CallFunctionAt(f, slot.name, argList);
    } else { // the values are ready: hand them to the host as they are
        error_.SetErrorCode(0);
        value = RequestExtern(slot, *args);
    }
    if (mayAskHost && !noUndefinedRequest_ && error_.ErrorCode() == 5 && requestUndefined_) {
        MacroValue result;
        int32_t line = error_.ErrorLine();
        requestUndefined_(slot.name, argList, result, error_);
        error_.SetErrorLine(line);
        value = std::move(result);
    }
    ReturnArgumentList(std::move(args));
    return value;
}

std::unique_ptr<cMoMacro_Token> cMoMacro_Engine::TakeArgumentList() {
    if (argumentPool_.empty()) return std::make_unique<cMoMacro_Token>();
    std::unique_ptr<cMoMacro_Token> list = std::move(argumentPool_.back());
    argumentPool_.pop_back();
    return list;
}

void cMoMacro_Engine::ReturnArgumentList(std::unique_ptr<cMoMacro_Token> list) {
    list->Clear();
    if (argumentPool_.size() < 64) argumentPool_.push_back(std::move(list));
}

MacroValue cMoMacro_Engine::CallFunction(const std::u16string& name, const cMoMacro_Token* args) {
    return CallFunctionAt(FindUserFunction(name), name, args);
}

int32_t cMoMacro_Engine::FindUserFunction(NameSlot& slot) const {
    if (slot.functionTable != functionTableId_) {
        slot.functionTable = functionTableId_;
        slot.functionIndex = FindUserFunction(slot.name);
    }
    return slot.functionIndex;
}

MacroValue cMoMacro_Engine::CallFunctionAt(int32_t f, const std::u16string& name,
                                           const cMoMacro_Token* args) {
    error_.SetErrorCode(0);
    return f < 0 ? CallExtern(name, args) : CallUserFunction(f, name, args);
}

// An argument's value: an argument list of a statement holds expressions, one of an expression holds values.
bool cMoMacro_Engine::ArgumentValue(const cMoMacro_Token& args, int32_t k, MacroValue& value) {
    const auto& entry = args.Entries()[static_cast<size_t>(k)];
    value = entry.value.IsList() ? Compute(*entry.value.ListValue()) : entry.value;
    return error_.ErrorCode() == 0;
}

// The helpers of a call stay out of line: every level of a macro's recursion passes through the call, and
// the process stack must hold a thousand of them.
[[gnu::noinline]] MacroValue cMoMacro_Engine::CallExtern(const std::u16string& name,
                                                         const cMoMacro_Token* args) {
    std::unique_ptr<cMoMacro_Token> values = TakeArgumentList();
    values->Reserve(args ? static_cast<size_t>(args->Count()) : 0);
    MacroValue result;
    bool ready = true;
    for (int32_t k = 0; args && k < args->Count(); ++k) {
        MacroValue value;
        if (!ArgumentValue(*args, k, value)) {
            ready = false;
            break;
        }
        values->Add(std::move(value), ttNumber);
    }
    if (ready) result = RequestExtern(name, *values);
    ReturnArgumentList(std::move(values));
    return result;
}

// An argument list of a value that is a list is read as an expression (see ArgumentValue), which only the
// general path does.
bool cMoMacro_Engine::HoldsList(size_t argBase) const {
    for (size_t k = argBase; k < stack_.size(); ++k)
        if (stack_[k].IsList()) return true;
    return false;
}

std::unique_ptr<cMoMacro_Variable> cMoMacro_Engine::TakeStore() {
    if (storePool_.empty()) return std::make_unique<cMoMacro_Variable>(elementBudget_);
    std::unique_ptr<cMoMacro_Variable> store = std::move(storePool_.back());
    storePool_.pop_back();
    return store;
}

[[gnu::noinline]] std::unique_ptr<cMoMacro_Variable>
cMoMacro_Engine::CallStore(int32_t f, const std::u16string& name, const cMoMacro_Token* args) {
    const UserFunction& function = functions_[static_cast<size_t>(f)];
    const cMoMacro_Token& parameters = *function.Parameters;
    std::unique_ptr<cMoMacro_Variable> store = TakeStore();
    if (function.CallPlan.shape != 0) {
        // Names known to be distinct and valid: no searches, and the shape of every other call's store.
        store->Start(function.CallPlan);
        for (int32_t k = 0; k < parameters.Count(); ++k)
            if (!ArgumentValue(*args, k, store->KnownScalar(k + 1))) break;
        if (error_.ErrorCode() == 0) return store;
        RecycleStore(std::move(store));
        return nullptr;
    }
    store->Clear(); // it may still hold the records of an earlier plan
    store->CreateVariable(name, -1, error_);
    for (int32_t k = 0; error_.ErrorCode() == 0 && k < parameters.Count(); ++k) {
        MacroValue value;
        if (!ArgumentValue(*args, k, value)) break;
        const std::u16string& parameter = parameters.ItemToken(k)->Item(0).StringValue();
        store->CreateVariable(parameter, -1, error_);
        if (error_.ErrorCode() == 0)
            store->SetAt(store->Count() - 1, -1, std::move(value), parameter, error_);
    }
    if (error_.ErrorCode() == 0) return store;
    RecycleStore(std::move(store));
    return nullptr;
}

// A call MayCall refuses, in the words of its first failing check; false.
[[gnu::noinline]] bool cMoMacro_Engine::RefuseCall(int32_t f, const std::u16string& name,
                                                   int32_t argumentCount) {
    if (argumentCount != functions_[static_cast<size_t>(f)].ParameterCount) {
        error_.Report(7, u"引数の数があいません");
        return false;
    }
    error_.Report(7, u"関数の呼び出しが深すぎます - ", name);
    return false;
}

MacroValue cMoMacro_Engine::CallUserFunction(int32_t f, const std::u16string& name,
                                             const cMoMacro_Token* args) {
    if (!MayCall(f, name, args ? args->Count() : 0)) return MacroValue();
    std::unique_ptr<cMoMacro_Variable> store = CallStore(f, name, args);
    if (!store) return MacroValue();
    MacroValue result = ExecuteUserFunction(f, store);
    RecycleStore(std::move(store));
    return result;
}

MacroValue cMoMacro_Engine::RequestExtern(const std::u16string& name, cMoMacro_Token& values) {
    error_.ReportPending(5, kUndefinedNameText, name);
    // A host clears the error object before it works, which also clears the line; the line of the statement
    // that made the request is put back so that a failing built-in reports where it was called.
    int32_t line = error_.ErrorLine();
    MacroValue result;
    if (requestExtern_) requestExtern_(name, values, result, error_);
    error_.Settle();
    error_.SetErrorLine(line);
    return result;
}

MacroValue cMoMacro_Engine::RequestExtern(NameSlot& slot, cMoMacro_Token& values) {
    if (slot.externGeneration != externGeneration_) {
        slot.externGeneration = externGeneration_;
        slot.externNumber = externResolver_ ? externResolver_(slot.upper) : -1;
    }
    if (slot.externNumber < 0 || !externDispatcher_) return RequestExtern(slot.name, values);
    // The same steps as the request by name: armed as undefined, the host's work, the line put back. The
    // host nearly always clears the text unread, so it is only joined if it is still there afterwards.
    error_.ReportPending(5, kUndefinedNameText, slot.name);
    int32_t line = error_.ErrorLine();
    MacroValue result;
    externDispatcher_(slot.externNumber, slot.upper, values, result, error_);
    error_.Settle();
    error_.SetErrorLine(line);
    return result;
}

// A finished call's store lets go of its values and is kept for the next call, which starts it afresh (with a
// new identity).
void cMoMacro_Engine::RecycleStore(std::unique_ptr<cMoMacro_Variable> store) {
    store->Recycle();
    if (storePool_.size() < 64) storePool_.push_back(std::move(store));
}
