// The wlroots compositor's globals and the bounded waits on it: every read polls the socket with a time
// limit, and a closed socket, a protocol error or a compositor silent past the limit marks the connection
// lost for good.
#include "wlroots_connection.h"

#include "kde-fake-input-client.h"
#include "plasma-window-management-client.h"
#include "virtual-keyboard-unstable-v1-client.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client.h"
#include "wlr-screencopy-unstable-v1-client.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"
#include "xdg-output-unstable-v1-client.h"
#include "zkde-screencast-unstable-v1-client.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <thread>

namespace {

void OnGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
    static_cast<WlrootsConnection*>(data)->GlobalAdded(name, interface, version);
}

void OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
    static_cast<WlrootsConnection*>(data)->GlobalRemoved(name);
}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnCapabilities(void* data, wl_seat*, uint32_t capabilities) {
    static_cast<WlrootsConnection*>(data)->SetSeatCapabilities(capabilities);
}

void OnSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener = {OnCapabilities, OnSeatName};

int MillisecondsLeft(std::chrono::steady_clock::time_point end) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

} // namespace

WlrootsConnection::WlrootsConnection(wl_display* display) : display_(display) {}

WlrootsConnection::~WlrootsConnection() {
    if (keyboardManager_ != nullptr) zwp_virtual_keyboard_manager_v1_destroy(keyboardManager_);
    if (pointerManager_ != nullptr) zwlr_virtual_pointer_manager_v1_destroy(pointerManager_);
    if (screencopy_ != nullptr) zwlr_screencopy_manager_v1_destroy(screencopy_);
    if (toplevels_ != nullptr) zwlr_foreign_toplevel_manager_v1_destroy(toplevels_);
    if (fakeInput_ != nullptr) org_kde_kwin_fake_input_destroy(fakeInput_);
    if (screencast_ != nullptr) zkde_screencast_unstable_v1_destroy(screencast_);
    if (shm_ != nullptr) wl_shm_destroy(shm_);
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    // A compositor drops whatever it has not yet read from a client that hung up, so on a busy desktop the
    // last keys and clicks of a run would be lost: the connection closes only once everything sent is
    // handled.
    if (!Lost()) Roundtrip();
}

bool WlrootsConnection::BindGlobals() {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    // The first round brings the globals; the second the outputs' descriptions asked for on binding them.
    return Roundtrip() && Roundtrip();
}

void WlrootsConnection::GlobalAdded(uint32_t name, const char* interface, uint32_t version) {
    auto bind = [&](const wl_interface* kind, uint32_t highest) {
        return wl_registry_bind(registry_, name, kind, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat_ == nullptr) {
        seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 1));
        wl_seat_add_listener(seat_, &kSeatListener, this);
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && shm_ == nullptr) {
        shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        keyboardManager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
            bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        pointerManager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
            bind(&zwlr_virtual_pointer_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
        screencopyVersion_ = std::min(version, 3u);
        screencopy_ =
            static_cast<zwlr_screencopy_manager_v1*>(bind(&zwlr_screencopy_manager_v1_interface, 3));
    } else if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
        toplevelsName_ = name;
        toplevelsVersion_ = std::min(version, 3u);
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        outputs_.SetXdgManager(
            static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 3)));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        outputs_.Add(name, static_cast<wl_output*>(bind(&wl_output_interface, 2)));
    } else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
        // Keys need version 4 (keyboard_key); absolute moves came with 3.
        fakeInput_ = static_cast<org_kde_kwin_fake_input*>(bind(&org_kde_kwin_fake_input_interface, 4));
    } else if (std::strcmp(interface, zkde_screencast_unstable_v1_interface.name) == 0) {
        screencast_ =
            static_cast<zkde_screencast_unstable_v1*>(bind(&zkde_screencast_unstable_v1_interface, 1));
    } else if (std::strcmp(interface, org_kde_plasma_window_management_interface.name) == 0 &&
               version >= 13) {
        // Windows by uuid (window_with_uuid, get_window_by_uuid) came with version 13.
        plasmaWindowsName_ = name;
        plasmaWindowsVersion_ = std::min(version, 16u);
    }
    if (std::strcmp(interface, "org_kde_plasma_shell") == 0 ||
        std::strcmp(interface, "kde_output_device_v2") == 0)
        kwin_ = true;
}

