// The command-line run's user interface: its throttled yield to Qt's event loop.
#include "terminal_user_interface.h"

#include <QCoreApplication>

#include <chrono>

namespace {
constexpr int64_t kPumpIntervalNanoseconds = 10'000'000;
}

void TerminalUserInterface::Yield() {
    RunYieldHook();
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    if (now - lastPumpNanoseconds_ < kPumpIntervalNanoseconds) return;
    lastPumpNanoseconds_ = now;
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}
