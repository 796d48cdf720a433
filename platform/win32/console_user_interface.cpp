// The console runner's yield: the stop check on every call, the thread's message queue every ~10 ms.
#include "console_user_interface.h"

#include <windows.h>
// windows.h names a macro after the old cooperative yield of 16-bit Windows.
#undef Yield

namespace {
constexpr uint64_t kPumpIntervalMilliseconds = 10;
}

void ConsoleUserInterface::Yield() {
    RunYieldHook();
    const uint64_t now = GetTickCount64();
    if (now - lastPumpMilliseconds_ < kPumpIntervalMilliseconds) return;
    lastPumpMilliseconds_ = now;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
