// EditorDebugHost: the editor's side of a paused run. The run goes on the window's own thread, so a pause is
// a local event loop that keeps the window working until the user says how to go on (or the run is stopped
// by any of its ways: Stop, Esc, Pause, the end of the session).
#pragma once

#include "run_debugger.h"

#include <functional>

class QEventLoop;

class EditorDebugHost : public DebugHost {
  public:
    // The window shows the pause (the engine may be read until onResume), and the run going on again.
    std::function<void(cMoMacro_Engine&)> onPause;
    std::function<void()> onResume;

    DebugStep Paused(cMoMacro_Engine& engine, int32_t& line) override;
    // Ends the pause with this command; false when no run is paused.
    bool Go(DebugStep step, int32_t line = 0);
    bool IsPaused() const { return loop_ != nullptr; }

  private:
    QEventLoop* loop_ = nullptr;
    DebugStep step_ = DebugStep::Continue;
    int32_t line_ = 0;
};
