// ProfileFile: a Windows profile file ("[section]" headings, "key=value" lines, ";" comments) held as its
// raw lines, so that changing one value rewrites that one line and leaves every other byte as it was.
#pragma once

#include "text_codec.h"

#include <QByteArray>
#include <QString>

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
    struct Line {
        QByteArray bytes; // without its line end
        QByteArray end;   // "\r\n", "\n", "\r" or empty for a last line without one
    };
    struct Found {
        int sectionLine = -1; // the heading of the section, -1 when missing
        int keyLine = -1;     // the key line, -1 when missing
        int lastLine = -1;    // the last line of the section that is not blank
    };

    QString Text(int line) const {
        return DecodeDataText(lines_[static_cast<size_t>(line)].bytes, encoding_);
    }
    Found Find(const QString& section, const QString& key) const;
    QByteArray NewLineEnd() const;
    void InsertLine(int position, const QByteArray& bytes);

    DataEncoding encoding_ = DataEncoding::Utf8;
    std::vector<Line> lines_;
};
