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

QTextEdit::ExtraSelection Highlight(const QTextBlock& block, int start, int length, const QColor& colour) {
    QTextEdit::ExtraSelection selection;
    selection.format.setBackground(colour);
    selection.cursor = QTextCursor(block);
    selection.cursor.setPosition(block.position() + start);
    selection.cursor.setPosition(block.position() + start + length, QTextCursor::KeepAnchor);
    return selection;
}

} // namespace

// A string constant runs from a quote to the next one (a doubled quote stays inside, as two quotes in a row
// leave and re-enter it); an apostrophe outside a string starts a comment that ends the line. The scan stops
// as soon as the column's partner is known, and a column that holds no bracket costs nothing: the caret may
// sit in a line of megabytes, and this runs at every key.
BracketMatch MatchBracketAt(const QString& line, int column) {
    if (column < 0 || column >= line.size()) return {};
    if (line[column] != u'(' && line[column] != u')') return {};
    std::vector<int> open;
    bool inString = false;
    bool columnIsProgramText = false;
    for (int i = 0; i < static_cast<int>(line.size()); ++i) {
        const QChar c = line[i];
        if (c == u'"') inString = !inString;
        if (inString || c == u'"') continue;
        if (c == u'\'') break;
        if (c == u'(') {
            open.push_back(i);
            columnIsProgramText = columnIsProgramText || i == column;
        } else if (c == u')') {
            if (open.empty()) {
                if (i == column) return {true, -1};
                continue;
            }
            const int partner = open.back();
            open.pop_back();
            if (i == column) return {true, partner};
            if (partner == column) return {true, i};
        }
    }
    return {columnIsProgramText, -1};
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
    for (int32_t number : engine_->BlockLinesAt(editor_->CaretLine())) {
        const QTextBlock block = editor_->BlockOfLine(number);
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
