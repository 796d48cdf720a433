// A paused run waits in a local event loop; a stop request made any way ends the pause as a stop, seen by a
// short timer, so no stop is lost while paused.
#include "run_debugger_host.h"

#include "engine.h"

#include <QEventLoop>
#include <QTimer>

namespace {

constexpr int kStopLookMs = 50;

} // namespace

DebugStep EditorDebugHost::Paused(cMoMacro_Engine& engine, int32_t& line) {
    QEventLoop loop;
    loop_ = &loop;
    step_ = DebugStep::Continue;
    line_ = 0;
    QTimer stopLook;
    QObject::connect(&stopLook, &QTimer::timeout, &loop, [this, &engine] {
        if (engine.StopRequested()) Go(DebugStep::Stop);
    });
    stopLook.start(kStopLookMs);
    if (onPause) onPause(engine);
    if (loop_ != nullptr) loop.exec();
    loop_ = nullptr;
    if (onResume) onResume();
    line = line_;
    return step_;
}

bool EditorDebugHost::Go(DebugStep step, int32_t line) {
    if (loop_ == nullptr) return false;
    step_ = step;
    line_ = line;
    loop_->quit();
    loop_ = nullptr;
    return true;
}
