// Debugging a run: the per-line check made through the yield (only while a breakpoint, a step or a pause
// request waits), the pause handed to the host, and the calls and variables a paused run shows.
#include "debug_state.h"
#include "engine.h"

#include "value_ops.h"

#include <algorithm>
#include <climits>

namespace {

bool StopsAt(StatementKind kind) {
    switch (kind) {
    case StatementKind::Empty:
    case StatementKind::Else:
    case StatementKind::EndIf:
    case StatementKind::Function:
    case StatementKind::Sub:
    case StatementKind::EndFunction:
    case StatementKind::EndSub:
        return false;
    default:
        return true;
    }
}

std::vector<DebugVariable> VariablesOf(const cMoMacro_Variable* store) {
    std::vector<DebugVariable> variables;
    if (store == nullptr) return variables;
    for (int32_t p = 0; p < store->Count(); ++p) {
        DebugVariable variable;
        variable.name = store->NameOf(p);
        const MacroValue* first = nullptr;
        if (const MacroValue* scalar = store->ScalarAt(p)) {
            variable.kind = DebugKindOf(*scalar);
            variable.value = ToText(*scalar);
        } else if (store->ArrayAt(p, first, variable.last)) {
            variable.kind = DebugVariable::Kind::Array;
        }
        variables.push_back(std::move(variable));
    }
    return variables;
}

} // namespace

DebugVariable::Kind DebugKindOf(const MacroValue& value) {
    switch (value.Kind()) {
    case ValueKind::Empty:
    case ValueKind::Null:
        return DebugVariable::Kind::Empty;
    case ValueKind::String:
    case ValueKind::List:
        return DebugVariable::Kind::Text;
    default:
        return DebugVariable::Kind::Number;
    }
}

void cMoMacro_Engine::SetDebugHost(DebugHost* host) {
    if (!debug_) debug_ = std::make_unique<DebugState>();
    debug_->host = host;
}

std::vector<int32_t> cMoMacro_Engine::SetBreakpoints(const std::vector<int32_t>& lines) {
    if (!debug_) debug_ = std::make_unique<DebugState>();
    debug_->asked = lines;
    return PlaceBreakpoints();
}

// The breakpoints asked, on the lines of the current text that can pause: again at the start of every run,
// so they may be asked before the text is given.
std::vector<int32_t> cMoMacro_Engine::PlaceBreakpoints() {
    std::vector<int32_t> landed;
    for (const int32_t wanted : debug_->asked) {
        const auto at = std::find_if(lines_.begin(), lines_.end(), [&](const MacroLine& line) {
            return line.LineNumber >= wanted && StopsAt(line.Kind);
        });
        if (at != lines_.end()) landed.push_back(at->LineNumber);
    }
    std::sort(landed.begin(), landed.end());
    landed.erase(std::unique(landed.begin(), landed.end()), landed.end());
    debug_->breakpoints = landed;
    // A run under way looks at its next line.
    if (debug_->Watching()) yieldCountdown_ = debug_->granted = 1;
    return landed;
}

void cMoMacro_Engine::RequestPause() {
    if (!debug_) return;
    debug_->pauseRequested = true;
    yieldCountdown_ = debug_->granted = 1;
}

void cMoMacro_Engine::StartNextRunPaused() {
    if (!debug_) debug_ = std::make_unique<DebugState>();
    debug_->startPaused = true;
}

bool cMoMacro_Engine::DebugPaused() const {
    return debug_ && debug_->paused;
}

bool cMoMacro_Engine::StoppedWhilePaused() const {
    return debug_ && debug_->stoppedWhilePaused;
}

void cMoMacro_Engine::ResetDebugRun() {
    PlaceBreakpoints();
    debug_->step = DebugStep::Continue;
    debug_->pauseRequested = debug_->startPaused;
    debug_->startPaused = false;
    debug_->paused = false;
    debug_->stoppedWhilePaused = false;
    debug_->hostCountdown = 1;
    debug_->granted = 1;
}

