// The parse pass over a whole macro text: lines, tokens and statements, then block matching (FOR/NEXT,
// IF/ELSE/END IF, WHILE/WEND, FUNCTION/SUB ... END) with line links, and the table of user functions; also
// the lenient pass that reads the blocks of a text that does not parse.
#include "engine.h"

#include "statement_compiler.h"

#include <atomic>

namespace {

struct KindName {
    std::u16string_view text;
    StatementKind kind;
};

const KindName kKinds[] = {
    {u"DIM", StatementKind::Dim},
    {u"LET", StatementKind::Let},
    {u"CALL", StatementKind::Call},
    {u"FOR", StatementKind::For},
    {u"NEXT", StatementKind::Next},
    {u"IF", StatementKind::If},
    {u"ELSE", StatementKind::Else},
    {u"END IF", StatementKind::EndIf},
    {u"WHILE", StatementKind::While},
    {u"WEND", StatementKind::Wend},
    {u"FUNCTION", StatementKind::Function},
    {u"SUB", StatementKind::Sub},
    {u"END FUNCTION", StatementKind::EndFunction},
    {u"END SUB", StatementKind::EndSub},
    {u"EXIT FOR", StatementKind::ExitFor},
    {u"EXIT WHILE", StatementKind::ExitWhile},
    {u"EXIT IF", StatementKind::ExitIf},
    {u"EXIT SUB", StatementKind::ExitSub},
    {u"EXIT FUNCTION", StatementKind::ExitFunction},
    {u"END", StatementKind::End},
};

StatementKind KindOf(const cMoMacro_Token& statement) {
    if (statement.Count() == 0) return StatementKind::Empty;
    const std::u16string& text = statement.Item(0).StringValue();
    for (const KindName& k : kKinds)
        if (k.text == text) return k.kind;
    return StatementKind::Empty;
}

} // namespace

void cMoMacro_Engine::ParseMacroText(const std::u16string& text) {
    Clear();
    macroText_ = text.substr(0, text.size() - 1); // without the CR appended to end the last line
    error_.Clear();
    if (!SplitIntoLines(text)) return;
    for (MacroLine& line : lines_) {
        error_.SetErrorLine(line.LineNumber);
        ClassifyTokens(*line.Tokens);
        if (error_.ErrorCode() != 0) return;
        line.Statement = CompileStatement(*line.Tokens, error_);
        if (!line.Statement) line.Statement = NewTokenList();
        if (error_.ErrorCode() != 0) return;
        if (!ChargeLineBytes(ListBytes(*line.Statement), line.LineNumber)) return;
        line.Kind = KindOf(*line.Statement);
    }
    MatchBlocks();
    if (error_.ErrorCode() == 0) BuildFunctionTable();
}

// The parse of ParseMacroText, going on past every failure: a line that cannot be split, classified or
// compiled keeps an empty statement and so takes no part in block matching.
void cMoMacro_Engine::ParseLeniently(const std::u16string& text) {
    Clear();
    macroText_ = text.substr(0, text.size() - 1);
    error_.Clear();
    SplitIntoLines(text, true);
    for (MacroLine& line : lines_) {
        error_.SetErrorLine(line.LineNumber);
        ClassifyTokens(*line.Tokens);
        if (error_.ErrorCode() == 0) line.Statement = CompileStatement(*line.Tokens, error_);
        if (error_.ErrorCode() == 0 && line.Statement)
            ChargeLineBytes(ListBytes(*line.Statement), line.LineNumber);
        if (error_.ErrorCode() != 0 || !line.Statement) {
            line.Statement = NewTokenList();
            error_.Clear();
        }
        line.Kind = KindOf(*line.Statement);
    }
    MatchBlocks(true);
    error_.Clear();
}

// Besides the links appended to the statements, every pair is recorded in blockOpener_ for BlockLinesAt.
void cMoMacro_Engine::MatchBlocks(bool lenient) {
    cMoMacro_Token stack;
    blockOpener_.assign(lines_.size(), -1);
    for (int32_t i = 0; i < LineCount(); ++i) {
        const MacroLine& line = lines_[static_cast<size_t>(i)];
        error_.SetErrorLine(line.LineNumber);
        switch (line.Kind) {
        case StatementKind::Function:
        case StatementKind::Sub:
            if (lenient) UnwindTo(stack, u"");
            CheckOpenBlocks(stack);
            if (error_.ErrorCode() == 0) stack.Push(line.Statement->Item(0), i);
            break;
        case StatementKind::If:
        case StatementKind::For:
        case StatementKind::While:
            stack.Push(line.Statement->Item(0), i);
            break;
        case StatementKind::EndFunction:
            CloseBlock(stack, u"FUNCTION", u"END FUNCTION", i, lenient);
            break;
        case StatementKind::EndSub:
            CloseBlock(stack, u"SUB", u"END SUB", i, lenient);
            break;
        case StatementKind::EndIf:
            CloseBlock(stack, u"IF", u"END IF", i, lenient);
            break;
        case StatementKind::Next:
            CloseBlock(stack, u"FOR", u"NEXT", i, lenient);
            break;
        case StatementKind::Wend:
            CloseBlock(stack, u"WHILE", u"WEND", i, lenient);
            break;
        case StatementKind::Else:
            CloseBlock(stack, u"IF", u"ELSE", i, lenient);
            break;
        default:
            break;
        }
        // A mismatch stays the reported error: the final open-block check runs only after a clean walk.
        if (error_.ErrorCode() != 0) return;
    }
    if (!lenient) CheckOpenBlocks(stack);
}

