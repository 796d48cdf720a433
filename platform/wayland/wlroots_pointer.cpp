// The virtual pointer of a wlroots compositor: absolute motion to a desktop (physical) pixel against the
// extent of the whole output layout, relative motion in physical pixels, buttons, each event closed by a
// frame.
#include "wlroots_pointer.h"

#include "monotonic_clock.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"
#include "wlroots_connection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cmath>

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

// The compositor places an absolute motion as a fraction of the layout's extent: the extent counts in
// 1/256 of a layout pixel, so a physical pixel of a scaled output is reached exactly.
void WlrootsPointer::MoveTo(int32_t x, int32_t y) {
    if (pointer_ == nullptr) return;
    const PhysicalLayout layout = connection_.Outputs().Physical();
    const ScreenRect desktop = layout.Desktop();
    const ScreenRect box = layout.LayoutBox();
    double layoutX = 0;
    double layoutY = 0;
    if (desktop.width <= 0 || desktop.height <= 0 || !layout.ToLayout(x, y, layoutX, layoutY)) return;
    x_ = std::clamp(x, 0, desktop.width - 1);
    y_ = std::clamp(y, 0, desktop.height - 1);
    placed_ = true;
    constexpr double kSteps = 256;
    zwlr_virtual_pointer_v1_motion_absolute(
        pointer_, Now(), static_cast<uint32_t>(std::lround((layoutX - box.left) * kSteps)),
        static_cast<uint32_t>(std::lround((layoutY - box.top) * kSteps)),
        static_cast<uint32_t>(box.width * kSteps), static_cast<uint32_t>(box.height * kSteps));
    Send();
}

// The compositor moves its pointer by the layout pixels asked (no acceleration applies to a virtual
// pointer) and stops it at the layout's edges, as the kept position does: a move of physical pixels is
// divided by the scale of the output the pointer is on.
void WlrootsPointer::MoveBy(int32_t dx, int32_t dy) {
    if (pointer_ == nullptr) return;
    const PhysicalLayout layout = connection_.Outputs().Physical();
    const ScreenRect desktop = layout.Desktop();
    const double scale = layout.ScaleAt(x_, y_);
    if (placed_ && desktop.width > 0 && desktop.height > 0) {
        x_ = std::clamp(x_ + dx, 0, desktop.width - 1);
        y_ = std::clamp(y_ + dy, 0, desktop.height - 1);
    }
    zwlr_virtual_pointer_v1_motion(pointer_, Now(), wl_fixed_from_double(dx / scale),
                                   wl_fixed_from_double(dy / scale));
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