// The yield while a debugger exists: the host's own yield at its own pace, and, while something waits for a
// line, a look at every line.
void cMoMacro_Engine::DebugYield(const MacroLine& line) {
    DebugState& debug = *debug_;
    debug.hostCountdown -= debug.granted; // the statements run since the last look
    if (debug.hostCountdown <= 0) {
        debug.hostCountdown = statementsPerYield_;
        if (!syncRun_ && yield_) yield_();
    }
    if (!stopRequested_ && debug.Watching()) DebugBeforeLine(line);
    debug.granted = debug.Watching() ? 1 : debug.hostCountdown;
    yieldCountdown_ = debug.granted;
}

void cMoMacro_Engine::DebugBeforeLine(const MacroLine& line) {
    DebugState& debug = *debug_;
    if (!StopsAt(line.Kind) || debug.evaluating) return;
    const auto depth = static_cast<size_t>(callDepth_);
    bool pause = debug.pauseRequested ||
                 std::binary_search(debug.breakpoints.begin(), debug.breakpoints.end(), line.LineNumber);
    switch (debug.step) {
    case DebugStep::StepInto:
        pause = true;
        break;
    case DebugStep::StepOver:
        pause = pause || depth <= debug.stepDepth;
        break;
    case DebugStep::StepOut:
        pause = pause || depth < debug.stepDepth;
        break;
    case DebugStep::RunToLine:
        pause = pause || line.LineNumber == debug.runToLine;
        break;
    default:
        break;
    }
    if (!pause) return;
    debug.pauseRequested = false;
    debug.step = DebugStep::Continue;
    debug.paused = true;
    debug.pausedLine = line.LineNumber;
    int32_t target = 0;
    const DebugStep next = debug.host->Paused(*this, target);
    debug.paused = false;
    // The host may have looked at anything; the error line is the paused line's again.
    error_.SetErrorLine(line.LineNumber);
    if (next == DebugStep::Stop) {
        debug.stoppedWhilePaused = true;
        ForceStop();
        return;
    }
    debug.step = next;
    debug.stepDepth = depth;
    debug.runToLine = target;
}

std::vector<DebugFrame> cMoMacro_Engine::DebugFrames() const {
    std::vector<DebugFrame> frames;
    if (!debug_ || !debug_->paused) return frames;
    // Each call's function is that of the line it stands at.
    const auto functionAt = [this](int32_t lineNumber) {
        const auto at =
            std::lower_bound(lines_.begin(), lines_.end(), lineNumber,
                             [](const MacroLine& line, int32_t n) { return line.LineNumber < n; });
        const int32_t f = at != lines_.end() ? at->FunctionIndex : -1;
        return f >= 0 ? UserFunctionName(f) : std::u16string();
    };
    frames.push_back(DebugFrame{functionAt(debug_->pausedLine), debug_->pausedLine});
    for (int32_t depth = callDepth_; depth >= 1; --depth) {
        const int32_t line = debug_->calls[static_cast<size_t>(depth)].callerLine;
        frames.push_back(DebugFrame{functionAt(line), line});
    }
    return frames;
}

std::vector<DebugVariable> cMoMacro_Engine::DebugLocals(size_t frame) const {
    const auto depth = static_cast<size_t>(callDepth_);
    if (!debug_ || !debug_->paused || frame > depth) return {};
    if (frame == 0) return VariablesOf(local_.get());
    return VariablesOf(debug_->calls[depth + 1 - frame].callerStore);
}

std::vector<DebugVariable> cMoMacro_Engine::DebugGlobals() const {
    if (!debug_ || !debug_->paused) return {};
    return VariablesOf(global_.get());
}

std::vector<std::u16string> cMoMacro_Engine::DebugElements(size_t frame, const std::u16string& name,
                                                           int32_t first, int32_t count) const {
    std::vector<std::u16string> elements;
    if (!debug_ || !debug_->paused) return elements;
    const cMoMacro_Variable* store = nullptr;
    if (frame == SIZE_MAX)
        store = global_.get();
    else if (frame == 0)
        store = local_.get();
    else if (frame <= static_cast<size_t>(callDepth_))
        store = debug_->calls[static_cast<size_t>(callDepth_) + 1 - frame].callerStore;
    if (store == nullptr) return elements;
    const int32_t position = store->SearchIndex(name);
    const MacroValue* values = nullptr;
    int32_t last = -1;
    if (position < 0 || !store->ArrayAt(position, values, last) || first < 0) return elements;
    for (int32_t i = first; i <= last && i - first < count; ++i)
        elements.push_back(ToText(values[static_cast<size_t>(i)]));
    return elements;
}
