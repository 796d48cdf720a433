// The tracking of keys and buttons held by a macro and their release at the end of its run.
#include "held_input.h"

#include "desktop_platform.h"

namespace {

// Each button as its down bit and its up bit.
struct ButtonBits {
    uint32_t down;
    uint32_t up;
};
constexpr ButtonBits kButtons[] = {
    {DesktopPlatform::kMouseLeftDown, DesktopPlatform::kMouseLeftUp},
    {DesktopPlatform::kMouseRightDown, DesktopPlatform::kMouseRightUp},
    {DesktopPlatform::kMouseMiddleDown, DesktopPlatform::kMouseMiddleUp},
};

} // namespace

void HeldInput::MouseButtons(uint32_t flags) {
    for (const ButtonBits& button : kButtons) {
        if ((flags & button.down) != 0) buttons_ |= button.down;
        if ((flags & button.up) != 0) buttons_ &= ~button.down;
    }
}

void HeldInput::ReleaseAll(DesktopPlatform& desktop) {
    // Buttons first: a drag that was cut short ends where the pointer is, before any modifier goes up.
    for (const ButtonBits& button : kButtons)
        if ((buttons_ & button.down) != 0) desktop.SendMouseEvent(button.up, 0, 0);
    buttons_ = 0;
    for (size_t key = keys_.size(); key-- > 0;)
        if (keys_.test(key)) desktop.SendKeyEvent(static_cast<uint8_t>(key), DesktopPlatform::kKeyUp, 0);
    keys_.reset();
}
