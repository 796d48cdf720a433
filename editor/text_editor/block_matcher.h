// BlockMatcher: highlights, at the macro editor's caret, the block words that belong together (as the
// engine's own block matching links them) and the bracket that matches one beside the caret.
#pragma once

#include <QObject>
#include <QString>
#include <QTextEdit>
#include <QTimer>

#include <memory>

class CodeTextEdit;
class cMoMacro_Engine;

// What a line holds at one column: whether it is a "(" or ")" of the program text (not inside a string
// constant or a comment), and the column of its partner on the same line, or -1 when it has none.
struct BracketMatch {
    bool isBracket = false;
    int partner = -1;
};
BracketMatch MatchBracketAt(const QString& line, int column);

// The columns of the block word a line starts with after its indentation ("END IF" counts as one word):
// first column and length, or length 0 when the line starts with no word.
struct WordSpan {
    int start = 0;
    int length = 0;
};
WordSpan LeadingBlockWord(const QString& line);

class BlockMatcher : public QObject {
    Q_OBJECT

  public:
    static constexpr int kParseDelayMs = 300;

    // Reads the editor's text with an engine of its own (never the one a run uses), kParseDelayMs after the
    // last edit, and keeps the editor's match highlights up to date as the caret moves.
    explicit BlockMatcher(CodeTextEdit* editor);
    ~BlockMatcher() override;

    // Reads the text at once instead of after the pause.
    void ParseNow();
    // True from an edit until the text has been read again; block words are not highlighted meanwhile,
    // since the lines the engine knows may no longer be the editor's.
    bool ParsePending() const { return timer_.isActive(); }

  private:
    void OnContentsChanged();
    void UpdateHighlights();
    QList<QTextEdit::ExtraSelection> BlockWordSelections() const;
    QList<QTextEdit::ExtraSelection> BracketSelections() const;

    CodeTextEdit* editor_;
    std::unique_ptr<cMoMacro_Engine> engine_;
    QTimer timer_;
    bool parsed_ = false;
};
