// Tests of the recovery store: the state folder, the atomic replacement of a copy, removal, and orphans —
// taken only from dead editors, newest first, each by one store, never from a living one; the folders that
// are refused, the files that are never read, and the fallback folders.
#include "recovery_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The id of a process that has ended.
qint64 DeadProcessId() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

// Leaves what a killed editor leaves: its copy and a lock file naming a process that no longer runs.
QString LeaveOrphan(const QString& folder, const QString& text, const QString& filePath) {
    QString path;
    {
        RecoveryStore dead(folder);
        EXPECT_TRUE(dead.Write(text, filePath));
        path = dead.CopyPath();
    }
    // The lock file in the format QLockFile writes, but with the dead process's id on its first line.
    const QString lockPath = path + QStringLiteral(".lock");
    QByteArray contents;
    {
        QLockFile lock(lockPath);
        EXPECT_TRUE(lock.tryLock(0));
        contents = ReadAll(lockPath);
    }
    contents = QByteArray::number(DeadProcessId()) + contents.mid(contents.indexOf('\n'));
    QFile file(lockPath);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return path;
}

void SetAge(const QString& path, int secondsAgo) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                 QFileDevice::FileModificationTime));
}

} // namespace

TEST(RecoveryStore, FolderFromXdgStateHome) {
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/tmp/state-home");
    EXPECT_EQ(RecoveryStore::DefaultFolder(), QStringLiteral("/tmp/state-home/quillonmacro/recovery"));
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/state/quillonmacro/recovery");
    qputenv("XDG_STATE_HOME", "relative/state"); // not absolute: ignored
    EXPECT_EQ(RecoveryStore::DefaultFolder(), fallback);
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(RecoveryStore::DefaultFolder(), fallback);
    qputenv("XDG_STATE_HOME", saved);
}

TEST(RecoveryStore, WriteReplacesTheCopyWholeAndReadsBackEveryCharacter) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("state/quillonmacro/recovery"));
    RecoveryStore store(folder);
    EXPECT_FALSE(QFileInfo::exists(folder)); // nothing is made before there is something to keep

    const QString text = QStringLiteral("PRINT \"日本語\"\r\n\nfile: x\n\n%0A \U0001F600\tend");
    const QString filePath = QStringLiteral("/home/u/マクロ 100%\nodd.qlx");
    ASSERT_TRUE(store.Write(text, filePath));
    EXPECT_TRUE(store.HasCopy());
    EXPECT_FALSE(QFileInfo(folder).permissions().testAnyFlags(QFile::ReadOther | QFile::ReadGroup));
    const std::optional<RecoveryCopy> copy = RecoveryStore::Read(store.CopyPath());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->text, text);
    EXPECT_EQ(copy->filePath, filePath);
    EXPECT_EQ(copy->copyPath, store.CopyPath());

    // A second write puts a new file in place instead of rewriting the old one: a link to the old file still
    // holds the whole old copy, and no temporary file stays behind.
    const QString link = dir.filePath(QStringLiteral("old-copy"));
    ASSERT_EQ(::link(QFile::encodeName(store.CopyPath()).constData(), QFile::encodeName(link).constData()),
              0);
    const QByteArray before = ReadAll(link);
    ASSERT_TRUE(store.Write(QStringLiteral("second"), QString()));
    EXPECT_EQ(ReadAll(link), before);
    EXPECT_EQ(RecoveryStore::Read(store.CopyPath())->text, QStringLiteral("second"));
    const QString name = QFileInfo(store.CopyPath()).fileName();
    EXPECT_EQ(Entries(folder), (QStringList{name, name + QStringLiteral(".lock")}));
}

