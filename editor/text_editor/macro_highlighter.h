// MacroHighlighter: colours the macro editor's text — keywords, built-in names, strings, numbers and comments
// — with the word lists of the engine and the facade.
#pragma once

#include <QSet>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class cMoMacro_Engine;

class MacroHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

  public:
    enum class WordKind { Plain, Keyword, Builtin, Number, String, Comment };

    // Only the words that start in the first kColouredColumns characters of a line are coloured; the rest of
    // a longer line stays plain. Each coloured word is a run of its own that the toolkit lays out and paints
    // at every key and caret blink, and a line of hundreds of thousands of them took seconds each time.
    static constexpr int kColouredColumns = 1000;

    // The engine's word table tells keywords and built-in names; it must outlive the highlighter.
    MacroHighlighter(QTextDocument* document, const cMoMacro_Engine& engine);

    // The kind of one word as the lexer would read it (a string constant with its quotes, a number, a name).
    WordKind KindOfWord(const QString& word) const;

  protected:
    void highlightBlock(const QString& text) override;

  private:
    void Colour(int start, int length, WordKind kind);

    const cMoMacro_Engine& engine_;
    QSet<QString> builtinNames_;
    QTextCharFormat keyword_, builtin_, number_, string_, comment_;
};
