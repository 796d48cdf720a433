// Tests of the recovery store: the state folder, the atomic replacement of a copy, removal, and orphans —
// taken only from dead editors, newest first, each by one store, never from a living one.
#include "recovery_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
