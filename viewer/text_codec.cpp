// Telling the encodings of the viewer's data files apart and converting them: UTF-8 through Qt, CP932 through
// the system's converter (cp932_codec).
#include "text_codec.h"

#include "cp932_codec.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool IsValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decoding is what finds the errors
    Q_UNUSED(text);
    return !decoder.hasError();
}

} // namespace

DataEncoding DetectDataEncoding(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Bom)) return DataEncoding::Utf8Bom;
    return IsValidUtf8(bytes) ? DataEncoding::Utf8 : DataEncoding::Cp932;
}

QString DecodeDataText(const QByteArray& bytes, DataEncoding encoding) {
    if (encoding != DataEncoding::Cp932) return QString::fromUtf8(bytes);
    // Plain ASCII reads the same in CP932: the names of sections and keys need no trip to the converter.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    return DecodeCp932(bytes);
}

bool EncodeDataText(const QString& text, DataEncoding encoding, QByteArray& out) {
    if (encoding != DataEncoding::Cp932) {
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        out = encoder.encode(text);
        return !encoder.hasError();
    }
    return EncodeCp932(text, out);
}

QString DecodeDataFile(const QByteArray& bytes) {
    const DataEncoding encoding = DetectDataEncoding(bytes);
    if (encoding == DataEncoding::Utf8Bom) return DecodeDataText(bytes.mid(kUtf8Bom.size()), encoding);
    return DecodeDataText(bytes, encoding);
}
