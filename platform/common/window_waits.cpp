// The window commands of system-command numbers and the polling waits of the window parts.
#include "window_waits.h"

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

bool SamePlacement(const WindowPlacement& a, const WindowPlacement& b) {
    return a.showState == b.showState && a.left == b.left && a.top == b.top && a.right == b.right &&
           a.bottom == b.bottom;
}

WindowCommand WindowCommandOf(int32_t command) {
    switch (command & 0xFFF0) {
    case 0xF030:
        return WindowCommand::Maximize;
    case 0xF020:
        return WindowCommand::Minimize;
    case 0xF120:
        return WindowCommand::Restore;
    case 0xF060:
        return WindowCommand::Close;
    default:
        return WindowCommand::Other;
    }
}

bool PollUntil(const std::function<bool()>& condition, int limitMs, int stepMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
    while (true) {
        if (condition()) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
}

void WaitForNewPlacement(const std::function<bool(WindowPlacement&)>& read, const WindowPlacement& target,
                         const WindowPlacement& before, int limitMs) {
    auto lastChange = Clock::now();
    WindowPlacement last = before;
    PollUntil(
        [&] {
            WindowPlacement now;
            if (!read(now) || SamePlacement(now, target)) return true;
            const auto time = Clock::now();
            if (!SamePlacement(now, last)) {
                last = now;
                lastChange = time;
                return false;
            }
            return !SamePlacement(now, before) && time - lastChange > std::chrono::milliseconds(100);
        },
        limitMs);
}
