// The editor's load and save of macro files: the load through the routines every run uses, the safe save
// through Qt's QSaveFile.
#include "editor_files.h"

#include "common/system_error_texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <vector>

namespace {

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
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

// Linux names files with bytes (read in the locale's encoding); on Windows the routines below Qt take UTF-8,
// which names every file, where the system's ANSI code page would lose characters.
std::string SystemPath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString QtPath(const std::string& path) {
#ifdef Q_OS_WIN
    return QString::fromUtf8(path);
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

std::u16string LoadMacroFile(const QString& path, const MacroFileLog& log) {
    std::vector<std::u16string> lines;
    std::u16string errorText;
    bool ok = ReadMacroLines(SystemPath(path), lines, errorText);
    std::u16string text;
    for (const auto& line : lines) {
        text += line;
        text += u"\r\n";
    }
    if (!ok) LogFileFailure(log, kLoadFailedText, SystemPath(path), errorText);
    return text;
}

bool SaveMacroFile(const QString& path, std::u16string_view text, const MacroFileLog& log) {
    const std::string bytes = EncodeMacroText(text);
    // Unbuffered, so every short write shows here: a buffered QSaveFile can commit a truncated file when the
    // system accepts only part of a write (a full disk, a file size limit) without reporting an error.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        LogFileFailure(log, kSaveFailedText, SystemPath(path), QtFileErrorText(file.errorString()));
        return false;
    }
    if (!WriteAll(file, bytes)) {
        const QString error = file.errorString();
        file.cancelWriting();
        LogFileFailure(log, kSaveFailedText, SystemPath(path), QtFileErrorText(error));
        return false;
    }
    if (!file.commit()) {
        LogFileFailure(log, kSaveFailedText, SystemPath(path), QtFileErrorText(file.errorString()));
        return false;
    }
    return true;
}

std::u16string QtFileErrorText(const QString& error) {
    return JapaneseSystemErrorText(ToU16(error), [](const std::u16string& english) {
        const QByteArray source = QString::fromStdU16String(english).toUtf8();
        return ToU16(QCoreApplication::translate("QIODevice", source.constData()));
    });
}