zwlr_foreign_toplevel_manager_v1* WlrootsConnection::BindToplevels() {
    if (toplevels_ == nullptr && toplevelsName_ != 0)
        toplevels_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
            registry_, toplevelsName_, &zwlr_foreign_toplevel_manager_v1_interface, toplevelsVersion_));
    return toplevels_;
}

org_kde_plasma_window_management* WlrootsConnection::BindPlasmaWindows() {
    if (plasmaWindows_ == nullptr && plasmaWindowsName_ != 0)
        plasmaWindows_ = static_cast<org_kde_plasma_window_management*>(
            wl_registry_bind(registry_, plasmaWindowsName_, &org_kde_plasma_window_management_interface,
                             plasmaWindowsVersion_));
    return plasmaWindows_;
}

void WlrootsConnection::GlobalRemoved(uint32_t name) {
    outputs_.Remove(name);
}

// Whatever the compositor has sent is read without waiting; reading a closed socket sets the display's
// error.
void WlrootsConnection::ReadWaiting() {
    if (broken_ || wl_display_get_error(display_) != 0) return;
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0) return;
    pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&fd, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0) {
            broken_ = true;
            return;
        }
    } else {
        wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0) broken_ = true;
}

bool WlrootsConnection::Lost() {
    ReadWaiting();
    return broken_ || wl_display_get_error(display_) != 0;
}

bool WlrootsConnection::FlushWithin(int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (true) {
        if (wl_display_flush(display_) >= 0) return true;
        if (errno != EAGAIN) break;
        pollfd fd{wl_display_get_fd(display_), POLLOUT, 0};
        const int ready = poll(&fd, 1, MillisecondsLeft(end));
        if (ready == 0) break;
        if (ready < 0 && errno != EINTR) break;
    }
    broken_ = true;
    return false;
}

bool WlrootsConnection::Flush() {
    if (Lost()) return false;
    return FlushWithin(kAnswerLimitMs);
}

bool WlrootsConnection::WaitUntil(const std::function<bool()>& done, int limitMs) {
    if (Lost()) return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (true) {
        if (wl_display_dispatch_pending(display_) < 0) return false;
        if (done()) return true;
        while (wl_display_prepare_read(display_) != 0)
            if (wl_display_dispatch_pending(display_) < 0) return false;
        if (!FlushWithin(MillisecondsLeft(end))) {
            wl_display_cancel_read(display_);
            return false;
        }
        pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
        const int ready = poll(&fd, 1, MillisecondsLeft(end));
        if (ready <= 0) {
            wl_display_cancel_read(display_);
            if (ready < 0 && errno == EINTR) continue;
            // Silent past the limit: a compositor that froze is treated as one that went away.
            broken_ = true;
            return false;
        }
        if (wl_display_read_events(display_) < 0) {
            broken_ = true;
            return false;
        }
    }
}

bool WlrootsConnection::Roundtrip() {
    bool done = false;
    wl_callback* callback = wl_display_sync(display_);
    static const wl_callback_listener kListener = {
        [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &kListener, &done);
    const bool answered = WaitUntil([&] { return done; });
    wl_callback_destroy(callback);
    return answered;
}

bool WlrootsConnection::SeatHasKeyboardAndPointer() const {
    const uint32_t both = WL_SEAT_CAPABILITY_POINTER | WL_SEAT_CAPABILITY_KEYBOARD;
    return (seatCapabilities_ & both) == both;
}

void WlrootsConnection::AwaitNewSeatDevices(int uptakeMs) {
    WaitUntil([&] { return SeatHasKeyboardAndPointer(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(uptakeMs));
    Roundtrip();
}
