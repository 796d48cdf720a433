// The recovery copies of modified editor texts: the state folder, unique names, the locks that tell a living
// editor's copy from an orphan, the atomic write through QSaveFile and the readable file format.
#include "recovery_store.h"

#include "editor_files.h"
#include "macro_file.h"
#include "macro_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include <algorithm>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

// A copy is plain UTF-8 so that a person can rescue it with any text editor:
//   QuillonMacro recovery copy 1 LF
//   file: <path of the macro file, with %, CR and LF percent-encoded> LF
//   breakpoints: <line numbers, separated by spaces> LF      (only when the text has breakpoints)
//   LF
//   <the editor text, exactly>
// A copy without breakpoints is exactly what earlier versions wrote and read.
const QByteArray kHeader = QByteArrayLiteral("QuillonMacro recovery copy 1\n");
const QByteArray kFileField = QByteArrayLiteral("file: ");
const QByteArray kBreakpointsField = QByteArrayLiteral("breakpoints: ");
const QString kCopySuffix = QStringLiteral(".recovery");
const QString kLockSuffix = QStringLiteral(".lock");
// The names this program gives its copies (a UUID, then the suffix): nothing else in the folder is looked at.
const QString kCopyPattern = QString(8, u'?') + u'-' + QString(4, u'?') + u'-' + QString(4, u'?') + u'-' +
                             QString(4, u'?') + u'-' + QString(12, u'?') + kCopySuffix;
// Only the newest copies are tried at start, so a folder full of them cannot hold the start up.
constexpr qsizetype kMostCopiesTried = 32;
// A copy holds a macro text and a header with one path.
constexpr qint64 kLargestCopy = static_cast<qint64>(kMacroFileByteLimit) + 64 * 1024;

QByteArray EscapePath(const QString& path) {
    QByteArray bytes = path.toUtf8();
    bytes.replace('%', QByteArrayLiteral("%25"));
    bytes.replace('\n', QByteArrayLiteral("%0A"));
    bytes.replace('\r', QByteArrayLiteral("%0D"));
    return bytes;
}

QByteArray Encode(const QString& text, const QString& filePath, const QList<int>& breakpoints) {
    QByteArray header = kHeader + kFileField + EscapePath(filePath) + '\n';
    if (!breakpoints.isEmpty()) {
        header += kBreakpointsField;
        for (qsizetype i = 0; i < breakpoints.size(); ++i)
            header += (i > 0 ? " " : "") + QByteArray::number(breakpoints[i]);
        header += '\n';
    }
    return header + '\n' + text.toUtf8();
}

