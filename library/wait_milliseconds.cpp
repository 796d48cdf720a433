// The millisecond wait shared by WAIT, KBD and MUS: clock from the desktop platform (a steady clock when
// there is none), a yield to the GUI each turn, a short sleep while far from the end, an early end on stop.
#include "wait_milliseconds.h"

#include "desktop_platform.h"
#include "user_interface.h"

#include <chrono>
#include <thread>

namespace {

int32_t ReadClock(BuiltinServices& services) {
    if (services.desktop != nullptr) return services.desktop->MillisecondClock();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

} // namespace

void WaitMilliseconds(BuiltinServices& services, int32_t milliseconds) {
    const uint32_t start = static_cast<uint32_t>(ReadClock(services));
    while (true) {
        if (services.ui != nullptr) services.ui->Yield();
        if (milliseconds < 0) return;
        if (services.stopRequested && services.stopRequested()) return;
        const uint32_t now = static_cast<uint32_t>(ReadClock(services));
        // Unsigned subtraction gives the elapsed time across a wrap of the 32-bit clock.
        const uint32_t elapsed = now - start;
        if (elapsed > static_cast<uint32_t>(milliseconds)) return;
        // A short sleep between turns keeps a long wait from holding a whole processor core; the window
        // still gets a turn every millisecond or so.
        if (static_cast<uint32_t>(milliseconds) - elapsed > 1)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}
