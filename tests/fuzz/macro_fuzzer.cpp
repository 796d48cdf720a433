// libFuzzer target: any text given as a macro must parse to a clean line table or one error, run within a
// statement budget without crashing or hanging, and survive ComputeLine with a host that answers every call;
// the editor's lenient block reading must give, for every line, links that include that line and stay in the
// text, and refuse to run a text the parse refuses.
#include "codepage.h"
#include "engine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr int kStatementBudget = 5000;

void Exercise(const std::u16string& text) {
    cMoMacro_Engine engine;
    for (const char16_t* name : {u"PRINT", u"MID", u"VK_A"}) engine.AddExternFunction(name);
    int statements = 0;
    engine.SetYield([&] {
        if (++statements > kStatementBudget) engine.ForceStop();
    });
    engine.SetRequestExternFunction(
        [](const std::u16string&, cMoMacro_Token& args, MacroValue& result, cMoMacro_Error& error) {
            error.Clear();
            result = args.Count() > 0 ? args.Item(0) : MacroValue::Int32(1);
        });
    engine.SetRequestUndefinedVariable(
        [](const std::u16string&, const cMoMacro_Token*, MacroValue& result, cMoMacro_Error& error) {
            error.Clear();
            result = MacroValue::Double(2);
        });
    engine.SetMacroText(text);
    (void)engine.DebugOut();
    engine.Run();
    for (int32_t i = 0; i < engine.UserFunctionCount(); ++i) {
        if (engine.UserFunctionType(i) < 0) continue;
        statements = 0;
        engine.SetMacroText(text);
        engine.RunFunction(engine.UserFunctionName(i));
        if (i >= 3) break;
    }
    statements = 0;
    std::u16string firstLine = text.substr(0, text.find(u'\r'));
    (void)engine.ComputeLine(firstLine);
}

void ExerciseBlockReading(const std::u16string& text) {
    cMoMacro_Engine parsed, read;
    parsed.SetMacroText(text);
    read.ReadBlockStructure(text);
    if (read.Error().ErrorCode() != parsed.Error().ErrorCode()) __builtin_trap();
    const int32_t lines = static_cast<int32_t>(std::count(text.begin(), text.end(), u'\r')) + 1;
    for (int32_t n = 0; n <= lines + 1; ++n) {
        const std::vector<int32_t> links = read.BlockLinesAt(n);
        if (links.empty()) continue;
        if (links.size() < 2 || std::find(links.begin(), links.end(), n) == links.end()) __builtin_trap();
        if (links.front() < 1 || links.back() > lines || !std::is_sorted(links.begin(), links.end()))
            __builtin_trap();
    }
    if (parsed.Error().ErrorCode() != 0 && read.Run() != parsed.Error().ErrorCode()) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::u16string text = FromUtf8(bytes);
    std::u16string crlf;
    crlf.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\n') crlf += u'\r';
        crlf += c;
    }
    Exercise(crlf);
    ExerciseBlockReading(crlf);
    return 0;
}
