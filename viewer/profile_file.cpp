// Reading and changing values of a Windows profile file line by line. Names compare without regard to case,
// blanks (spaces and tabs) around names and values do not count, the first match wins, and a line whose
// first non-blank character is ";" is a comment.
#include "profile_file.h"

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.mid(first, last - first);
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The name of a "[section]" heading, or nothing when the line is no heading.
std::optional<QString> SectionName(const QString& trimmed) {
    if (!trimmed.startsWith(u'[')) return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    const QString inner = close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
    return TrimBlanks(inner);
}

bool HasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

ProfileFile::ProfileFile(const QByteArray& bytes) : source_(bytes), encoding_(DetectDataEncoding(bytes)) {
    const char* data = source_.constData();
    const qsizetype size = source_.size();
    const qsizetype begin = encoding_ == DataEncoding::Utf8Bom ? kUtf8Bom.size() : 0;
    // CR and LF never occur inside a CP932 or UTF-8 character, so the bytes split safely at them. The lines
    // are counted first so that the list is made once, at its size.
    qsizetype count = begin < size ? 1 : 0;
    for (qsizetype i = begin; i < size; ++i)
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'))) ++count;
    lines_.reserve(static_cast<size_t>(count));
    for (qsizetype pos = begin; pos < size;) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
        Line line{pos, end - pos, LineEnd::None, false};
        pos = end;
        if (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n') {
            line.end = LineEnd::CrLf;
            pos += 2;
        } else if (end < size) {
            line.end = data[end] == '\r' ? LineEnd::Cr : LineEnd::Lf;
            pos += 1;
        }
        lines_.push_back(line);
    }
}

QByteArray ProfileFile::LineBytes(int line) const {
    const Line& l = lines_[static_cast<size_t>(line)];
    if (l.added) return added_[static_cast<size_t>(l.start)];
    return QByteArray::fromRawData(source_.constData() + l.start, l.length);
}

// Looks at the bytes first and decodes only what names a section or a key: blank lines, comments, and the
// lines of other sections cost no decoding, and a long value is never decoded to find its key. Blanks, "[",
// ";" and "=" are single bytes that no CP932 or UTF-8 character contains.
ProfileFile::Found ProfileFile::Find(const QString& section, const QString& key) const {
    Found found;
    const QString wantedSection = TrimBlanks(section);
    const QString wantedKey = TrimBlanks(key);
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        const QByteArray bytes = LineBytes(i);
        qsizetype first = 0;
        while (first < bytes.size() && (bytes[first] == ' ' || bytes[first] == '\t')) ++first;
        if (first == bytes.size()) continue; // a blank line
        if (bytes[first] == '[') {
            if (found.sectionLine >= 0) break; // the first section of the name is the only one searched
            if (SameName(*SectionName(TrimBlanks(Text(bytes))), wantedSection))
                found.sectionLine = found.lastLine = i;
            continue;
        }
        if (found.sectionLine < 0) continue;
        found.lastLine = i;
        if (bytes[first] == ';' || found.keyLine >= 0) continue;
        const qsizetype equals = bytes.indexOf('=', first);
        if (equals >= 0 && SameName(TrimBlanks(Text(bytes.first(equals))), wantedKey)) found.keyLine = i;
    }
    return found;
}

std::optional<QString> ProfileFile::Value(const QString& section, const QString& key) const {
    const Found found = Find(section, key);
    if (found.keyLine < 0) return std::nullopt;
    const QString text = Text(LineBytes(found.keyLine));
    return TrimBlanks(text.mid(text.indexOf(u'=') + 1));
}

ProfileFile::LineEnd ProfileFile::NewLineEnd() const {
    for (const Line& line : lines_) {
        if (line.end != LineEnd::None) return line.end;
    }
    return LineEnd::CrLf;
}

void ProfileFile::SetLine(int line, const QByteArray& bytes) {
    Line& l = lines_[static_cast<size_t>(line)];
    l.length = bytes.size();
    if (l.added) {
        added_[static_cast<size_t>(l.start)] = bytes;
        return;
    }
    l.start = static_cast<qsizetype>(added_.size());
    l.added = true;
    added_.push_back(bytes);
}

void ProfileFile::InsertLine(int position, const QByteArray& bytes) {
    const LineEnd end = NewLineEnd();
    // The line before the new one needs a line end of its own when it was the file's last.
    if (position > 0 && lines_[static_cast<size_t>(position - 1)].end == LineEnd::None) {
        lines_[static_cast<size_t>(position - 1)].end = end;
    }
    lines_.insert(lines_.begin() + position,
                  Line{static_cast<qsizetype>(added_.size()), bytes.size(), end, true});
    added_.push_back(bytes);
}

bool ProfileFile::SetValue(const QString& section, const QString& key, const QString& value) {
    const QString sectionName = TrimBlanks(section);
    const QString keyName = TrimBlanks(key);
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
    if (keyName.isEmpty() || keyName.contains(u'=') || keyName.startsWith(u'[') || keyName.startsWith(u';'))
        return false;
    if (sectionName.contains(u']')) return false;

    const Found found = Find(sectionName, keyName);
    QByteArray encodedValue;
    if (!EncodeDataText(value, encoding_, encodedValue)) return false;
    if (found.keyLine >= 0) {
        // "=" is one byte in both encodings and never part of a CP932 character: keep the bytes before it.
        const QByteArray line = LineBytes(found.keyLine);
        SetLine(found.keyLine, line.left(line.indexOf('=') + 1) + encodedValue);
        return true;
    }
    QByteArray keyLine;
    if (!EncodeDataText(keyName + u'=', encoding_, keyLine)) return false;
    keyLine += encodedValue;
    if (found.sectionLine >= 0) {
        InsertLine(found.lastLine + 1, keyLine);
        return true;
    }
    QByteArray heading;
    if (!EncodeDataText(u'[' + sectionName + u']', encoding_, heading)) return false;
    const int end = static_cast<int>(lines_.size());
    InsertLine(end, heading);
    InsertLine(end + 1, keyLine);
    return true;
}

QByteArray ProfileFile::Bytes() const {
    static const QByteArray ends[] = {QByteArray(), QByteArrayLiteral("\r\n"), QByteArrayLiteral("\n"),
                                      QByteArrayLiteral("\r")};
    QByteArray out;
    out.reserve(source_.size() + 16);
    if (encoding_ == DataEncoding::Utf8Bom) out += kUtf8Bom;
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i)
        out += LineBytes(i) + ends[static_cast<size_t>(lines_[static_cast<size_t>(i)].end)];
    return out;
}
