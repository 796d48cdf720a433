// Text of the viewer's data files: telling UTF-8 from CP932 (Shift-JIS) and turning bytes into text and back
// in the encoding a file already has, so a file written back keeps its encoding.
#pragma once

#include <QByteArray>
#include <QString>

enum class DataEncoding {
    Utf8,    // UTF-8 without a byte-order mark (also a file of plain ASCII)
    Utf8Bom, // UTF-8 that starts with a byte-order mark
    Cp932,   // the Japanese Windows code page
};

// The encoding of a whole file: valid UTF-8 (with or without a mark) is UTF-8, anything else CP932.
DataEncoding DetectDataEncoding(const QByteArray& bytes);

// Decodes bytes (without the mark) in the given encoding. Bytes with no meaning become U+FFFD.
QString DecodeDataText(const QByteArray& bytes, DataEncoding encoding);

// Encodes text in the given encoding (no mark). False when a character has no code in that encoding.
bool EncodeDataText(const QString& text, DataEncoding encoding, QByteArray& out);

// Decodes a whole file: its encoding is detected and a leading mark dropped.
QString DecodeDataFile(const QByteArray& bytes);
