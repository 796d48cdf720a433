// The desktop platform of a Linux session: Wayland when the session is a Wayland one and its compositor can
// be driven, X11 otherwise (an X11 session, or Xwayland's X clients when the compositor offers nothing).
// QUILLONMACRO_DESKTOP=x11 or =wayland overrides the choice. The emergency-stop key follows the same choice.
#include "desktop_platform_factory.h"

#include "process_starter.h"
#include "program_errors.h"
#include "stop_hotkey.h"
#include "sway_stop_key.h"
#include "wayland_platform_choice.h"
#include "x11_connection_loss.h"
#include "x11_desktop_platform.h"
#include "x11_input_watchdog.h"
#include "x11_window_style.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

// The desktop asked for: Wayland when QUILLONMACRO_DESKTOP says so, or when it does not say x11 and a Wayland
// display is named.
bool WaylandAsked() {
    const std::string_view choice = Environment("QUILLONMACRO_DESKTOP");
    return choice == "wayland" || (choice != "x11" && !Environment("WAYLAND_DISPLAY").empty());
}

// Said once a process, before the first key or mouse operation through Xwayland: the desktop's own windows
// do not get them, and a user watching a Wayland window would otherwise see nothing happen without a word.
void SayInputReachesXwaylandOnly() {
    static bool said = false;
    if (std::exchange(said, true)) return;
    std::fputs("Xwayland を通して操作します。キーとマウスの操作は、X11 のウィンドウにだけ届きます\n",
               ProgramErrors());
    std::fflush(ProgramErrors());
}

} // namespace

std::unique_ptr<DesktopPlatform> CreateDesktopPlatform() {
    // SHELL styles its programs' windows on the X display on either desktop: on a Wayland session the X
    // clients among them show through Xwayland.
    SetWindowStyleStep(ApplyWindowStyleLater);
    const std::string_view choice = Environment("QUILLONMACRO_DESKTOP");
    const bool wayland = WaylandAsked();
    if (wayland) {
        // Without the compositor's interfaces, X11 still reaches Xwayland's windows; with no X display
        // either, the Wayland platform says why nothing can be driven.
        const bool onlyWayland = choice == "wayland" || Environment("DISPLAY").empty();
        if (auto platform = CreateWaylandDesktopPlatform(onlyWayland)) return platform;
    }
    auto x11 = std::make_unique<X11DesktopPlatform>();
    x11->SetXwaylandInputNotice(SayInputReachesXwaylandOnly);
    return x11;
}

std::unique_ptr<StopHotkey> CreateEmergencyStopKey() {
    if (WaylandAsked() && !Environment("SWAYSOCK").empty()) return CreateSwayStopKey();
    return CreateStopHotkey();
}

void EnableInputWatchdog() {
    InputWatchdog::Enable();
}

bool StartedAsInputWatchdog(int argc, const char* const* argv) {
    return argc == 1 && std::strcmp(argv[0], kInputWatchdogName) == 0;
}

int RunAsInputWatchdog() {
    return RunInputWatchdog();
}

void KeepDesktopConnectionsAfterToolkit() {
    KeepWatchingAfterToolkit();
}
