// The lexer: the word table, the character check and line splitting, raw words per line and their
// classification, and the recognisers and constant readers (IsConst, IsName, ValX, ValBin) the engine
// exposes.
#include "debug_state.h"
#include "engine.h"
#include "memory_budget.h"

#include "codepage.h"
#include "value_ops.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

const char16_t* const kReservedWords[] = {u"IF",  u"THEN", u"ELSE", u"END",  u"WHILE",    u"WEND", u"EXIT",
                                          u"FOR", u"TO",   u"STEP", u"NEXT", u"FUNCTION", u"SUB",  u"DIM"};

bool IsSingleCharOperator(char16_t c) {
    switch (c) {
    case u'+':
    case u'-':
    case u'/':
    case u'*':
    case u'(':
    case u')':
    case u'^':
    case u'\\':
    case u'=':
    case u'<':
    case u'>':
    case u',':
    case u';':
        return true;
    default:
        return false;
    }
}

// Characters that may stand in a macro line: printable ASCII, half-width katakana, and every character with a
// double-byte code in the system code page.
bool IsAllowedCharacter(char16_t c, int& code) {
    if ((c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F)) return true;
    code = Cp932Code(c);
    return code > 0xFF;
}

std::u16string HexText(int code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%X", static_cast<unsigned>(code));
    return std::u16string(buf, buf + std::char_traits<char>::length(buf));
}

bool IsBlankLine(const std::u16string& text) {
    return text.find_first_not_of(u' ') == std::u16string::npos;
}

} // namespace

cMoMacro_Engine::cMoMacro_Engine() {
    for (const char16_t* word : kReservedWords) AddWord(word, ttKeyword);
    // Empty stores until the first run, so name lookups never meet a missing store.
    global_ = std::make_unique<cMoMacro_Variable>(elementBudget_);
    local_ = std::make_unique<cMoMacro_Variable>(elementBudget_);
}

cMoMacro_Engine::~cMoMacro_Engine() {
    TextMemory::Refund(lineBytes_);
}

void cMoMacro_Engine::AddWord(const std::u16string& word, int32_t type) {
    words_.push_back(word);
    wordTypes_.push_back(type);
    wordIndex_.emplace(UpperCase(word), static_cast<int32_t>(words_.size()) - 1); // the first entry wins
}

int32_t cMoMacro_Engine::FindWord(std::u16string_view text) const {
    auto it = wordIndex_.find(UpperCase(text));
    return it == wordIndex_.end() ? -1 : it->second;
}

void cMoMacro_Engine::AddExternFunction(const std::u16string& name) {
    AddWord(name, ttFunction);
}

bool cMoMacro_Engine::IsKeyword(std::u16string_view text) const {
    return FindWord(text) >= 0;
}

bool cMoMacro_Engine::IsOperator(std::u16string_view text) {
    if (text.size() == 1) return IsSingleCharOperator(text[0]);
    std::u16string upper = UpperCase(text);
    return upper == u"MOD" || upper == u"AND" || upper == u"OR" || upper == u"NOT" || upper == u"XOR";
}

bool cMoMacro_Engine::IsStringConst(std::u16string_view text) {
    return text.size() >= 2 && text.front() == u'"' && text.back() == u'"';
}

bool cMoMacro_Engine::IsConst(std::u16string_view text) {
    if (text.size() >= 2 && text[0] == u'&') {
        char16_t p = text[1] == u'h' ? u'H' : text[1] == u'b' ? u'B' : text[1];
        if (p == u'H' || p == u'B') return text.size() > 2;
    }
    if (text.empty()) return false;
    for (char16_t c : text)
        if (!((c >= u'0' && c <= u'9') || c == u'.')) return false;
    return true;
}

bool cMoMacro_Engine::IsName(std::u16string_view text) {
    if (text.empty()) return false;
    char16_t first = text[0] >= u'a' && text[0] <= u'z' ? static_cast<char16_t>(text[0] - 32) : text[0];
    if (!((first >= u'A' && first <= u'Z') || first == u'_')) return false;
    for (size_t i = 1; i < text.size(); ++i) {
        char16_t c = text[i];
        bool ok = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                  c == u'$' || c == u'_';
        if (!ok) return false;
    }
    return true;
}

