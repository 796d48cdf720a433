// libFuzzer target: any text given as a macro runs through the facade with the whole built-in library, a
// desktop double and a user-interface double, within a time budget per input; the editor's block reading is
// checked too.
#include "codepage.h"
#include "fuzz_desktop.h"
#include "fuzz_user_interface.h"
#include "library_state.h"
#include "macro_facade.h"
#include "random_generator.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The time one input may take for all its runs together: a macro that loops for ever is stopped at its first
// yield after that, as the user's stop would stop it. 10 ms runs some hundred thousand statements; inputs
// that loop are common enough that a longer budget would cost most of the executions. QM_FUZZ_BUDGET_MS
// changes it.
Clock::duration InputBudget() {
    static const Clock::duration budget = [] {
        const char* text = std::getenv("QM_FUZZ_BUDGET_MS");
        const long ms = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
        return std::chrono::milliseconds(ms > 0 ? ms : 10);
    }();
    return budget;
}

// What one run may change for good in the library: the remembered mouse mode, origin and image results, and
// the random sequence. Each input starts from the program's start state, so a crash repeats from its input.
void ResetLibrary() {
    LibraryState::MouseAbsolute = 0;
    LibraryState::OriginX = LibraryState::OriginY = 0;
    LibraryState::OriginSet = false;
    LibraryState::ImgX = LibraryState::ImgY = 0;
    LibraryState::ImgR = LibraryState::ImgG = LibraryState::ImgB = 0;
    MacroRandom::Shared() = MacroRandom{};
}

// The run from the top, up to four user functions each on a fresh parse, and the first line as an expression
// (whose unknown names the input box answers), all against the real built-ins.
void Exercise(const std::u16string& text) {
    ResetLibrary();
    fuzzing::FuzzDesktop desktop;
    fuzzing::FuzzUserInterface ui;
    cMoMacro macro(&ui, &desktop);
    const Clock::time_point deadline = Clock::now() + InputBudget();
    ui.onYield = [&] {
        desktop.ForgetOldEvents();
        if (Clock::now() >= deadline) macro.ForceStop();
    };
    size_t printed = 0;
    macro.SetPrintOut([&printed](const std::u16string& line) { printed += line.size(); });

    // However a run ends, it has let go of every key and button it held.
    macro.SetMacroText(text);
    (void)macro.Engine().DebugOut();
    macro.Run();
    if (macro.Held().AnyHeld()) __builtin_trap();
    cMoMacro_Engine& engine = macro.Engine();
    for (int32_t i = 0; i < engine.UserFunctionCount(); ++i) {
        if (engine.UserFunctionType(i) < 0) continue;
        macro.SetMacroText(text);
        macro.RunFunction(engine.UserFunctionName(i));
        if (macro.Held().AnyHeld()) __builtin_trap();
        if (i >= 3) break;
    }
    const std::u16string firstLine = text.substr(0, text.find(u'\r'));
    (void)macro.ComputeLine(firstLine);
}

// The lenient reading must refuse what the parse refuses, with the same code, and give for every line links
// that include that line, stay in the text and come in order.
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
