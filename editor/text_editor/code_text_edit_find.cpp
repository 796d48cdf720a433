// The code editor's text as find and replace see it: the selection's text and the places of a text to find,
// a long line's chunks joined, carried back to the document's positions.
#include "code_text_edit.h"

#include <QTextDocument>

QString CodeTextEdit::SelectedText() const {
    const QTextCursor cursor = textCursor();
    if (!lines_.MayHaveChunks()) return cursor.selectedText();
    return LongLines::TextBetween(*document(), cursor.selectionStart(), cursor.selectionEnd());
}

// Without chunks the document finds as it always did; with them the text (chunks joined) is searched and a
// place found is carried back to the document's positions past the chunk breaks before it.
QTextCursor CodeTextEdit::FindText(const QString& needle, const QTextCursor& from, bool backward,
                                   Qt::CaseSensitivity sensitivity) const {
    if (!lines_.MayHaveChunks()) {
        QTextDocument::FindFlags flags;
        if (sensitivity == Qt::CaseSensitive) flags |= QTextDocument::FindCaseSensitively;
        if (backward) flags |= QTextDocument::FindBackward;
        return document()->find(needle, from, flags);
    }
    const LongLines::JoinedText joined{Text(), lines_.ChunkBreaks()};
    const int start =
        backward ? joined.OffsetOf(from.selectionStart()) - 1 : joined.OffsetOf(from.selectionEnd());
    if (start < 0 || needle.isEmpty()) return {};
    const qsizetype at = backward ? joined.text.lastIndexOf(needle, start, sensitivity)
                                  : joined.text.indexOf(needle, start, sensitivity);
    if (at < 0) return {};
    const auto [first, end] = joined.Span(at, needle.size());
    QTextCursor found(document());
    found.setPosition(first);
    found.setPosition(end, QTextCursor::KeepAnchor);
    return found;
}

std::vector<std::pair<int, int>> CodeTextEdit::FindAll(const QString& needle,
                                                       Qt::CaseSensitivity sensitivity) const {
    std::vector<std::pair<int, int>> places;
    if (needle.isEmpty()) return places;
    if (!lines_.MayHaveChunks()) {
        for (QTextCursor found = FindText(needle, QTextCursor(document()), false, sensitivity);
             !found.isNull(); found = FindText(needle, found, false, sensitivity))
            places.emplace_back(found.selectionStart(), found.selectionEnd());
        return places;
    }
    const LongLines::JoinedText joined{Text(), lines_.ChunkBreaks()};
    for (qsizetype at = joined.text.indexOf(needle, 0, sensitivity); at >= 0;
         at = joined.text.indexOf(needle, at + needle.size(), sensitivity))
        places.push_back(joined.Span(at, needle.size()));
    return places;
}
