// The sway tests' clients and observers: the recorder (Debian's python3 with PyGObject, GDK_BACKEND
// wayland), the QuillonMacro program on a macro file, and swaymsg for sway's tree.
#include "sway_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cstdlib>

bool SwayRunning() {
    return std::getenv("WAYLAND_DISPLAY") != nullptr && std::getenv("SWAYSOCK") != nullptr;
}

Recorder::Recorder(const QString& appId, const QString& title, bool fullscreen, const QString& picture) {
    out_ = dir_.filePath(QStringLiteral("events.jsonl"));
    QStringList arguments = {QStringLiteral(QM_RECORDER),
                             QStringLiteral("--out"),
                             out_,
                             QStringLiteral("--app-id"),
                             appId,
                             QStringLiteral("--title"),
                             title};
    if (fullscreen) arguments << QStringLiteral("--fullscreen");
    if (!picture.isEmpty()) arguments << QStringLiteral("--picture") << picture;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"), arguments);
    QElapsedTimer waited;
    waited.start();
    while (!ready_ && waited.elapsed() < 15000 && process_.state() != QProcess::NotRunning) {
        QThread::msleep(30);
        for (const rapidjson::Document& event : Events(0))
            if (SwayText(event, "/event") == "ready") ready_ = true;
    }
    if (ready_) Clear();
}

Recorder::~Recorder() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

std::vector<rapidjson::Document> Recorder::Events(int settleMs) const {
    if (settleMs > 0) QThread::msleep(static_cast<unsigned long>(settleMs));
    std::vector<rapidjson::Document> events;
    QFile file(out_);
    if (!file.open(QIODevice::ReadOnly)) return events;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty()) events.push_back(SwayJsonOf(line.toStdString()));
    return events;
}

namespace {

std::string KeysOf(const std::vector<rapidjson::Document>& events) {
    std::string keys;
    for (const rapidjson::Document& event : events) {
        if (SwayText(event, "/event") != "key") continue;
        if (!keys.empty()) keys += ' ';
        keys += (SwayTrue(event, "/down") ? "+" : "-") + SwayText(event, "/keyval");
    }
    return keys;
}

} // namespace

std::string Recorder::Keys(int settleMs) const {
    return KeysOf(Events(settleMs));
}

std::string Recorder::KeysAwaited(const std::string& expected) const {
    return KeysOf(EventsAwaited(
        [&expected](const std::vector<rapidjson::Document>& events) { return KeysOf(events) == expected; }));
}

std::vector<rapidjson::Document>
Recorder::EventsAwaited(const std::function<bool(const std::vector<rapidjson::Document>&)>& done) const {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000 && !done(Events(0))) QThread::msleep(30);
    return Events();
}

void Recorder::Clear() {
    QFile file(out_);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

MacroRun RunMacro(const std::string& text, int limitMs) {
    MacroRun run;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.qlx"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return run;
    file.write(QByteArray::fromStdString(text));
    file.close();
    QProcess program;
    program.start(QStringLiteral(QM_PROGRAM), {path});
    if (!program.waitForFinished(limitMs)) {
        program.kill();
        program.waitForFinished();
        run.err = "did not end within the limit";
        return run;
    }
    run.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    run.out = program.readAllStandardOutput().toStdString();
    run.err = program.readAllStandardError().toStdString();
    return run;
}

rapidjson::Document SwayMessage(const QStringList& arguments) {
    QProcess message;
    message.start(QStringLiteral("swaymsg"), QStringList{QStringLiteral("-r")} + arguments);
    if (!message.waitForFinished(5000)) return rapidjson::Document();
    return SwayJsonOf(message.readAllStandardOutput().toStdString());
}

rapidjson::Document SwayTree() {
    return SwayMessage({QStringLiteral("-t"), QStringLiteral("get_tree")});
}

namespace {

const rapidjson::Value* FindIn(const rapidjson::Value& node, const std::string& appId) {
    if (SwayText(node, "/app_id") == appId) return &node;
    for (const char* list : {"/nodes", "/floating_nodes"})
        for (const rapidjson::Value& child : SwayItems(node, list))
            if (const rapidjson::Value* found = FindIn(child, appId)) return found;
    return nullptr;
}

} // namespace

const rapidjson::Value* SwayWindow(const rapidjson::Value& tree, const std::string& appId) {
    return FindIn(tree, appId);
}

bool WaitForSwayWindow(const std::string& appId) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        const rapidjson::Document tree = SwayTree();
        if (SwayWindow(tree, appId) != nullptr) return true;
        QThread::msleep(50);
    }
    return false;
}