TEST(RecoveryStore, BreakpointsTravelWithTheCopyAndACopyWithoutThemKeepsTheFirstFormat) {
    QTemporaryDir dir;
    RecoveryStore store(dir.path());
    ASSERT_TRUE(store.Write(QStringLiteral("A\nB\nC"), QStringLiteral("/m/a.qlx"), {1, 3}));
    EXPECT_EQ(ReadAll(store.CopyPath()),
              QByteArray("QuillonMacro recovery copy 1\nfile: /m/a.qlx\nbreakpoints: 1 3\n\nA\nB\nC"));
    std::optional<RecoveryCopy> copy = RecoveryStore::Read(store.CopyPath());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->breakpoints, (QList<int>{1, 3}));
    EXPECT_EQ(copy->text, QStringLiteral("A\nB\nC"));
    EXPECT_EQ(copy->filePath, QStringLiteral("/m/a.qlx"));

    // No breakpoints: the bytes earlier versions wrote, which they read back as before. A text that itself
    // begins with "breakpoints: " stays text.
    ASSERT_TRUE(store.Write(QStringLiteral("breakpoints: 2\nX"), QString()));
    EXPECT_EQ(ReadAll(store.CopyPath()),
              QByteArray("QuillonMacro recovery copy 1\nfile: \n\nbreakpoints: 2\nX"));
    copy = RecoveryStore::Read(store.CopyPath());
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->breakpoints.isEmpty());
    EXPECT_EQ(copy->text, QStringLiteral("breakpoints: 2\nX"));

    // A field damaged by hand loses only what is not a line number; one cut off before its line end
    // is no copy.
    const QString damaged = dir.filePath(QStringLiteral("damaged"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("QuillonMacro recovery copy 1\nfile: \nbreakpoints: 4 x -2 99999999999 7\n\ntext");
    file.close();
    copy = RecoveryStore::Read(damaged);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->breakpoints, (QList<int>{4, 7}));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("QuillonMacro recovery copy 1\nfile: \nbreakpoints: 4");
    file.close();
    EXPECT_FALSE(RecoveryStore::Read(damaged));
}

TEST(RecoveryStore, RemoveLeavesNothingAndDestroyingKeepsTheCopy) {
    QTemporaryDir dir;
    QString kept;
    {
        RecoveryStore store(dir.path());
        ASSERT_TRUE(store.Write(QStringLiteral("a"), QString()));
        store.Remove();
        EXPECT_FALSE(store.HasCopy());
        EXPECT_TRUE(Entries(dir.path()).isEmpty());
        ASSERT_TRUE(store.Write(QStringLiteral("b"), QString())); // writing again after a removal works
        kept = store.CopyPath();
    }
    // Destroyed without a removal (the editor did not end deliberately): the copy stays, the lock goes.
    EXPECT_EQ(Entries(dir.path()), QStringList{QFileInfo(kept).fileName()});
}

TEST(RecoveryStore, LivingStoresNeverTakeEachOthersCopies) {
    QTemporaryDir dir;
    auto first = std::make_unique<RecoveryStore>(dir.path());
    RecoveryStore second(dir.path());
    ASSERT_TRUE(first->Write(QStringLiteral("first"), QString()));
    ASSERT_TRUE(second.Write(QStringLiteral("second"), QString()));
    EXPECT_NE(first->CopyPath(), second.CopyPath());

    RecoveryStore newcomer(dir.path());
    EXPECT_FALSE(newcomer.ClaimNewestOrphan());
    EXPECT_FALSE(second.ClaimNewestOrphan()); // holds a copy of its own anyway

    // The first ends without removing its copy: now an orphan, claimed by exactly one store.
    const QString firstPath = first->CopyPath();
    first.reset();
    const std::optional<RecoveryCopy> claimed = newcomer.ClaimNewestOrphan();
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->text, QStringLiteral("first"));
    EXPECT_EQ(newcomer.CopyPath(), firstPath);
    RecoveryStore third(dir.path());
    EXPECT_FALSE(third.ClaimNewestOrphan());
    EXPECT_EQ(RecoveryStore::Read(second.CopyPath())->text, QStringLiteral("second"));

    // The claimed copy is the newcomer's own now: written over in place and removed with its lock.
    ASSERT_TRUE(newcomer.Write(QStringLiteral("first, edited"), QString()));
    EXPECT_EQ(RecoveryStore::Read(firstPath)->text, QStringLiteral("first, edited"));
    newcomer.Remove();
    EXPECT_FALSE(QFileInfo::exists(firstPath));
    EXPECT_FALSE(QFileInfo::exists(firstPath + QStringLiteral(".lock")));
}

