// Very long lines held as several blocks of the document ("chunks"), so that a key typed at such a line lays
// out only its own chunk instead of the whole line; the text of the macro is the chunks joined again.
#pragma once

#include <QString>
#include <QTextBlock>

#include <utility>
#include <vector>

class QTextCursor;
class QTextDocument;

namespace LongLines {

// A line longer than this is cut into chunks of about kChunkLength characters; a chunk is cut again when
// it grows past kLongestChunk, and a line that shrinks to kLongestLine or less is joined into one block.
constexpr int kLongestLine = 10000;
constexpr int kChunkLength = 2000;
constexpr int kLongestChunk = 4000;

// A chunk after a line's first carries a mark in its block format. The toolkit copies a block's format
// into the blocks a line break typed inside it makes, so a mark equal to the previous block's is such a
// copy, and that block starts a line of its own.
bool ContinuesLine(const QTextBlock& block);
bool IsMarked(const QTextBlock& block);
// The block's format without the mark, for a block that starts a line.
QTextBlockFormat LineStartFormat(const QTextBlock& block);
QTextBlock LineStart(QTextBlock block);
QTextBlock LineEnd(QTextBlock block);

// The whole line the block belongs to; the column in that line of a place in the block; and the position in
// the document of a column of the line (-1 for no line).
QString LineText(const QTextBlock& block);
int ColumnInLine(const QTextBlock& block, int positionInBlock);
int PositionInLine(const QTextBlock& lineStart, int column);

// The document's text between two positions with the chunks joined and the other block breaks as LF.
QString TextBetween(const QTextDocument& document, int from, int to);

// The text with the chunks joined, beside the positions of the chunk breaks (ascending), which carry a
// place in the text back to the document.
struct JoinedText {
    QString text;
    std::vector<int> breaks;

    int OffsetOf(int position) const;
    // The document's [start, end) of `length` characters at `offset` of the text (no break at either end).
    std::pair<int, int> Span(qsizetype offset, qsizetype length) const;
};

// Brings the lines from the block at `from` to the one at `to` into shape: cuts what is too long, joins a
// line grown short, and takes away copied marks. Returns whether it changed the document's blocks.
bool Reshape(QTextCursor& editing, int from, int to);

// The line numbers of a document's blocks. Without chunks a block's number is its line's; with them the
// continuing chunks are counted once, after each change of the blocks, and looked up by halves.
class LineMap {
  public:
    explicit LineMap(const QTextDocument& document) : document_(document) {}

    // After a change of the text: `blocks` when it may have added or taken away blocks or marks (typing
    // inside one block does not), `sawMark` when it touched a marked block.
    void Changed(bool blocks, bool sawMark);
    // False only while the document is known to hold no chunk: then a block's number is its line's.
    bool MayHaveChunks() const;

    int LineOf(const QTextBlock& block) const; // 1-based
    QTextBlock BlockOf(int line) const;        // the line's first chunk; invalid beyond the last line
    int Count() const;
    // The positions of the breaks before the continuing chunks, ascending: the characters that are not the
    // text's.
    std::vector<int> ChunkBreaks() const;
    // `at` moved past every entry of the ascending `entries` at or before it (entries not counted in `at`).
    static int PastEntries(int at, const std::vector<int>& entries);

  private:
    void Update() const;

    const QTextDocument& document_;
    mutable bool mayHaveChunks_ = false;
    mutable bool dirty_ = false;
    mutable std::vector<int> continuations_; // block numbers of the continuing chunks, ascending
};

} // namespace LongLines
