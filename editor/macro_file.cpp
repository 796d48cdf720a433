// Macro files on disk: reading them, the safe save through a temporary file, and the run buffer file and its
// location. Their bytes are decoded and encoded by macro_text.
#include "macro_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

void LogFailure(const MacroFileLog& log, std::u16string_view prefix, const QString& path,
                const std::u16string& error) {
    if (!log) return;
    log(std::u16string(prefix) + ToU16(path));
    log(error);
}

// Writes everything, retrying after a short write so that the system's reason for stopping is reported.
bool WriteAll(QIODevice& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

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

bool WriteBufferFile(const QString& path, std::u16string_view text, const MacroFileLog& log) {
    static constexpr std::u16string_view kPrefix = u"マクロの保存に失敗しました。 - ";
    const std::string bytes = EncodeMacroText(text);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        LogFailure(log, kPrefix, path, ToU16(file.errorString()));
        return false;
    }
    if (!WriteAll(file, bytes)) {
        // A cut-off copy helps nobody: it goes, and the run goes on without one.
        const QString error = file.errorString();
        file.close();
        QFile::remove(path);
        LogFailure(log, kPrefix, path, ToU16(error));
        return false;
    }
    file.close();
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