TEST(RecoveryStore, OrphansOfDeadProcessesNewestFirstOnePerStore) {
    QTemporaryDir dir;
    const QString older = LeaveOrphan(dir.path(), QStringLiteral("older"), QStringLiteral("/m/older.qlx"));
    const QString newer = LeaveOrphan(dir.path(), QStringLiteral("newer"), QString());
    SetAge(older, 120);
    SetAge(newer, 60);
    ASSERT_TRUE(QFileInfo::exists(older + QStringLiteral(".lock")));
    // Not a recovery copy: never offered, never touched.
    QFile junk(dir.filePath(QStringLiteral("junk.recovery")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("something else\n");
    junk.close();

    RecoveryStore a(dir.path()), b(dir.path()), c(dir.path());
    const std::optional<RecoveryCopy> first = a.ClaimNewestOrphan();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, QStringLiteral("newer"));
    const std::optional<RecoveryCopy> second = b.ClaimNewestOrphan();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text, QStringLiteral("older"));
    EXPECT_EQ(second->filePath, QStringLiteral("/m/older.qlx"));
    EXPECT_FALSE(c.ClaimNewestOrphan());
    EXPECT_EQ(ReadAll(junk.fileName()), QByteArray("something else\n"));

    // Discarding a claimed orphan deletes it; the one still held is not offered again.
    a.Remove();
    EXPECT_FALSE(QFileInfo::exists(newer));
    EXPECT_FALSE(c.ClaimNewestOrphan());
}

TEST(RecoveryStore, CopyWithoutAnyLockFileIsAnOrphan) {
    QTemporaryDir dir;
    QString path;
    {
        RecoveryStore gone(dir.path());
        ASSERT_TRUE(gone.Write(QStringLiteral("left"), QString()));
        path = gone.CopyPath();
    }
    ASSERT_FALSE(QFileInfo::exists(path + QStringLiteral(".lock")));
    RecoveryStore store(dir.path());
    const std::optional<RecoveryCopy> copy = store.ClaimNewestOrphan();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->text, QStringLiteral("left"));
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".lock"))); // held by its new owner
}

// Texts never saved anywhere are not written into a folder that is a link (its target is neither tightened
// nor written into), another user's (as after "sudo -E"), or a file; the reason is given in Japanese.
TEST(RecoveryStore, RefusesAFolderThatIsALinkAnotherUsersOrAFile) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    ASSERT_TRUE(QDir().mkpath(target));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                      QFile::ExeOther);
    const QString linked = dir.filePath(QStringLiteral("linked"));
    ASSERT_TRUE(QFile::link(target, linked));
    RecoveryStore viaLink(linked);
    EXPECT_FALSE(viaLink.Write(QStringLiteral("PRINT 1"), {}));
    EXPECT_EQ(viaLink.LastError(), QStringLiteral("フォルダがリンクになっています"));
    EXPECT_TRUE(Entries(target).isEmpty());
    EXPECT_TRUE(QFileInfo(target).permissions() & QFile::ReadOther);

    const QString file = dir.filePath(QStringLiteral("file"));
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    RecoveryStore intoFile(file);
    EXPECT_FALSE(intoFile.Write(QStringLiteral("PRINT 1"), {}));
    EXPECT_EQ(intoFile.LastError(), QStringLiteral("同じ名前のファイルがあります"));

    if (::geteuid() != 0) return;
    const QString others = dir.filePath(QStringLiteral("others"));
    ASSERT_TRUE(QDir().mkpath(others));
    ASSERT_EQ(::chown(QFile::encodeName(others).constData(), 65534, 65534), 0);
    RecoveryStore intoOthers(others);
    EXPECT_FALSE(intoOthers.Write(QStringLiteral("PRINT 1"), {}));
    EXPECT_EQ(intoOthers.LastError(), QStringLiteral("ほかのユーザーのフォルダです"));
    EXPECT_TRUE(Entries(others).isEmpty());
}