MacroValue cMoMacro_Engine::ValX(std::u16string_view text) {
    if (text.size() >= 2 && text[0] == u'&' && (text[1] == u'B' || text[1] == u'b'))
        return ValBin(text.substr(2));
    double value = 0;
    if (int failure = ReadLeadingNumber(text, value)) {
        error_.ReportFailure(4, failure);
        return MacroValue::Double(0);
    }
    return MacroValue::Double(value);
}

// Reads binary digits from the last to the first with a doubling place value; a point turns the digits read
// so far into the fraction. Value and place are fixed-point (ten-thousandths), so 50 digits on one side
// overflow.
MacroValue cMoMacro_Engine::ValBin(std::u16string_view text) {
    int64_t value = 0, place = 10000;
    for (size_t k = text.size(); k-- > 0;) {
        char16_t c = text[k];
        if (c == u'.') {
            value = static_cast<int64_t>(DivideRoundEven(static_cast<WideInt>(value) * 10000, place));
            place = 10000;
            continue;
        }
        bool overflow = c == u'1' && __builtin_add_overflow(value, place, &value);
        if (c != u'1' && c != u'0') error_.Report(1, u"不正な文字が現れました");
        if (overflow || __builtin_mul_overflow(place, 2, &place)) {
            error_.ReportFailure(4, kFailOverflow);
            return MacroValue::Fixed(0);
        }
    }
    return MacroValue::Fixed(value);
}

// Splits the text into numbered lines, dropping LF and TAB and checking every character.
// Returns false after reporting a bad character; the lines before it stay in the table.
bool cMoMacro_Engine::SplitIntoLines(const std::u16string& text, bool skipBadLines) {
    lines_.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), u'\r')));
    int32_t lineNumber = 0;
    std::u16string buffer;
    bool badLine = false;
    for (char16_t c : text) {
        if (c == u'\r') {
            ++lineNumber;
            if (!badLine && !IsBlankLine(buffer)) {
                if (!RoomForTokensOf(buffer, lineNumber)) return false;
                MacroLine line;
                line.LineNumber = lineNumber;
                line.Tokens = SplitLine(buffer);
                line.Text = std::move(buffer);
                lines_.push_back(std::move(line));
                if (!ChargeLineBytes(sizeof(MacroLine) + ListBytes(*lines_.back().Tokens), lineNumber))
                    return false;
            }
            buffer.clear();
            badLine = false;
            continue;
        }
        if (c == u'\n' || c == u'\t') continue;
        int code = 0x3F;
        if (!IsAllowedCharacter(c, code)) {
            if (skipBadLines) {
                badLine = true;
                continue;
            }
            error_.SetErrorLine(lineNumber + 1);
            error_.SetErrorInformation(u"不正な文字があります。");
            error_.SetErrorData(MacroValue::String(HexText(code)));
            error_.SetErrorCode(1);
            return false;
        }
        buffer += c;
    }
    return true;
}

TokenRef cMoMacro_Engine::SplitLine(std::u16string_view line) const {
    TokenRef words = NewTokenList();
    std::u16string word;
    auto flush = [&] {
        if (!word.empty()) words->Add(MacroValue::String(std::move(word)), ttName);
        word.clear();
    };
    bool inString = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char16_t c = line[i];
        if (inString) {
            word += c;
            if (c != u'"') continue;
            if (i + 1 < line.size() && line[i + 1] == u'"') {
                ++i; // a doubled quote stands for one quote
                continue;
            }
            inString = false;
            flush();
        } else if (c == u'"') {
            flush();
            word.assign(1,
                        u'"'); // one character: assigning a literal trips a false -Wrestrict in GCC 12 at -O3
            inString = true;
        } else if (c == u' ') {
            flush();
        } else if (IsSingleCharOperator(c)) {
            flush();
            word = c;
            flush();
        } else if (c == u'\'') {
            break; // comment
        } else {
            word += c;
        }
    }
    if (inString) word += u'"';
    flush();
    return words;
}

