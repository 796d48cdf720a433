// WlrootsConnection: the globals of a wlroots compositor (or of KWin, whose own interfaces stand in for
// wlroots' there) this program binds, and every wait on the compositor bounded in time, so that a compositor
// that froze or went away makes the call fail instead of hanging.
#pragma once

#include "wlroots_outputs.h"

#include <cstdint>
#include <functional>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct zwp_virtual_keyboard_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_screencopy_manager_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct zxdg_output_manager_v1;
struct org_kde_kwin_fake_input;
struct zkde_screencast_unstable_v1;
struct org_kde_plasma_window_management;

class WlrootsConnection {
  public:
    // How long the compositor may take to answer before it is taken as gone.
    static constexpr int kAnswerLimitMs = 5000;

    explicit WlrootsConnection(wl_display* display);
    ~WlrootsConnection();
    WlrootsConnection(const WlrootsConnection&) = delete;
    WlrootsConnection& operator=(const WlrootsConnection&) = delete;

    // Reads the display's globals and binds those this program uses; false when the compositor does not
    // answer.
    bool BindGlobals();

    wl_display* Display() const { return display_; }
    wl_seat* Seat() const { return seat_; }
    wl_shm* Shm() const { return shm_; }
    zwp_virtual_keyboard_manager_v1* KeyboardManager() const { return keyboardManager_; }
    zwlr_virtual_pointer_manager_v1* PointerManager() const { return pointerManager_; }
    zwlr_screencopy_manager_v1* Screencopy() const { return screencopy_; }
    uint32_t ScreencopyVersion() const { return screencopyVersion_; }
    // The foreign top-level manager, bound on the first call: binding it makes the compositor announce every
    // window, which is only wanted once the window functions are used (and a listener is there to hear it).
    zwlr_foreign_toplevel_manager_v1* BindToplevels();
    WlrootsOutputs& Outputs() { return outputs_; }
    // KWin's: its fake input and screen cast, offered only to programs its desktop file allows; and whether
    // the compositor is KWin at all (it announces interfaces of its own to every program).
    org_kde_kwin_fake_input* FakeInput() const { return fakeInput_; }
    zkde_screencast_unstable_v1* Screencast() const { return screencast_; }
    bool IsKwin() const { return kwin_; }
    // KWin's window list, bound on the first call (binding it makes KWin announce every window).
    org_kde_plasma_window_management* BindPlasmaWindows();

    // True once the compositor has closed the connection, reported a protocol error or stopped answering.
    // Reads what has already arrived without waiting, so a closed socket is seen at once.
    bool Lost();
    // Sends what is queued; false when the compositor is gone or takes no data within the limit.
    bool Flush();
    // Handles the compositor's events until `done` is true; false when it is not within the limit (the
    // connection then counts as lost) or the connection breaks.
    bool WaitUntil(const std::function<bool()>& done, int limitMs = kAnswerLimitMs);
    // Waits until the compositor has handled everything sent so far and its answers have been read.
    bool Roundtrip();

    // The seat's capabilities (WL_SEAT_CAPABILITY_POINTER, _KEYBOARD) as announced (called by its listener).
    void SetSeatCapabilities(uint32_t capabilities) { seatCapabilities_ = capabilities; }
    // Whether the seat has both a keyboard and a pointer.
    bool SeatHasKeyboardAndPointer() const;
    // After this program's virtual devices joined the seat: waits until the seat has a keyboard and a
    // pointer, then gives its clients uptakeMs to take the devices up. A client takes a new device up only
    // once told of it; events sent before reach no window.
    void AwaitNewSeatDevices(int uptakeMs);

    // The registry's events (called by its listener).
    void GlobalAdded(uint32_t name, const char* interface, uint32_t version);
    void GlobalRemoved(uint32_t name);

  private:
    bool FlushWithin(int limitMs);
    void ReadWaiting();

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_shm* shm_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager_ = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager_ = nullptr;
    zwlr_screencopy_manager_v1* screencopy_ = nullptr;
    uint32_t screencopyVersion_ = 0;
    zwlr_foreign_toplevel_manager_v1* toplevels_ = nullptr;
    uint32_t toplevelsName_ = 0;
    uint32_t toplevelsVersion_ = 0;
    zxdg_output_manager_v1* xdgOutputManager_ = nullptr;
    org_kde_kwin_fake_input* fakeInput_ = nullptr;
    zkde_screencast_unstable_v1* screencast_ = nullptr;
    bool kwin_ = false;
    uint32_t plasmaWindowsName_ = 0;
    uint32_t plasmaWindowsVersion_ = 0;
    org_kde_plasma_window_management* plasmaWindows_ = nullptr;
    WlrootsOutputs outputs_;
    uint32_t seatCapabilities_ = 0;
    bool broken_ = false; // closed, or silent past the limit
};
