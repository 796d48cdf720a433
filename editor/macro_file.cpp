// Macro files on disk: encoding detection, line splitting, the safe save through a temporary file, and the
// location of the run buffer file.
#include "macro_file.h"

#include "codepage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Decodes CP932 one character at a time, so a byte without meaning costs only itself (it becomes U+FFFD).
void DecodeCp932ByCharacter(std::string_view bytes, std::u16string& out) {
    size_t i = 0;
    while (i < bytes.size()) {
        size_t length =
            (IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
        std::u16string piece;
        if (DecodeCp932(bytes.substr(i, length), piece)) {
            out += piece;
            i += length;
        } else {
            out += u'\uFFFD';
            ++i;
        }
    }
}

// CP932 for text that is not clean CP932: each line is tried whole, and only a broken line is taken apart.
std::u16string DecodeCp932Leniently(std::string_view bytes) {
    std::u16string out;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = (end == std::string_view::npos) ? bytes.size() : end + 1;
        std::string_view line = bytes.substr(start, end - start);
        std::u16string piece;
        if (DecodeCp932(line, piece)) {
            out += piece;
        } else {
            DecodeCp932ByCharacter(line, out);
        }
        start = end;
    }
    return out;
}

void LogFailure(const MacroFileLog& log, std::u16string_view prefix, const QString& path,
                const std::u16string& error) {
    if (!log) return;
    log(std::u16string(prefix) + ToU16(path));
    log(error);
}

// Writes everything, retrying after a short write so that the system's reason for stopping is reported.
bool WriteAll(QSaveFile& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

std::u16string DecodeMacroBytes(std::string_view bytes) {
    std::string_view body = bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
    std::u16string text;
    if (DecodeUtf8(body, text)) return text;
    text.clear();
    if (DecodeCp932(bytes, text)) return text;
    return DecodeCp932Leniently(bytes);
}

std::vector<std::u16string> SplitMacroLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        if (c != kCr && c != kLf) {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == kCr && i + 1 < text.size() && text[i + 1] == kLf) ? 2 : 1;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

bool ReadMacroLines(const QString& path, std::vector<std::u16string>& lines, std::u16string& errorText) {
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorText = ToU16(file.errorString());
        return false;
    }
    std::string bytes;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        qint64 n = file.read(buffer, sizeof buffer);
        if (n < 0) {
            errorText = ToU16(file.errorString());
            ok = false;
            break;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    lines = SplitMacroLines(DecodeMacroBytes(bytes));
    return ok;
}

std::u16string LoadMacroFile(const QString& path, const MacroFileLog& log) {
    std::vector<std::u16string> lines;
    std::u16string errorText;
    bool ok = ReadMacroLines(path, lines, errorText);
    std::u16string text;
    for (const auto& line : lines) {
        text += line;
        text += u"\r\n";
    }
    if (!ok) LogFailure(log, u"マクロの読み込みに失敗しました。 - ", path, errorText);
    return text;
}

std::string EncodeMacroText(std::u16string_view text) {
    std::u16string normalized;
    normalized.reserve(text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == kCr || c == kLf) {
            normalized += u"\r\n";
            if (c == kCr && i + 1 < text.size() && text[i + 1] == kLf) ++i;
        } else {
            normalized += c;
        }
    }
    normalized += u"\r\n";

    // CP932 only when loading gives exactly this text back: some CP932 byte runs also form valid UTF-8 (and
    // would be read as UTF-8), and a few characters share a code with another one.
    std::string cp932;
    if (EncodeCp932(normalized, cp932) && DecodeMacroBytes(cp932) == normalized) return cp932;
    return std::string(kUtf8Bom) + ToUtf8(normalized);
}

bool SaveMacroFile(const QString& path, std::u16string_view text, const MacroFileLog& log) {
    static constexpr std::u16string_view kPrefix = u"マクロの保存に失敗しました。 - ";
    const std::string bytes = EncodeMacroText(text);
    // Unbuffered, so every short write shows here: a buffered QSaveFile can commit a truncated file when the
    // system accepts only part of a write (a full disk, a file size limit) without reporting an error.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        LogFailure(log, kPrefix, path, ToU16(file.errorString()));
        return false;
    }
    if (!WriteAll(file, bytes)) {
        const QString error = file.errorString();
        file.cancelWriting();
        LogFailure(log, kPrefix, path, ToU16(error));
        return false;
    }
    if (!file.commit()) {
        LogFailure(log, kPrefix, path, ToU16(file.errorString()));
        return false;
    }
    return true;
}

QString BufferFilePath() {
    static const QString kName = QStringLiteral("macrobuf.qlx");
    const QString programDir = QCoreApplication::applicationDirPath();
    const QFileInfo programInfo(programDir);
    if (!programDir.isEmpty() && programInfo.isDir() && programInfo.isWritable()) {
        return QDir(programDir).filePath(kName);
    }
    const QString cacheDir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cacheDir);
    return QDir(cacheDir).filePath(kName);
}
