// The data files of the viewer: the data folder beside the program, Data.ini through ProfileFile, and the
// plain text files of the constant groups.
#include "ini.h"

#include "profile_file.h"
#include "text_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kDataIni = QStringLiteral("Data.ini");

QString& ChosenDataFolder() {
    static QString folder;
    return folder;
}

bool& ChosenFolderShared() {
    static bool shared = false;
    return shared;
}

QString InstalledDataFolder(const QString& appDir) {
    return QDir::cleanPath(appDir + QStringLiteral("/../share/quillonmacro/data")) + u'/';
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

QString DataFolderFor(const QString& appDir) {
    const QString beside = WithSlash(appDir) + QStringLiteral("data/");
    if (QDir(beside).exists()) return beside;
    const QString installed =
        QDir::cleanPath(WithSlash(appDir) + QStringLiteral("../share/quillonmacro/data"));
    if (QDir(installed).exists()) return WithSlash(installed);
    return beside;
}

QString DataFolder() {
    if (!ChosenDataFolder().isEmpty()) return ChosenDataFolder();
    return DataFolderFor(AppDir());
}

void SetDataFolder(const QString& folder, bool shared) {
    ChosenDataFolder() = folder.isEmpty() ? QString() : WithSlash(folder);
    ChosenFolderShared() = shared && !folder.isEmpty();
}

// Linux: the user's data folder ($XDG_DATA_HOME/quillonmacro/data). Windows: the roaming application data
// (%APPDATA%\QuillonMacro\data), where a user's settings follow them.
QString UserDataFolder() {
#ifdef Q_OS_WIN
    const QString roaming = qEnvironmentVariable("APPDATA");
    if (!roaming.isEmpty())
        return WithSlash(QDir::fromNativeSeparators(roaming)) + QStringLiteral("QuillonMacro/data/");
#endif
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           QStringLiteral("quillonmacro/data/");
}

namespace {

// The installed data folder belongs to the system, and is never written even by a user who could (root): the
// user's own copies of its files live in the user's data folder.
// On Windows the installer puts the data beside the program together with the uninstaller, which also marks
// an installed copy: a portable copy (a zip unpacked anywhere) keeps its edits beside itself.
bool DataFolderIsShared() {
    if (!ChosenDataFolder().isEmpty()) return ChosenFolderShared();
#ifdef Q_OS_WIN
    if (QFile::exists(AppDir() + QStringLiteral("Uninstall.exe"))) return true;
#endif
    return DataFolder() == InstalledDataFolder(AppDir());
}

} // namespace

QString DataFilePath(const QString& name) {
    if (DataFolderIsShared()) {
        const QString own = UserDataFolder() + name;
        if (QFile::exists(own)) return own;
    }
    return DataFolder() + name;
}

QString WritableDataFilePath(const QString& name) {
    if (!DataFolderIsShared()) return DataFolder() + name;
    QDir().mkpath(UserDataFolder());
    return UserDataFolder() + name;
}

QString IniRead(const QString& section, const QString& key) {
    const std::optional<QByteArray> bytes = ReadFileBytes(DataFilePath(kDataIni));
    if (!bytes) return QString();
    return ProfileFile(*bytes).Value(section, key).value_or(QString());
}

bool IniWrite(const QString& section, const QString& key, const QString& value) {
    // The file read is the one the change starts from; the file written is the user's copy when the data
    // folder is the installed, shared one.
    const QString readPath = DataFilePath(kDataIni);
    ProfileFile profile;
    if (QFile::exists(readPath)) {
        const std::optional<QByteArray> bytes = ReadFileBytes(readPath);
        if (!bytes) return false;
        profile = ProfileFile(*bytes);
    }
    if (!profile.SetValue(section, key, value)) return false;
    QSaveFile file(WritableDataFilePath(kDataIni));
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
