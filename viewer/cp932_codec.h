// CP932 (Shift-JIS with the Windows vendor extensions) for the viewer's data files, through the system's own
// converter: glibc iconv on Linux, the Windows code-page functions on Windows.
#pragma once

#include <QByteArray>
#include <QString>

// Decodes CP932 bytes. A byte with no meaning becomes U+FFFD and decoding goes on after it.
QString DecodeCp932(const QByteArray& bytes);

// Encodes text in CP932. False when a character has no code there (nothing is replaced by a look-alike).
bool EncodeCp932(const QString& text, QByteArray& out);
