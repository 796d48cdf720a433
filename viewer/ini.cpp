// The data files of the viewer: the data folder beside the program, Data.ini through ProfileFile, and the
// plain text files of the constant groups.
#include "ini.h"

#include "profile_file.h"
#include "text_codec.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

const QString kDataIni = QStringLiteral("Data.ini");

QString& ChosenDataFolder() {
    static QString folder;
    return folder;
}

QString WithSlash(QString path) {
    if (!path.endsWith(u'/')) path += u'/';
    return path;
}

std::optional<QByteArray> ReadFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

} // namespace

QString AppDir() {
    return WithSlash(QCoreApplication::applicationDirPath());
}

QString DataFolder() {
    if (!ChosenDataFolder().isEmpty()) return ChosenDataFolder();
    return AppDir() + QStringLiteral("data/");
}

void SetDataFolder(const QString& folder) {
    ChosenDataFolder() = folder.isEmpty() ? QString() : WithSlash(folder);
}

QString DataFilePath(const QString& name) {
    return DataFolder() + name;
}

QString IniRead(const QString& section, const QString& key) {
    const std::optional<QByteArray> bytes = ReadFileBytes(DataFilePath(kDataIni));
    if (!bytes) return QString();
    return ProfileFile(*bytes).Value(section, key).value_or(QString());
}

bool IniWrite(const QString& section, const QString& key, const QString& value) {
    const QString path = DataFilePath(kDataIni);
    ProfileFile profile;
    if (QFile::exists(path)) {
        const std::optional<QByteArray> bytes = ReadFileBytes(path);
        if (!bytes) return false;
        profile = ProfileFile(*bytes);
    }
    if (!profile.SetValue(section, key, value)) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray out = profile.Bytes();
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QStringList> ReadDataLines(const QString& name) {
    const std::optional<QByteArray> bytes = ReadFileBytes(DataFilePath(name));
    if (!bytes) return std::nullopt;
    QString text = DecodeDataFile(*bytes);
    if (text.endsWith(u'\n') || text.endsWith(u'\r')) {
        text.chop(text.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
    } else if (text.isEmpty()) {
        return QStringList();
    }
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineEnd);
}
