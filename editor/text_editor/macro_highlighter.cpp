// Syntax colouring of macro lines: the line is cut into words the way the lexer cuts it (blanks and one-
// character operators separate, strings run to their closing quote, an apostrophe starts a comment) and each
// word is coloured by what the engine makes of it.
#include "macro_highlighter.h"

#include "engine.h"
#include "long_line_chunks.h"
#include "macro_facade.h"

namespace {

bool IsSeparator(QChar c) {
    return c == u' ' || c == u'\t';
}

bool IsOperatorChar(QChar c) {
    return QStringView(u"+-/*()^\\=<>,;").contains(c);
}

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QTextCharFormat Format(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold) format.setFontWeight(QFont::Bold);
    format.setFontItalic(italic);
    return format;
}

} // namespace

MacroHighlighter::MacroHighlighter(QTextDocument* document, const cMoMacro_Engine& engine)
    : QSyntaxHighlighter(document), engine_(engine) {
    for (const std::u16string& name : BuiltinNamesInRegistrationOrder())
        builtinNames_.insert(QString::fromStdU16String(name));
    keyword_ = Format(QColor(0x00, 0x00, 0xC0), true);
    builtin_ = Format(QColor(0x80, 0x00, 0x80));
    number_ = Format(QColor(0xA0, 0x50, 0x00));
    string_ = Format(QColor(0xC0, 0x00, 0x00));
    comment_ = Format(QColor(0x00, 0x80, 0x00), false, true);
}

MacroHighlighter::WordKind MacroHighlighter::KindOfWord(const QString& word) const {
    if (word.isEmpty()) return WordKind::Plain;
    if (word.startsWith(u'"')) return WordKind::String;
    if (word.startsWith(u'\'')) return WordKind::Comment;
    const std::u16string text = ToU16(word);
    if (builtinNames_.contains(word.toUpper())) return WordKind::Builtin;
    // Word operators (MOD, AND, OR, NOT, XOR) read like keywords; the one-character ones stay plain.
    if (engine_.IsKeyword(text) || (word.size() > 1 && cMoMacro_Engine::IsOperator(text)))
        return WordKind::Keyword;
    if (cMoMacro_Engine::IsConst(text)) return WordKind::Number;
    return WordKind::Plain;
}

void MacroHighlighter::Colour(int start, int length, WordKind kind) {
    switch (kind) {
    case WordKind::Keyword:
        setFormat(start, length, keyword_);
        break;
    case WordKind::Builtin:
        setFormat(start, length, builtin_);
        break;
    case WordKind::Number:
        setFormat(start, length, number_);
        break;
    case WordKind::String:
        setFormat(start, length, string_);
        break;
    case WordKind::Comment:
        setFormat(start, length, comment_);
        break;
    case WordKind::Plain:
        break;
    }
}

// A long line's chunks after its first stay plain, as the rest of the line beyond kColouredColumns does.
void MacroHighlighter::highlightBlock(const QString& text) {
    if (LongLines::ContinuesLine(currentBlock())) return;
    const int n = static_cast<int>(text.size());
    int i = 0;
    while (i < n && i < kColouredColumns) {
        const QChar c = text[i];
        if (IsSeparator(c) || IsOperatorChar(c)) {
            ++i;
        } else if (c == u'\'') {
            Colour(i, n - i, WordKind::Comment);
            return;
        } else if (c == u'"') {
            int end = i + 1;
            while (end < n) {
                if (text[end] == u'"') {
                    if (end + 1 < n && text[end + 1] == u'"') {
                        end += 2; // a doubled quote stands for one quote
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
            Colour(i, end - i, WordKind::String);
            i = end;
        } else {
            int end = i;
            while (end < n && !IsSeparator(text[end]) && !IsOperatorChar(text[end]) && text[end] != u'"' &&
                   text[end] != u'\'')
                ++end;
            Colour(i, end - i, KindOfWord(text.mid(i, end - i)));
            i = end;
        }
    }
}
