// The virtual pointer of a wlroots compositor: absolute motion against the extent of the whole output layout
// (so desktop pixel (0, 0) is the layout's top-left corner), relative motion in pixels, buttons, each event
// closed by a frame.
#include "wlroots_pointer.h"

#include "monotonic_clock.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"
#include "wlroots_connection.h"

#include <wayland-client.h>

#include <algorithm>

namespace {

uint32_t Now() {
    return static_cast<uint32_t>(MonotonicMilliseconds());
}

} // namespace

WlrootsPointer::WlrootsPointer(WlrootsConnection& connection) : connection_(connection) {}

WlrootsPointer::~WlrootsPointer() {
    if (pointer_ != nullptr) zwlr_virtual_pointer_v1_destroy(pointer_);
}

bool WlrootsPointer::Open() {
    pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(connection_.PointerManager(),
                                                                      connection_.Seat());
    return connection_.Roundtrip();
}

void WlrootsPointer::Send() {
    zwlr_virtual_pointer_v1_frame(pointer_);
    connection_.Flush();
}

void WlrootsPointer::MoveTo(int32_t x, int32_t y) {
    if (pointer_ == nullptr) return;
    const ScreenRect box = connection_.Outputs().Box();
    if (box.width <= 0 || box.height <= 0) return;
    x_ = std::clamp(x, 0, box.width - 1);
    y_ = std::clamp(y, 0, box.height - 1);
    placed_ = true;
    zwlr_virtual_pointer_v1_motion_absolute(pointer_, Now(), static_cast<uint32_t>(x_),
                                            static_cast<uint32_t>(y_), static_cast<uint32_t>(box.width),
                                            static_cast<uint32_t>(box.height));
    Send();
}

// The compositor moves its pointer by the pixels asked (no acceleration applies to a virtual pointer) and
// stops it at the layout's edges, as the kept position does.
void WlrootsPointer::MoveBy(int32_t dx, int32_t dy) {
    if (pointer_ == nullptr) return;
    const ScreenRect box = connection_.Outputs().Box();
    if (placed_ && box.width > 0 && box.height > 0) {
        x_ = std::clamp(x_ + dx, 0, box.width - 1);
        y_ = std::clamp(y_ + dy, 0, box.height - 1);
    }
    zwlr_virtual_pointer_v1_motion(pointer_, Now(), wl_fixed_from_int(dx), wl_fixed_from_int(dy));
    Send();
}

void WlrootsPointer::Button(uint32_t button, bool down) {
    if (pointer_ == nullptr) return;
    zwlr_virtual_pointer_v1_button(pointer_, Now(), button,
                                   down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    Send();
}

bool WlrootsPointer::Position(int32_t& x, int32_t& y) const {
    x = x_;
    y = y_;
    return placed_;
}
