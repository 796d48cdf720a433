// Helpers of the tests that drive the real QuillonMacro program on the test display with synthetic X events
// (xdotool): waiting, finding its windows, keys and typing, and a private copy of the program laid out as
// installed, with its own buffer file and state folder.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>

namespace program_driver {

// Runs xdotool and returns what it printed ("" when it did not finish within 10 s).
inline QString Tool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QThread::msleep(50);
    }
    return true;
}

// The visible windows of a process, optionally only those with the given title (a regular expression).
inline QStringList Windows(qint64 pid, const QString& name = {}) {
    QStringList args{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                     QString::number(pid)};
    if (!name.isEmpty()) args << QStringLiteral("--all") << QStringLiteral("--name") << name;
    const QString out = Tool(args);
    return out.isEmpty() ? QStringList() : out.split(u'\n');
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void Key(const QString& key) {
    Tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}

inline void Activate(const QString& window) {
    Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    QThread::msleep(300);
}

// Types the lines into the active window, one Return between them.
inline void TypeLines(const QStringList& lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) Key(QStringLiteral("Return"));
        Tool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), lines[i]});
    }
}

// The editor window ("Quillonマクロ…"), told from the question boxes ("QuillonMacro") by its title.
inline QString MainWindow(qint64 pid) {
    for (const QString& window : Windows(pid))
        if (Tool({QStringLiteral("getwindowname"), window}).startsWith(QStringLiteral("Quillonマクロ")))
            return window;
    return {};
}

// A copy of the built program laid out as installed (the program in bin/, its parts beside it) in a private
// folder, so its buffer file is the test's own, and a private state folder for its recovery copies.
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

    // The names of the recovery copies in the state folder, and whether one holds exactly these bytes.
    QStringList CopyNames() const {
        return QDir(recovery).entryList({QStringLiteral("*.recovery")}, QDir::Files, QDir::Name);
    }
    bool SomeCopyIs(const QByteArray& bytes) const {
        for (const QString& name : CopyNames())
            if (ReadAll(QDir(recovery).filePath(name)) == bytes) return true;
        return false;
    }

    // Starts the editor and returns it once its main window is visible (nullptr when it did not start).
    std::unique_ptr<QProcess> Start(const QStringList& arguments = {}) const {
        auto editor = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        editor->setProcessEnvironment(env);
        editor->start(program, arguments);
        if (!editor->waitForStarted(10000)) return nullptr;
        const qint64 pid = editor->processId();
        if (!WaitFor([&] { return !MainWindow(pid).isEmpty(); })) return nullptr;
        return editor;
    }
};

// The file of a recovery copy of a text that belongs to no file.
inline QByteArray CopyBytes(const QString& text) {
    return QByteArrayLiteral("QuillonMacro recovery copy 1\nfile: \n\n") + text.toUtf8();
}

// Answers the restore question of a starting editor with Enter (its default button, "復元").
inline bool RestoreWithEnter(qint64 pid) {
    QStringList box;
    if (!WaitFor([&] { return !(box = Windows(pid, QStringLiteral("^QuillonMacro$"))).isEmpty(); }))
        return false;
    Activate(box.first());
    Key(QStringLiteral("Return"));
    return WaitFor([&] { return Windows(pid, QStringLiteral("^QuillonMacro$")).isEmpty(); });
}

// Runs the editor text with F5: the run writes the text to the buffer file first.
inline QByteArray TextThroughARun(qint64 pid, const Installation& installed) {
    QFile::remove(installed.buffer);
    Activate(MainWindow(pid));
    Key(QStringLiteral("F5"));
    WaitFor([&] { return QFile::exists(installed.buffer); });
    QThread::msleep(300);
    return ReadAll(installed.buffer);
}

} // namespace program_driver
