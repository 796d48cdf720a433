// ProfileFile: a Windows profile file ("[section]" headings, "key=value" lines, ";" comments) held as its
// raw lines, so that changing one value rewrites that one line and leaves every other byte as it was.
#pragma once

#include "text_codec.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class ProfileFile {
  public:
    // An empty file (UTF-8, CR LF line ends for lines it adds).
    ProfileFile() = default;
    // Takes the bytes of a file in UTF-8 (with or without a mark) or CP932.
    explicit ProfileFile(const QByteArray& bytes);

    DataEncoding Encoding() const { return encoding_; }

    // The value of the first key of that name in the first section of that name, both found without regard
    // to case and with the blanks around names and values trimmed; nothing when either is missing. Values are
    // returned whole, however long.
    std::optional<QString> Value(const QString& section, const QString& key) const;

    // Sets the value: the first matching key line gets the new value (its text up to "=" is kept), a missing
    // key is added at the end of its section, a missing section at the end of the file. False, with the file
    // unchanged, when the names or the value cannot stand in a profile file (line breaks, an empty key, "="
    // in the key, "]" in the section) or the value has a character the file's encoding cannot hold.
    bool SetValue(const QString& section, const QString& key, const QString& value);

    // The file's bytes, mark and line ends included.
    QByteArray Bytes() const;

  private:
    enum class LineEnd : uint8_t { None, CrLf, Lf, Cr };
    // A line without its end: a piece of the file's bytes, or for a changed or added line its own bytes.
    struct Line {
        qsizetype start = 0; // in source_, or the index in added_
        qsizetype length = 0;
        LineEnd end = LineEnd::None;
        bool added = false;
    };
    struct Found {
        int sectionLine = -1; // the heading of the section, -1 when missing
        int keyLine = -1;     // the key line, -1 when missing
        int lastLine = -1;    // the last line of the section that is not blank
    };

    QByteArray LineBytes(int line) const;
    QString Text(const QByteArray& bytes) const { return DecodeDataText(bytes, encoding_); }
    Found Find(const QString& section, const QString& key) const;
    LineEnd NewLineEnd() const;
    void SetLine(int line, const QByteArray& bytes);
    void InsertLine(int position, const QByteArray& bytes);

    QByteArray source_; // the bytes the file was made from, shared, never changed
    DataEncoding encoding_ = DataEncoding::Utf8;
    std::vector<Line> lines_;
    std::vector<QByteArray> added_;
};
