// CP932 (the Japanese Windows code page) for the viewer on Linux, through glibc iconv, which knows the code
// page with its vendor extensions.
#include "cp932_codec.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace {

// Runs iconv over the input. With `lenient`, an input byte that cannot be converted is replaced by
// `replacement` and skipped; otherwise the conversion stops and fails.
bool RunIconv(const char* to, const char* from, const QByteArray& in, bool lenient,
              const QByteArray& replacement, QByteArray& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    std::vector<char> buffer(static_cast<size_t>(in.size()) * 4 + 16);
    char* inPtr = const_cast<char*>(in.constData());
    size_t inLeft = static_cast<size_t>(in.size());
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), static_cast<qsizetype>(buffer.size() - outLeft));
        if (rc != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        if (!lenient) {
            ok = false;
            break;
        }
        // An invalid or cut-off sequence: replace its first byte and go on after it.
        out.append(replacement);
        ++inPtr;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    if (ok) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
        out.append(buffer.data(), static_cast<qsizetype>(buffer.size() - outLeft));
    }
    iconv_close(cd);
    return ok;
}

// QString holds UTF-16 in the machine's byte order.
constexpr const char* kUtf16 = (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) ? "UTF-16LE" : "UTF-16BE";

QByteArray Utf16Bytes(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

QString DecodeCp932(const QByteArray& bytes) {
    QByteArray utf16;
    const QByteArray replacement = Utf16Bytes(QString(QChar(0xFFFD)));
    if (!RunIconv(kUtf16, "CP932", bytes, true, replacement, utf16)) return QString::fromLatin1(bytes);
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

bool EncodeCp932(const QString& text, QByteArray& out) {
    return RunIconv("CP932", kUtf16, Utf16Bytes(text), false, QByteArray(), out);
}
