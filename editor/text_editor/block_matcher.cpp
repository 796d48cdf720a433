// Pair highlighting at the macro editor's caret: the engine reads the text (leniently when it does not
// parse) and answers which lines' block words belong together; brackets are paired by a scan of the caret's
// line that skips string constants and comments as the lexer does.
#include "block_matcher.h"

#include "code_text_edit.h"
#include "engine.h"
#include "macro_facade.h"

#include <QTextBlock>

#include <vector>

namespace {

const QColor kBlockWordColour(0xCC, 0xE4, 0xFF);
const QColor kBracketColour(0xB4, 0xEE, 0xB4);
const QColor kLoneBracketColour(0xFF, 0xC0, 0xC0);

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// For each column: -1 when it is no bracket of the program text, else the partner's column or -2 for none.
// A string constant runs from a quote to the next one (a doubled quote stays inside, as two quotes in a row
// leave and re-enter it); an apostrophe outside a string starts a comment that ends the line.
std::vector<int> BracketPartners(const QString& line) {
    std::vector<int> partner(static_cast<size_t>(line.size()), -1);
    std::vector<int> open;
    bool inString = false;
    for (int i = 0; i < static_cast<int>(line.size()); ++i) {
        const QChar c = line[i];
        if (c == u'"') inString = !inString;
        if (inString || c == u'"') continue;
        if (c == u'\'') break;
        if (c == u'(') {
            partner[static_cast<size_t>(i)] = -2;
            open.push_back(i);
        } else if (c == u')') {
            partner[static_cast<size_t>(i)] = -2;
            if (open.empty()) continue;
            partner[static_cast<size_t>(i)] = open.back();
            partner[static_cast<size_t>(open.back())] = i;
            open.pop_back();
        }
    }
    return partner;
}

QTextEdit::ExtraSelection Highlight(const QTextBlock& block, int start, int length, const QColor& colour) {
    QTextEdit::ExtraSelection selection;
    selection.format.setBackground(colour);
    selection.cursor = QTextCursor(block);
    selection.cursor.setPosition(block.position() + start);
    selection.cursor.setPosition(block.position() + start + length, QTextCursor::KeepAnchor);
    return selection;
}

} // namespace

BracketMatch MatchBracketAt(const QString& line, int column) {
    if (column < 0 || column >= line.size()) return {};
    const int partner = BracketPartners(line)[static_cast<size_t>(column)];
    if (partner == -1) return {};
    return {true, partner < 0 ? -1 : partner};
}

WordSpan LeadingBlockWord(const QString& line) {
    const int n = static_cast<int>(line.size());
    int start = 0;
    while (start < n && IsBlank(line[start])) ++start;
    int end = start;
    while (end < n && IsWordChar(line[end])) ++end;
    if (line.mid(start, end - start).compare(QStringLiteral("END"), Qt::CaseInsensitive) == 0) {
        int next = end;
        while (next < n && IsBlank(line[next])) ++next;
        int nextEnd = next;
        while (nextEnd < n && IsWordChar(line[nextEnd])) ++nextEnd;
        if (nextEnd > next) end = nextEnd;
    }
    return {start, end - start};
}

BlockMatcher::BlockMatcher(CodeTextEdit* editor)
    : QObject(editor), editor_(editor), engine_(std::make_unique<cMoMacro_Engine>()) {
    for (const std::u16string& name : BuiltinNamesInRegistrationOrder()) engine_->AddExternFunction(name);
    timer_.setSingleShot(true);
    timer_.setInterval(kParseDelayMs);
    connect(&timer_, &QTimer::timeout, this, &BlockMatcher::ParseNow);
    connect(editor_->document(), &QTextDocument::contentsChanged, this, &BlockMatcher::OnContentsChanged);
    connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, &BlockMatcher::UpdateHighlights);
    OnContentsChanged();
}

BlockMatcher::~BlockMatcher() = default;

void BlockMatcher::OnContentsChanged() {
    parsed_ = false;
    timer_.start();
    UpdateHighlights();
}

void BlockMatcher::ParseNow() {
    timer_.stop();
    engine_->ReadBlockStructure(editor_->EngineText());
    parsed_ = true;
    UpdateHighlights();
}

void BlockMatcher::UpdateHighlights() {
    editor_->SetMatchSelections(BlockWordSelections() + BracketSelections());
}

QList<QTextEdit::ExtraSelection> BlockMatcher::BlockWordSelections() const {
    QList<QTextEdit::ExtraSelection> selections;
    if (!parsed_) return selections;
    for (int32_t number : engine_->BlockLinesAt(editor_->textCursor().blockNumber() + 1)) {
        const QTextBlock block = editor_->document()->findBlockByNumber(number - 1);
        const WordSpan word = LeadingBlockWord(block.text());
        if (word.length > 0) selections.append(Highlight(block, word.start, word.length, kBlockWordColour));
    }
    return selections;
}

// The bracket just after the caret, else the one just before it, with its partner.
QList<QTextEdit::ExtraSelection> BlockMatcher::BracketSelections() const {
    const QTextCursor caret = editor_->textCursor();
    const QTextBlock block = caret.block();
    const QString line = block.text();
    for (int column : {caret.positionInBlock(), caret.positionInBlock() - 1}) {
        const BracketMatch match = MatchBracketAt(line, column);
        if (!match.isBracket) continue;
        if (match.partner < 0) return {Highlight(block, column, 1, kLoneBracketColour)};
        return {Highlight(block, column, 1, kBracketColour),
                Highlight(block, match.partner, 1, kBracketColour)};
    }
    return {};
}
