// Drives the real QuillonMacro program with synthetic X events (xdotool) to show that a killed editor's text
// comes back: type, wait for the recovery copy, kill -9, start again, restore with Enter, and see the editor
// text through a run's buffer file; with two editors open, each keeps its own copy and only the dead one's
// text is offered.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

QString Tool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QThread::msleep(50);
    }
    return true;
}

// The visible windows of a process, optionally only those with the given title (a regular expression).
QStringList Windows(qint64 pid, const QString& name = {}) {
    QStringList args{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                     QString::number(pid)};
    if (!name.isEmpty()) args << QStringLiteral("--all") << QStringLiteral("--name") << name;
    const QString out = Tool(args);
    return out.isEmpty() ? QStringList() : out.split(u'\n');
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Key(const QString& key) {
    Tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}

void Activate(const QString& window) {
    Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    QThread::msleep(300);
}

// Types the lines into the active window, one Return between them.
void TypeLines(const QStringList& lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) Key(QStringLiteral("Return"));
        Tool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), lines[i]});
    }
}

// The file of a recovery copy of a text that belongs to no file.
QByteArray CopyBytes(const QString& text) {
    return QByteArrayLiteral("QuillonMacro recovery copy 1\nfile: \n\n") + text.toUtf8();
}

// The editor window ("Quillonマクロ…"), told from the question boxes ("QuillonMacro") by its title.
QString MainWindow(qint64 pid) {
    for (const QString& window : Windows(pid))
        if (Tool({QStringLiteral("getwindowname"), window}).startsWith(QStringLiteral("Quillonマクロ")))
            return window;
    return {};
}

// A copy of the program laid out as installed (its parts beside it) in a private folder, so its buffer file
// is this test's own, and a private state folder for its recovery copies.
struct Installation {
    QTemporaryDir prefix, state;
    QString program, buffer, recovery;

    Installation() {
        const QString parts = prefix.filePath(QStringLiteral(QM_PARTS_DIR));
        QDir(prefix.path()).mkpath(QStringLiteral("bin"));
        QDir().mkpath(QFileInfo(parts).path());
        QFile::link(QStringLiteral(QM_PARTS_OUTPUT_DIR), parts);
        const QDir bin(prefix.filePath(QStringLiteral("bin")));
        program = bin.filePath(QStringLiteral("QuillonMacro"));
        QFile::copy(QStringLiteral(QM_PROGRAM), program);
        buffer = bin.filePath(QStringLiteral("macrobuf.qlx"));
        recovery = state.filePath(QStringLiteral("quillonmacro/recovery"));
    }

    // Starts the editor and returns it once its main window is visible (nullptr when it did not start).
    std::unique_ptr<QProcess> Start() const {
        auto editor = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        editor->setProcessEnvironment(env);
        editor->start(program, {});
        if (!editor->waitForStarted(10000)) return nullptr;
        const qint64 pid = editor->processId();
        if (!WaitFor([&] { return !MainWindow(pid).isEmpty(); })) return nullptr;
        return editor;
    }

    QStringList CopyNames() const {
        return QDir(recovery).entryList({QStringLiteral("*.recovery")}, QDir::Files, QDir::Name);
    }
    bool SomeCopyIs(const QByteArray& bytes) const {
        for (const QString& name : CopyNames())
            if (ReadAll(QDir(recovery).filePath(name)) == bytes) return true;
        return false;
    }
};

// Answers the restore question of a starting editor with Enter (its default button, "復元").
bool RestoreWithEnter(qint64 pid) {
    QStringList box;
    if (!WaitFor([&] { return !(box = Windows(pid, QStringLiteral("^QuillonMacro$"))).isEmpty(); }))
        return false;
    Activate(box.first());
    Key(QStringLiteral("Return"));
    return WaitFor([&] { return Windows(pid, QStringLiteral("^QuillonMacro$")).isEmpty(); });
}

