// Cutting very long lines into chunks of the document and joining them again: the mark a continuing chunk
// carries, the line a block belongs to, and the reshaping done after each change of the text.
#include "long_line_chunks.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace LongLines {

namespace {

constexpr int kMarkProperty = QTextFormat::UserProperty + 0x51;

int Mark(const QTextBlock& block) {
    return block.blockFormat().intProperty(kMarkProperty);
}

// Each chunk cut gets a mark of its own, never used again in this process, so that no two chunks of a
// document (undo brings old ones back) share one unless the toolkit copied it.
int NewMark() {
    static int last = 0;
    return ++last;
}

int TextLength(const QTextBlock& block) {
    return block.length() - 1;
}

void ClearMark(QTextCursor& editing, const QTextBlock& block) {
    editing.setPosition(block.position());
    editing.setBlockFormat(LineStartFormat(block));
}

// The positions, from the last to the first, where a block of `length` characters is cut into chunks of
// kChunkLength; a cut never parts the two halves of a surrogate pair.
std::vector<int> CutPositions(const QTextBlock& block) {
    const QString text = block.text();
    std::vector<int> cuts;
    for (int at = kChunkLength; at < text.size(); at += kChunkLength) {
        int cut = at;
        if (text[cut - 1].isHighSurrogate()) ++cut;
        if (cut < text.size()) cuts.push_back(block.position() + cut);
    }
    return {cuts.rbegin(), cuts.rend()};
}

void Cut(QTextCursor& editing, const QTextBlock& block) {
    QTextBlockFormat format = block.blockFormat();
    for (int position : CutPositions(block)) {
        format.setProperty(kMarkProperty, NewMark());
        editing.setPosition(position);
        editing.insertBlock(format, editing.charFormat());
    }
}

// Takes away the break before `block`, which joins it to the block before; that block keeps its format.
void JoinToPrevious(QTextCursor& editing, const QTextBlock& block) {
    editing.setPosition(block.position() - 1);
    editing.setPosition(block.position(), QTextCursor::KeepAnchor);
    editing.removeSelectedText();
}

struct Line {
    QTextBlock first;
    QTextBlock last;
    int length = 0;
    int chunks = 0;
};

Line LineEndingAt(const QTextBlock& last) {
    Line line{last, last, 0, 0};
    for (QTextBlock block = last;; block = block.previous()) {
        line.first = block;
        line.length += TextLength(block);
        ++line.chunks;
        if (!ContinuesLine(block)) break;
    }
    return line;
}

// One line into shape; its blocks after the first are worked on from the last, so that the positions of
// the blocks not yet reached stay as they were.
bool ReshapeLine(QTextCursor& editing, const Line& line) {
    bool changed = false;
    if (line.chunks > 1 && line.length <= kLongestLine) {
        for (QTextBlock block = line.last; block != line.first;) {
            const QTextBlock previous = block.previous();
            JoinToPrevious(editing, block);
            block = previous;
        }
        changed = true;
    } else if (line.length > kLongestLine) {
        const int longest = line.chunks == 1 ? kLongestLine : kLongestChunk;
        for (QTextBlock block = line.last;;) {
            const QTextBlock previous = block.previous();
            const bool first = block == line.first;
            if (TextLength(block) > longest) {
                Cut(editing, block);
                changed = true;
            } else if (!first && TextLength(block) == 0) {
                JoinToPrevious(editing, block);
                changed = true;
            }
            if (first) break;
            block = previous;
        }
    }
    if (Mark(line.first) != 0) {
        ClearMark(editing, line.first);
        changed = true;
    }
    return changed;
}

} // namespace

bool ContinuesLine(const QTextBlock& block) {
    const int mark = Mark(block);
    if (mark == 0) return false;
    const QTextBlock previous = block.previous();
    return previous.isValid() && Mark(previous) != mark;
}

bool IsMarked(const QTextBlock& block) {
    return Mark(block) != 0;
}

QTextBlockFormat LineStartFormat(const QTextBlock& block) {
    QTextBlockFormat format = block.blockFormat();
    format.clearProperty(kMarkProperty);
    return format;
}

QTextBlock LineStart(QTextBlock block) {
    while (block.isValid() && ContinuesLine(block)) block = block.previous();
    return block;
}

QTextBlock LineEnd(QTextBlock block) {
    while (block.next().isValid() && ContinuesLine(block.next())) block = block.next();
    return block;
}

