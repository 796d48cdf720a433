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

ProfileFile::ProfileFile(const QByteArray& bytes) : encoding_(DetectDataEncoding(bytes)) {
    qsizetype pos = encoding_ == DataEncoding::Utf8Bom ? kUtf8Bom.size() : 0;
    // CR and LF never occur inside a CP932 or UTF-8 character, so the bytes split safely at them.
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        Line line{bytes.mid(pos, end - pos), {}};
        if (end < bytes.size()) {
            const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
            line.end = bytes.mid(end, crlf ? 2 : 1);
        }
        pos = end + line.end.size();
        lines_.push_back(std::move(line));
    }
}

ProfileFile::Found ProfileFile::Find(const QString& section, const QString& key) const {
    Found found;
    const QString wantedSection = TrimBlanks(section);
    const QString wantedKey = TrimBlanks(key);
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        const QString trimmed = TrimBlanks(Text(i));
        if (const std::optional<QString> name = SectionName(trimmed)) {
            if (found.sectionLine >= 0) break; // the first section of the name is the only one searched
            if (SameName(*name, wantedSection)) found.sectionLine = found.lastLine = i;
            continue;
        }
        if (found.sectionLine < 0 || trimmed.isEmpty()) continue;
        found.lastLine = i;
        if (trimmed.startsWith(u';') || found.keyLine >= 0) continue;
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals >= 0 && SameName(TrimBlanks(trimmed.left(equals)), wantedKey)) found.keyLine = i;
    }
    return found;
}

std::optional<QString> ProfileFile::Value(const QString& section, const QString& key) const {
    const Found found = Find(section, key);
    if (found.keyLine < 0) return std::nullopt;
    const QString text = Text(found.keyLine);
    return TrimBlanks(text.mid(text.indexOf(u'=') + 1));
}

QByteArray ProfileFile::NewLineEnd() const {
    for (const Line& line : lines_) {
        if (!line.end.isEmpty()) return line.end;
    }
    return QByteArrayLiteral("\r\n");
}

void ProfileFile::InsertLine(int position, const QByteArray& bytes) {
    const QByteArray end = NewLineEnd();
    // The line before the new one needs a line end of its own when it was the file's last.
    if (position > 0 && lines_[static_cast<size_t>(position - 1)].end.isEmpty()) {
        lines_[static_cast<size_t>(position - 1)].end = end;
    }
    lines_.insert(lines_.begin() + position, Line{bytes, end});
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
        Line& line = lines_[static_cast<size_t>(found.keyLine)];
        line.bytes = line.bytes.left(line.bytes.indexOf('=') + 1) + encodedValue;
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
    QByteArray out;
    if (encoding_ == DataEncoding::Utf8Bom) out = kUtf8Bom;
    for (const Line& line : lines_) out += line.bytes + line.end;
    return out;
}
