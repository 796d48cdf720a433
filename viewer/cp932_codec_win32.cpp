// CP932 for the viewer on Windows, through MultiByteToWideChar and WideCharToMultiByte with code page 932,
// strict in both directions so that a file written back has exactly the characters that were read.
#include "cp932_codec.h"

#include <windows.h>

namespace {

constexpr UINT kCp932 = 932;

// The UTF-16 of a piece of CP932 that must convert as a whole; empty when it does not.
QString DecodeStrictly(const char* bytes, int length) {
    const int size = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (size <= 0) return {};
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes, length, reinterpret_cast<wchar_t*>(text.data()),
                        size);
    return text;
}

} // namespace

QString DecodeCp932(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    QString whole = DecodeStrictly(bytes.constData(), static_cast<int>(bytes.size()));
    if (!whole.isEmpty()) return whole;
    // Some bytes have no meaning: the file is read one character at a time, each bad byte replaced.
    QString text;
    const qsizetype count = bytes.size();
    for (qsizetype i = 0; i < count;) {
        const auto byte = static_cast<BYTE>(bytes[i]);
        const int width = (IsDBCSLeadByteEx(kCp932, byte) && i + 1 < count) ? 2 : 1;
        const QString piece = DecodeStrictly(bytes.constData() + i, width);
        if (piece.isEmpty()) {
            text += QChar(0xFFFD);
            ++i;
        } else {
            text += piece;
            i += width;
        }
    }
    return text;
}

bool EncodeCp932(const QString& text, QByteArray& out) {
    out.clear();
    if (text.isEmpty()) return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int size =
        WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    out.resize(size);
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), size, nullptr, &usedDefault);
    return !usedDefault;
}