QString LineText(const QTextBlock& block) {
    const QTextBlock last = LineEnd(block);
    return TextBetween(*block.document(), LineStart(block).position(), last.position() + TextLength(last));
}

int ColumnInLine(const QTextBlock& block, int positionInBlock) {
    int column = positionInBlock;
    for (QTextBlock chunk = block; ContinuesLine(chunk);) {
        chunk = chunk.previous();
        column += TextLength(chunk);
    }
    return column;
}

int PositionInLine(const QTextBlock& lineStart, int column) {
    if (!lineStart.isValid()) return -1;
    QTextBlock chunk = lineStart;
    while (column > TextLength(chunk) && chunk.next().isValid() && ContinuesLine(chunk.next())) {
        column -= TextLength(chunk);
        chunk = chunk.next();
    }
    return chunk.position() + std::min(column, TextLength(chunk));
}

QString TextBetween(const QTextDocument& document, int from, int to) {
    QString text;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from && !ContinuesLine(block)) text += QLatin1Char('\n');
        const int start = std::max(from, block.position()) - block.position();
        const int end = std::min(to, block.position() + TextLength(block)) - block.position();
        if (end > start) text += block.text().mid(start, end - start);
    }
    return text;
}

int JoinedText::OffsetOf(int position) const {
    return position -
           static_cast<int>(std::lower_bound(breaks.begin(), breaks.end(), position) - breaks.begin());
}

std::pair<int, int> JoinedText::Span(qsizetype offset, qsizetype length) const {
    return {LineMap::PastEntries(static_cast<int>(offset), breaks),
            LineMap::PastEntries(static_cast<int>(offset + length - 1), breaks) + 1};
}

bool Reshape(QTextCursor& editing, int from, int to) {
    QTextDocument& document = *editing.document();
    const int lastPosition = document.characterCount() - 1;
    const QTextBlock first = LineStart(document.findBlock(std::clamp(from, 0, lastPosition)));
    QTextBlock last = LineEnd(document.findBlock(std::clamp(to, 0, lastPosition)));
    // A line start after the range that carries the same copied mark as the range's last block would,
    // once that mark is taken away, look like its continuation: it is reshaped too.
    while (last.next().isValid() && Mark(last.next()) != 0 && Mark(last.next()) == Mark(last))
        last = LineEnd(last.next());
    bool changed = false;
    const int firstNumber = first.blockNumber();
    for (QTextBlock end = last; end.isValid() && end.blockNumber() >= firstNumber;) {
        const Line line = LineEndingAt(end);
        const QTextBlock before = line.first.previous();
        changed = ReshapeLine(editing, line) || changed;
        end = before;
    }
    return changed;
}

void LineMap::Changed(bool blocks, bool sawMark) {
    if (sawMark && !mayHaveChunks_) {
        mayHaveChunks_ = true;
        dirty_ = true;
    }
    if (blocks) dirty_ = true;
}

bool LineMap::MayHaveChunks() const {
    Update();
    return mayHaveChunks_;
}

void LineMap::Update() const {
    if (!dirty_) return;
    dirty_ = false;
    continuations_.clear();
    if (!mayHaveChunks_) return;
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next())
        if (ContinuesLine(block)) continuations_.push_back(block.blockNumber());
    mayHaveChunks_ = !continuations_.empty();
}

int LineMap::LineOf(const QTextBlock& block) const {
    Update();
    const int number = block.blockNumber();
    const auto before = std::upper_bound(continuations_.begin(), continuations_.end(), number);
    return number + 1 - static_cast<int>(before - continuations_.begin());
}

QTextBlock LineMap::BlockOf(int line) const {
    Update();
    if (line < 1) return {};
    return document_.findBlockByNumber(PastEntries(line - 1, continuations_));
}

int LineMap::PastEntries(int at, const std::vector<int>& entries) {
    for (int entry : entries) {
        if (entry > at) break;
        ++at;
    }
    return at;
}

std::vector<int> LineMap::ChunkBreaks() const {
    Update();
    std::vector<int> breaks;
    breaks.reserve(continuations_.size());
    for (int number : continuations_) breaks.push_back(document_.findBlockByNumber(number).position() - 1);
    return breaks;
}

int LineMap::Count() const {
    Update();
    return document_.blockCount() - static_cast<int>(continuations_.size());
}

} // namespace LongLines