// The line numbers of a breakpoints field; anything that is not a line number is passed over.
QList<int> BreakpointsOf(const QByteArray& field) {
    QList<int> lines;
    for (const QByteArray& word : field.split(' ')) {
        bool ok = false;
        const int line = word.toInt(&ok);
        if (ok && line > 0) lines.append(line);
    }
    return lines;
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

QStringList RecoveryStore::FallbackFolders() {
    QStringList folders;
#ifdef Q_OS_WIN
    folders << QDir(QDir::tempPath()).filePath(QStringLiteral("QuillonMacro-recovery"));
#else
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        folders << QDir(runtime).filePath(QStringLiteral("quillonmacro-recovery"));
    folders << QDir(QDir::tempPath()).filePath(QStringLiteral("quillonmacro-recovery-%1").arg(::geteuid()));
#endif
    return folders;
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

// The folder holds texts the user has not saved anywhere: only its owner may read it, and a folder that is a
// link or another user's is not written into.
bool RecoveryStore::TakeLock() {
    if (lock_) return true;
    std::u16string reason;
    if (!MakePrivateFolder(SystemPath(folder_), reason)) {
        lastError_ = QString::fromStdU16String(reason);
        return false;
    }
    std::unique_ptr<QLockFile> lock = LockOf(copyPath_);
    if (!lock->tryLock(0)) {
        lastError_ = lock->error() == QLockFile::PermissionError
                         ? QStringLiteral("ロックファイルを作れません（権限がありません）")
                         : QStringLiteral("ロックファイルを作れません");
        return false;
    }
    lock_ = std::move(lock);
    return true;
}

void RecoveryStore::ReleaseLock() {
    if (!lock_) return;
    lock_->unlock();
    lock_.reset();
}

bool RecoveryStore::Write(const QString& text, const QString& filePath, const QList<int>& breakpoints) {
    if (!TakeLock()) return false;
    const QByteArray bytes = Encode(text, filePath, breakpoints);
    QSaveFile file(copyPath_);
    bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    if (written) written = file.commit();
    if (!written) {
        lastError_ = QString::fromStdU16String(QtFileErrorText(file.errorString()));
        file.cancelWriting();
        return false;
    }
    lastError_.clear();
    return true;
}

void RecoveryStore::MoveTo(const QString& folder) {
    ReleaseLock();
    folder_ = QDir(folder).absolutePath();
    copyPath_ = QDir(folder_).filePath(QFileInfo(copyPath_).fileName());
}

// The copy goes before the lock, so that no other editor can take the lock while the copy still exists.
void RecoveryStore::Remove() {
    QFile::remove(copyPath_);
    ReleaseLock();
}

std::optional<RecoveryCopy> RecoveryStore::ClaimNewestOrphan() {
    if (HasCopy()) return std::nullopt;
    QFileInfoList copies;
    for (const QString& folder : QStringList{folder_} + FallbackFolders())
        copies += QDir(folder).entryInfoList({kCopyPattern}, QDir::Files | QDir::System | QDir::Hidden);
    std::sort(copies.begin(), copies.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() > b.lastModified(); });
    if (copies.size() > kMostCopiesTried) copies.resize(kMostCopiesTried);
    for (const QFileInfo& info : copies) {
        const QString path = info.absoluteFilePath();
        if (!IsOwnRegularFile(SystemPath(path), kLargestCopy)) continue; // left there, unread
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
        folder_ = info.absolutePath();
        copyPath_ = path;
        lock_ = std::move(lock);
        return copy;
    }
    return std::nullopt;
}

std::optional<RecoveryCopy> RecoveryStore::Read(const QString& copyPath) {
    if (!IsOwnRegularFile(SystemPath(copyPath), kLargestCopy)) return std::nullopt;
    QFile file(copyPath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.read(kLargestCopy + 1);
    if (bytes.size() > kLargestCopy) return std::nullopt;
    if (!bytes.startsWith(kHeader)) return std::nullopt;
    const qsizetype fieldStart = kHeader.size();
    const qsizetype fieldEnd = bytes.indexOf('\n', fieldStart);
    if (fieldEnd < 0 || bytes.mid(fieldStart, kFileField.size()) != kFileField) return std::nullopt;
    RecoveryCopy copy;
    const qsizetype pathStart = fieldStart + kFileField.size();
    copy.filePath =
        QString::fromUtf8(QByteArray::fromPercentEncoding(bytes.mid(pathStart, fieldEnd - pathStart)));
    qsizetype headerEnd = fieldEnd;
    if (bytes.mid(fieldEnd + 1, kBreakpointsField.size()) == kBreakpointsField) {
        const qsizetype start = fieldEnd + 1 + kBreakpointsField.size();
        headerEnd = bytes.indexOf('\n', start);
        if (headerEnd < 0) return std::nullopt;
        copy.breakpoints = BreakpointsOf(bytes.mid(start, headerEnd - start));
    }
    if (bytes.size() <= headerEnd + 1 || bytes.at(headerEnd + 1) != '\n') return std::nullopt;
    copy.text = QString::fromUtf8(bytes.mid(headerEnd + 2));
    copy.copyPath = QFileInfo(copyPath).absoluteFilePath();
    copy.written = QFileInfo(copyPath).lastModified();
    return copy;
}