// Runs the editor text with F5: the run writes the text to the buffer file first.
QByteArray TextThroughARun(qint64 pid, const Installation& installed) {
    QFile::remove(installed.buffer);
    Activate(MainWindow(pid));
    Key(QStringLiteral("F5"));
    WaitFor([&] { return QFile::exists(installed.buffer); });
    QThread::msleep(300);
    return ReadAll(installed.buffer);
}

void KillNow(QProcess& editor) {
    editor.kill(); // SIGKILL: no close, no clean-up of any kind
    editor.waitForFinished(5000);
}

} // namespace

TEST(RecoveryEndToEnd, KilledEditorsTextComesBack) {
    const Installation installed;
    std::unique_ptr<QProcess> editor = installed.Start();
    ASSERT_TRUE(editor);
    Activate(MainWindow(editor->processId()));
    const QStringList lines = {QStringLiteral("PRINT \"rescue me\""), QStringLiteral("' a+b=c; 50% (x)")};
    TypeLines(lines);
    const QString text = lines.join(u'\n');
    ASSERT_TRUE(WaitFor([&] { return installed.SomeCopyIs(CopyBytes(text)); }));
    KillNow(*editor);
    ASSERT_EQ(installed.CopyNames().size(), 1);

    std::unique_ptr<QProcess> again = installed.Start();
    ASSERT_TRUE(again);
    const qint64 pid = again->processId();
    ASSERT_TRUE(RestoreWithEnter(pid));
    EXPECT_EQ(Tool({QStringLiteral("getwindowname"), MainWindow(pid)}), QStringLiteral("Quillonマクロ"));
    EXPECT_EQ(TextThroughARun(pid, installed),
              (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());

    // The restored text is unsaved: closing asks, and "いいえ(&N)" ends the program with no copy left.
    Activate(MainWindow(pid));
    Key(QStringLiteral("ctrl+F4"));
    ASSERT_TRUE(WaitFor([&] { return Windows(pid, QStringLiteral("^QuillonMacro$")).size() == 1; }));
    QThread::msleep(300);
    Key(QStringLiteral("alt+n"));
    EXPECT_TRUE(again->waitForFinished(15000));
    if (again->state() != QProcess::NotRunning) KillNow(*again);
    EXPECT_TRUE(QDir(installed.recovery).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(RecoveryEndToEnd, TwoEditorsKeepTheirOwnCopiesAndOnlyTheDeadOnesIsOffered) {
    const Installation installed;
    std::unique_ptr<QProcess> first = installed.Start();
    std::unique_ptr<QProcess> second = installed.Start();
    ASSERT_TRUE(first && second);
    const QString firstText = QStringLiteral("PRINT \"first editor\"");
    const QString secondText = QStringLiteral("PRINT \"second editor\"");
    Activate(MainWindow(first->processId()));
    TypeLines({firstText});
    Activate(MainWindow(second->processId()));
    TypeLines({secondText});
    ASSERT_TRUE(WaitFor([&] {
        return installed.SomeCopyIs(CopyBytes(firstText)) && installed.SomeCopyIs(CopyBytes(secondText));
    }));
    EXPECT_EQ(installed.CopyNames().size(), 2);

    KillNow(*first);
    std::unique_ptr<QProcess> third = installed.Start();
    ASSERT_TRUE(third);
    const qint64 pid = third->processId();
    ASSERT_TRUE(RestoreWithEnter(pid));
    EXPECT_EQ(TextThroughARun(pid, installed), (firstText + QStringLiteral("\r\n")).toUtf8());
    // No second question (the living editor's copy is not an orphan), and its copy is untouched.
    QThread::msleep(1000);
    EXPECT_TRUE(Windows(pid, QStringLiteral("^QuillonMacro$")).isEmpty());
    EXPECT_TRUE(installed.SomeCopyIs(CopyBytes(secondText)));
    EXPECT_EQ(installed.CopyNames().size(), 2); // the restored copy is the third editor's own now
    KillNow(*second);
    KillNow(*third);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