void cMoMacro_Engine::CloseBlock(cMoMacro_Token& stack, std::u16string_view opener,
                                 std::u16string_view closer, int32_t i, bool lenient) {
    const bool onTop = stack.Count() != 0 && stack.ItemIs(stack.Count() - 1, opener, stack.LastItemType());
    if (!onTop && lenient && !UnwindTo(stack, opener)) return;
    if (!onTop && !lenient) {
        error_.Report(3, std::u16string(closer) + u"に対応する" + std::u16string(opener) + u"がありません");
        return;
    }
    MacroValue keyword;
    int32_t o = 0;
    stack.Pop(keyword, o);
    lines_[static_cast<size_t>(o)].Statement->Add(MacroValue::Int32(i), ttNumber);
    if (closer == u"ELSE") stack.Push(keyword, o);
    lines_[static_cast<size_t>(i)].Statement->Add(MacroValue::Int32(o), ttNumber);
    blockOpener_[static_cast<size_t>(o)] = o;
    blockOpener_[static_cast<size_t>(i)] = o;
}

// Drops the open blocks above the innermost open `opener`, so that it is on top; true when there is one. The
// stack holds at most one FUNCTION or SUB, at its bottom, and a FOR, IF or WHILE is looked for only above it.
// An empty opener matches nothing: the whole stack is dropped.
bool cMoMacro_Engine::UnwindTo(cMoMacro_Token& stack, std::u16string_view opener) {
    int32_t k = stack.Count() - 1;
    while (k >= 0 && stack.Item(k).StringValue() != opener) {
        const std::u16string& open = stack.Item(k).StringValue();
        if (open == u"FUNCTION" || open == u"SUB") k = 0;
        --k;
    }
    if (k < 0 && !opener.empty()) return false;
    MacroValue dropped;
    while (stack.Count() > k + 1) stack.Pop(dropped);
    return k >= 0;
}

void cMoMacro_Engine::CheckOpenBlocks(const cMoMacro_Token& stack) {
    if (stack.Count() == 0) return;
    const std::u16string& open = stack.LastItem().StringValue();
    if (open == u"FOR") return error_.Report(3, u"FOR に対応する NEXT がありません");
    if (open == u"WHILE") return error_.Report(3, u"WHILE に対応する WEND がありません");
    error_.Report(3, open + u" に対応する END " + open + u" がありません");
}

void cMoMacro_Engine::BuildFunctionTable() {
    static std::atomic<uint64_t> nextTableId{1};
    functions_.clear();
    functionIndex_.clear();
    functionTableId_ = nextTableId.fetch_add(1, std::memory_order_relaxed);
    int32_t current = -1;
    for (int32_t i = 0; i < LineCount(); ++i) {
        MacroLine& line = lines_[static_cast<size_t>(i)];
        if (line.Kind == StatementKind::Function || line.Kind == StatementKind::Sub) {
            UserFunction f;
            f.Name = UpperCase(line.Statement->Item(1).StringValue());
            f.Kind = line.Kind == StatementKind::Function ? 1 : 0;
            f.Parameters = line.Statement->ItemToken(2);
            f.ParameterCount = f.Parameters->Count();
            f.LineIndex = i;
            f.LineNumber = line.LineNumber;
            PlanCallStore(f);
            current = static_cast<int32_t>(functions_.size());
            functionIndex_.emplace(f.Name, current); // the first definition of a name wins
            functions_.push_back(std::move(f));
        } else if (line.Kind == StatementKind::EndFunction || line.Kind == StatementKind::EndSub) {
            current = -1;
        }
        line.FunctionIndex = current;
    }
}

// A function whose result variable and parameters have distinct names of valid length gets a call shape:
// its calls fill their stores without searching, and names found in one call's store are found in the next.
void cMoMacro_Engine::PlanCallStore(UserFunction& f) {
    std::vector<std::u16string> names{f.Name};
    for (int32_t k = 0; k < f.Parameters->Count(); ++k) {
        const TokenRef& parameter = f.Parameters->ItemToken(k);
        if (!parameter || parameter->Count() == 0) return;
        names.push_back(UpperCase(parameter->Item(0).StringValue()));
    }
    for (size_t a = 0; a < names.size(); ++a) {
        if (names[a].size() > cMoMacro_Variable::kMaxNameLength) return;
        for (size_t b = 0; b < a; ++b)
            if (names[a] == names[b]) return;
    }
    f.CallPlan.names = std::move(names);
    f.CallPlan.shape = cMoMacro_Variable::NewId();
}

std::u16string cMoMacro_Engine::UserFunctionName(int32_t index) const {
    if (index < 0 || index >= UserFunctionCount()) return u"";
    return functions_[static_cast<size_t>(index)].Name;
}

int32_t cMoMacro_Engine::UserFunctionType(int32_t index) const {
    if (index < 0 || index >= UserFunctionCount()) return -1;
    return functions_[static_cast<size_t>(index)].Kind;
}

int32_t cMoMacro_Engine::UserFunctionPosition(int32_t index) const {
    if (index < 0 || index >= UserFunctionCount()) return 0;
    return functions_[static_cast<size_t>(index)].LineNumber;
}

int32_t cMoMacro_Engine::FindUserFunction(const std::u16string& name) const {
    auto it = functionIndex_.find(UpperCase(name));
    return it == functionIndex_.end() ? -1 : it->second;
}