// At start only copies this program could have written are read: a FIFO or a link to /dev/zero named like a
// copy, a copy larger than a macro may be, another user's file, and junk under other names are left in
// place, unread (each of them hung or aborted the start), and the valid older copy is offered.
TEST(RecoveryStore, OnlyTheUsersOwnRegularCopiesWithinTheLimitAreRead) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString valid = LeaveOrphan(folder, QStringLiteral("PRINT \"kept\""), {});
    SetAge(valid, 600);
    const auto copyName = [&](const char* uuid) { return QDir(folder).filePath(QLatin1String(uuid)); };
    const QString fifo = copyName("00000000-0000-0000-0000-000000000001.recovery");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = copyName("00000000-0000-0000-0000-000000000002.recovery");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString huge = copyName("00000000-0000-0000-0000-000000000003.recovery");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("QuillonMacro recovery copy 1\nfile: \n\n");
        ASSERT_TRUE(file.resize(qint64{65} << 20)); // sparse: costs no disk
    }
    const QString junkFifo = copyName("notes.recovery");
    ASSERT_EQ(::mkfifo(QFile::encodeName(junkFifo).constData(), 0600), 0);
    if (::geteuid() == 0) {
        const QString others = copyName("00000000-0000-0000-0000-000000000004.recovery");
        QFile file(others);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("QuillonMacro recovery copy 1\nfile: \n\nPRINT \"planted\"");
        file.close();
        ASSERT_EQ(::chown(QFile::encodeName(others).constData(), 65534, 65534), 0);
    }

    RecoveryStore store(folder);
    const std::optional<RecoveryCopy> claimed = store.ClaimNewestOrphan();
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->text, QStringLiteral("PRINT \"kept\""));
    EXPECT_FALSE(RecoveryStore::Read(huge));
    EXPECT_FALSE(RecoveryStore::Read(zero));
    for (const QString& left : {fifo, zero, huge, junkFifo})
        EXPECT_TRUE(QFileInfo(left).isSymLink() || QFileInfo::exists(left)) << left.toStdString();
    // Nothing more to offer: the refused ones are never offered.
    RecoveryStore next(folder);
    EXPECT_FALSE(next.ClaimNewestOrphan());
}

// A folder that cannot take the copy: the store moves to a fallback folder, and a later start finds the copy
// there.
TEST(RecoveryStore, AFallbackFolderTakesTheCopyAndItIsOfferedAtTheNextStart) {
    QTemporaryDir dir;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString broken = dir.filePath(QStringLiteral("recovery"));
    ASSERT_TRUE(QFile(broken).open(QIODevice::WriteOnly)); // a file where the folder should be
    ASSERT_EQ(RecoveryStore::FallbackFolders().first(),
              runtime.filePath(QStringLiteral("quillonmacro-recovery")));
    QString fallbackCopy;
    {
        RecoveryStore store(broken);
        ASSERT_FALSE(store.Write(QStringLiteral("PRINT \"rescued\""), {}));
        store.MoveTo(RecoveryStore::FallbackFolders().first());
        ASSERT_TRUE(store.Write(QStringLiteral("PRINT \"rescued\""), {}));
        fallbackCopy = store.CopyPath();
        EXPECT_TRUE(fallbackCopy.startsWith(runtime.path()));
    }
    RecoveryStore next(broken);
    const std::optional<RecoveryCopy> claimed = next.ClaimNewestOrphan();
    if (oldRuntime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->text, QStringLiteral("PRINT \"rescued\""));
    EXPECT_EQ(next.CopyPath(), fallbackCopy);
    next.Remove();
    EXPECT_FALSE(QFileInfo::exists(fallbackCopy));
}
