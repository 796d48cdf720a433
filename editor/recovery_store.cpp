// The recovery copies of modified editor texts: the state folder, unique names, the locks that tell a living
// editor's copy from an orphan, the atomic write through QSaveFile and the readable file format.
#include "recovery_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

namespace {

// A copy is plain UTF-8 so that a person can rescue it with any text editor:
//   QuillonMacro recovery copy 1 LF
//   file: <path of the macro file, with %, CR and LF percent-encoded> LF
//   LF
//   <the editor text, exactly>
const QByteArray kHeader = QByteArrayLiteral("QuillonMacro recovery copy 1\n");
const QByteArray kFileField = QByteArrayLiteral("file: ");
const QString kCopySuffix = QStringLiteral(".recovery");
const QString kLockSuffix = QStringLiteral(".lock");

QByteArray EscapePath(const QString& path) {
    QByteArray bytes = path.toUtf8();
    bytes.replace('%', QByteArrayLiteral("%25"));
    bytes.replace('\n', QByteArrayLiteral("%0A"));
    bytes.replace('\r', QByteArrayLiteral("%0D"));
    return bytes;
}

QByteArray Encode(const QString& text, const QString& filePath) {
    return kHeader + kFileField + EscapePath(filePath) + '\n' + '\n' + text.toUtf8();
}

// A lock that only a dead owner loses: by default QLockFile also treats a living owner's lock as stale after
// 30 s, which would let a second editor take a copy that is still being edited.
std::unique_ptr<QLockFile> LockOf(const QString& copyPath) {
    auto lock = std::make_unique<QLockFile>(copyPath + kLockSuffix);
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

QString RecoveryStore::DefaultFolder() {
#ifdef Q_OS_WIN
    QString base = qEnvironmentVariable("LOCALAPPDATA");
    if (base.isEmpty()) base = QDir::home().filePath(QStringLiteral("AppData/Local"));
    return QDir(base).filePath(QStringLiteral("QuillonMacro/recovery"));
#else
    // A relative XDG_STATE_HOME is invalid and ignored, as the base-directory rules say.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(base).filePath(QStringLiteral("quillonmacro/recovery"));
#endif
}

RecoveryStore::RecoveryStore(const QString& folder)
    : folder_(QDir(folder).absolutePath()),
      copyPath_(QDir(folder_).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + kCopySuffix)) {}

RecoveryStore::~RecoveryStore() {
    ReleaseLock();
}

bool RecoveryStore::HasCopy() const {
    return QFileInfo::exists(copyPath_);
}

// The folder holds texts the user has not saved anywhere: only its owner may read it.
bool RecoveryStore::TakeLock() {
    if (lock_) return true;
    if (!QDir().mkpath(folder_)) return false;
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::unique_ptr<QLockFile> lock = LockOf(copyPath_);
    if (!lock->tryLock(0)) return false;
    lock_ = std::move(lock);
    return true;
}

void RecoveryStore::ReleaseLock() {
    if (!lock_) return;
    lock_->unlock();
    lock_.reset();
}

bool RecoveryStore::Write(const QString& text, const QString& filePath) {
    if (!TakeLock()) return false;
    const QByteArray bytes = Encode(text, filePath);
    QSaveFile file(copyPath_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// The copy goes before the lock, so that no other editor can take the lock while the copy still exists.
void RecoveryStore::Remove() {
    QFile::remove(copyPath_);
    ReleaseLock();
}

std::optional<RecoveryCopy> RecoveryStore::ClaimNewestOrphan() {
    if (HasCopy()) return std::nullopt;
    const QFileInfoList copies =
        QDir(folder_).entryInfoList({QStringLiteral("*") + kCopySuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : copies) {
        const QString path = info.absoluteFilePath();
        if (path == copyPath_) continue;
        // tryLock succeeds on a lock left by a dead process and fails while its editor lives.
        std::unique_ptr<QLockFile> lock = LockOf(path);
        if (!lock->tryLock(0)) continue;
        // Read after locking: another editor may have claimed and removed it since the listing.
        std::optional<RecoveryCopy> copy = Read(path);
        if (!copy) {
            lock->unlock();
            continue;
        }
        ReleaseLock();
        copyPath_ = path;
        lock_ = std::move(lock);
        return copy;
    }
    return std::nullopt;
}

std::optional<RecoveryCopy> RecoveryStore::Read(const QString& copyPath) {
    QFile file(copyPath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith(kHeader)) return std::nullopt;
    const qsizetype fieldStart = kHeader.size();
    const qsizetype fieldEnd = bytes.indexOf('\n', fieldStart);
    if (fieldEnd < 0 || bytes.mid(fieldStart, kFileField.size()) != kFileField) return std::nullopt;
    if (bytes.size() <= fieldEnd + 1 || bytes.at(fieldEnd + 1) != '\n') return std::nullopt;
    RecoveryCopy copy;
    const qsizetype pathStart = fieldStart + kFileField.size();
    copy.filePath =
        QString::fromUtf8(QByteArray::fromPercentEncoding(bytes.mid(pathStart, fieldEnd - pathStart)));
    copy.text = QString::fromUtf8(bytes.mid(fieldEnd + 2));
    copy.copyPath = QFileInfo(copyPath).absoluteFilePath();
    copy.written = QFileInfo(copyPath).lastModified();
    return copy;
}
