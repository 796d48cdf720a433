// UTF-8 and CP932 conversions of the viewer's data files. CP932 goes through glibc iconv, which knows the
// Windows code page with its vendor extensions.
#include "text_codec.h"

#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool IsValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decoding is what finds the errors
    Q_UNUSED(text);
    return !decoder.hasError();
}

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

DataEncoding DetectDataEncoding(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Bom)) return DataEncoding::Utf8Bom;
    return IsValidUtf8(bytes) ? DataEncoding::Utf8 : DataEncoding::Cp932;
}

QString DecodeDataText(const QByteArray& bytes, DataEncoding encoding) {
    if (encoding != DataEncoding::Cp932) return QString::fromUtf8(bytes);
    QByteArray utf16;
    const QByteArray replacement = Utf16Bytes(QString(QChar(0xFFFD)));
    if (!RunIconv(kUtf16, "CP932", bytes, true, replacement, utf16)) return QString::fromLatin1(bytes);
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

bool EncodeDataText(const QString& text, DataEncoding encoding, QByteArray& out) {
    if (encoding != DataEncoding::Cp932) {
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        out = encoder.encode(text);
        return !encoder.hasError();
    }
    return RunIconv("CP932", kUtf16, Utf16Bytes(text), false, QByteArray(), out);
}

QString DecodeDataFile(const QByteArray& bytes) {
    const DataEncoding encoding = DetectDataEncoding(bytes);
    if (encoding == DataEncoding::Utf8Bom) return DecodeDataText(bytes.mid(kUtf8Bom.size()), encoding);
    return DecodeDataText(bytes, encoding);
}
