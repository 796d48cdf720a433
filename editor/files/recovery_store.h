// RecoveryStore: the editor's recovery copy of a modified text in the user's state folder, one file per
// editor under a lock held for the editor's life, and the claiming of copies left behind by dead editors.
#pragma once

#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// One recovery copy as read back from its file.
struct RecoveryCopy {
    QString text;     // the editor text, lines joined with LF
    QString filePath; // the macro file the text belonged to; "" for a text never saved or loaded
    QString copyPath; // the recovery file itself
    QDateTime written;
    QList<int> breakpoints; // the text's lines (1-based, ascending) that carried a breakpoint
};

// Each store owns one copy file "<unique name>.recovery" and, once it has written one, the lock file
// "<copy file>.lock" beside it for as long as it lives. A copy whose lock no living process holds is an
// orphan: its editor ended without removing it (killed, crashed, logged out). Destroying a store releases the
// lock but keeps the copy, so a copy that was never removed deliberately is offered again at the next start.
class RecoveryStore {
  public:
    // The folder of the recovery copies: $XDG_STATE_HOME/quillonmacro/recovery, else
    // ~/.local/state/quillonmacro/recovery; on Windows %LOCALAPPDATA%\QuillonMacro\recovery.
    static QString DefaultFolder();

    // Where copies go when the folder cannot take them (a full disk, a folder that is a link or another
    // user's): a folder of the user's in the runtime folder, then in the temporary folder. The claim at
    // start looks there too.
    static QStringList FallbackFolders();

    explicit RecoveryStore(const QString& folder = DefaultFolder());
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    const QString& Folder() const { return folder_; }
    // The path of this store's copy (whether or not it exists now).
    const QString& CopyPath() const { return copyPath_; }
    bool HasCopy() const;

    // Replaces this store's copy atomically with the text, the path of its file and the lines of its
    // breakpoints, taking the lock first. False when the folder, the lock or the write fails (the previous
    // copy, if any, is then left whole); LastError then says why, in Japanese.
    bool Write(const QString& text, const QString& filePath, const QList<int>& breakpoints = {});
    const QString& LastError() const { return lastError_; }
    // Makes `folder` the store's folder for its copy from now on (the fallback of a folder that fails); the
    // copy already written, if any, stays where it is and is no longer this store's.
    void MoveTo(const QString& folder);
    // Removes this store's copy and releases its lock; nothing remains in the folder of this store.
    void Remove();

    // Claims the newest orphan of the folder and the fallback folders: takes its lock, reads it and makes it
    // this store's own copy (a later Write replaces it, Remove deletes it). Copies of living stores are never
    // taken. Only names this program writes are looked at, only the newest few of them, and only regular
    // files of the user's (not links) within the macro size limit are read: anything else is left where it
    // is, unread. Only a store that holds no copy of its own claims; otherwise nothing.
    std::optional<RecoveryCopy> ClaimNewestOrphan();

    // Reads a copy file; nothing when it is missing, not a regular file of the user's, larger than a macro
    // may be, or not a recovery copy.
    static std::optional<RecoveryCopy> Read(const QString& copyPath);

  private:
    bool TakeLock();
    void ReleaseLock();

    QString folder_;
    QString copyPath_;
    QString lastError_;
    std::unique_ptr<QLockFile> lock_;
};