void cMoMacro_Engine::ClassifyTokens(cMoMacro_Token& list) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        std::u16string word = list.Item(i).StringValue();
        int32_t found = FindWord(word);
        if (found >= 0) {
            list.SetItem(i, MacroValue::String(UpperCase(word)));
            list.SetItemType(i, wordTypes_[static_cast<size_t>(found)]);
        } else if (IsOperator(word)) {
            list.SetItem(i, MacroValue::String(UpperCase(word)));
            list.SetItemType(i, ttOperator);
        } else if (IsStringConst(word)) {
            list.SetItem(i, MacroValue::String(word.substr(1, word.size() - 2)));
            list.SetItemType(i, ttString);
        } else if (IsConst(word)) {
            list.SetItem(i, ValX(word));
            list.SetItemType(i, ttNumber);
        } else if (IsName(word)) {
            list.SetItemType(i, ttName);
        } else {
            error_.Report(2, u"構文が正しくありません");
            return;
        }
    }
}

void cMoMacro_Engine::SetMacroText(const std::u16string& text) {
    try {
        macroText_ = text;
        ParseMacroText(text + u"\r");
    } catch (const std::bad_alloc&) {
        Clear();
        ReportAllocationFailure();
    }
}

// Whether the tokens a line can split into would fit the budget, judged before they are made: a line of
// millions of operators would otherwise take gigabytes while it is split, before its bytes are charged. A
// token can start only beside a character that is not part of a name or number outside the quotes of a text,
// so a long text or name costs nothing here.
bool cMoMacro_Engine::RoomForTokensOf(std::u16string_view line, int32_t lineNumber) {
    constexpr size_t kTokenBytes = sizeof(cMoMacro_Token::Entry) + 32; // its entry and its value's text
    size_t boundaries = 0;
    bool quoted = false;
    for (char16_t c : line) {
        if (c == u'"') quoted = !quoted;
        const bool wordCharacter = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
                                   (c >= u'a' && c <= u'z') || c == u'_' || c == u'.' || c >= 0x80;
        if (!quoted && !wordCharacter) ++boundaries;
    }
    if (TextMemory::HasRoomFor((2 * boundaries + 1) * kTokenBytes)) return true;
    error_.SetErrorLine(lineNumber);
    error_.ReportFailure(4, kFailOutOfMemory);
    return false;
}

// Charges the bytes a parsed line holds; once the texts and lines of the thread are past their budget, the
// parse ends with the out-of-memory failure at this line.
bool cMoMacro_Engine::ChargeLineBytes(size_t bytes, int32_t lineNumber) {
    lineBytes_ += bytes;
    TextMemory::Charge(bytes);
    if (TextMemory::Used() <= TextMemory::Budget()) return true;
    error_.SetErrorLine(lineNumber);
    error_.ReportFailure(4, kFailOutOfMemory);
    return false;
}

void cMoMacro_Engine::Clear() {
    macroText_.clear();
    lines_.clear();
    lines_.shrink_to_fit();
    TextMemory::Refund(lineBytes_);
    lineBytes_ = 0;
    blockOpener_.clear();
}

std::u16string cMoMacro_Engine::DebugOut() const {
    auto column = [](int32_t n) {
        std::u16string t = u"   " + ToText(MacroValue::Int32(n));
        return t.substr(t.size() - 3);
    };
    std::u16string text;
    for (int32_t i = 0; i < LineCount(); ++i) {
        const MacroLine& line = Line(i);
        text += column(i) + column(line.LineNumber) + u" ";
        if (line.Statement) text += line.Statement->DebugOut(0);
        text += u"\n";
    }
    for (const UserFunction& f : functions_)
        if (f.Parameters) text += f.Name + u" " + f.Parameters->DebugOut(0) + u"\n";
    return text;
}
