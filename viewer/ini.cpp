// The data files of the viewer: the data folder beside the program, Data.ini through ProfileFile, and the
// plain text files of the constant groups, each read once and again only when the file has changed.
#include "ini.h"

#include "data_file_reader.h"
#include "profile_file.h"
#include "text_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <map>

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

// One data file as last read: its stamp and state, and what was made of its bytes, each made once.
struct CachedFile {
    DataFileStamp stamp;
    DataFileState state = DataFileState::Missing;
    QByteArray bytes;                   // shared with the profile made of them
    std::optional<ProfileFile> profile; // Data.ini, parsed at its first lookup
    std::optional<QStringList> lines;   // a .cnt file, split at its first showing
};

int& ReadingCount() {
    static int count = 0;
    return count;
}

std::map<QString, CachedFile>& Cache() {
    static std::map<QString, CachedFile> cache;
    return cache;
}

// The file at the path as it is now: the last reading while the file's stamp is the same, else a new one.
// Null when there is nothing at the path. A search reads the file once instead of at every key typed.
CachedFile* CurrentFile(const QString& path) {
    std::map<QString, CachedFile>& cache = Cache();
    const std::optional<DataFileStamp> stamp = DataFileStampOf(path);
    if (!stamp) {
        cache.erase(path);
        return nullptr;
    }
    if (const auto found = cache.find(path); found != cache.end() && found->second.stamp == *stamp)
        return &found->second;
    DataFileRead read = ReadDataFile(path);
    ++ReadingCount();
    if (read.state == DataFileState::Missing) { // gone since the stamp was taken
        cache.erase(path);
        return nullptr;
    }
    CachedFile& file = cache[path];
    file = CachedFile{read.stamp, read.state, std::move(read.bytes), std::nullopt, std::nullopt};
    return &file;
}

const ProfileFile* ProfileOf(CachedFile& file) {
    if (file.state != DataFileState::Read) return nullptr;
    if (!file.profile) file.profile.emplace(file.bytes);
    return &*file.profile;
}

QStringList SplitLines(const QByteArray& bytes) {
    QString text = DecodeDataFile(bytes);
    if (text.endsWith(u'\n') || text.endsWith(u'\r')) {
        text.chop(text.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
    } else if (text.isEmpty()) {
        return QStringList();
    }
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineEnd);
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
    Cache().clear();
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
    CachedFile* file = CurrentFile(DataFilePath(kDataIni));
    const ProfileFile* profile = file != nullptr ? ProfileOf(*file) : nullptr;
    if (profile == nullptr) return QString();
    return profile->Value(section, key).value_or(QString());
}

bool IniWrite(const QString& section, const QString& key, const QString& value) {
    // The file read is the one the change starts from; the file written is the user's copy when the data
    // folder is the installed, shared one.
    ProfileFile profile;
    if (CachedFile* file = CurrentFile(DataFilePath(kDataIni))) {
        const ProfileFile* read = ProfileOf(*file);
        if (read == nullptr) return false;
        profile = *read;
    }
    if (!profile.SetValue(section, key, value)) return false;
    const QString path = WritableDataFilePath(kDataIni);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray out = profile.Bytes();
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    const bool written = file.commit();
    // Read again at the next lookup: the new file's stamp differs anyway, unless the file system's times are
    // too coarse to tell two writes apart.
    Cache().erase(path);
    return written;
}

std::optional<QStringList> ReadDataLines(const QString& name) {
    CachedFile* file = CurrentFile(DataFilePath(name));
    if (file == nullptr || file->state != DataFileState::Read) return std::nullopt;
    if (!file->lines) file->lines = SplitLines(file->bytes);
    return file->lines;
}

QString DataFileRefusal(const QString& name) {
    const QString path = DataFilePath(name);
    const CachedFile* file = CurrentFile(path);
    QString reason;
    if (file != nullptr && file->state == DataFileState::NotRegular) {
        reason = QStringLiteral("通常のファイルではありません");
    } else if (file != nullptr && file->state == DataFileState::TooLarge) {
        reason = QStringLiteral("ファイルが大きすぎます（%1MB まで）").arg(kDataFileByteLimit >> 20);
    } else {
        return QString();
    }
    return QStringLiteral("データファイルの読み込みに失敗しました。 - ") + QDir::toNativeSeparators(path) +
           u'\n' + reason;
}

int DataFileReadings() {
    return ReadingCount();
}
