// The block structure as an editor asks for it: the lenient reading of a text that does not parse, and the
// lines linked with one block word.
#include "engine.h"

#include <algorithm>
#include <new>

void cMoMacro_Engine::ReadBlockStructure(const std::u16string& text) {
    SetMacroText(text);
    if (error_.ErrorCode() == 0) return;
    error_.Settle();
    const cMoMacro_Error failure = error_;
    try {
        ParseLeniently(text + u"\r");
    } catch (const std::bad_alloc&) {
        Clear();
    }
    error_ = failure;
}

std::vector<int32_t> cMoMacro_Engine::BlockLinesAt(int32_t lineNumber) const {
    std::vector<int32_t> numbers;
    if (blockOpener_.size() != lines_.size()) return numbers;
    const auto line = std::lower_bound(lines_.begin(), lines_.end(), lineNumber,
                                       [](const MacroLine& l, int32_t n) { return l.LineNumber < n; });
    if (line == lines_.end() || line->LineNumber != lineNumber) return numbers;
    const int32_t opener = blockOpener_[static_cast<size_t>(line - lines_.begin())];
    if (opener < 0) return numbers;
    for (size_t j = static_cast<size_t>(opener); j < lines_.size(); ++j)
        if (blockOpener_[j] == opener) numbers.push_back(lines_[j].LineNumber);
    return numbers;
}
