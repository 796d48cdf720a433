// The Wayland desktop platform: key codes become the keys of the compositor's layout, mouse flags become
// pointer motions and buttons, and key state is what this program holds down (Wayland tells no program the
// keyboard's state). Everything else is handed to the compositor's session or the common parts.
#include "wayland_desktop_platform.h"

#include "absolute_mouse_space.h"
#include "codepage.h"
#include "image_file.h"
#include "monotonic_clock.h"
#include "wayland_layout_keys.h"
#include "xkb_virtual_keys.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <algorithm>

namespace {

constexpr uint32_t kSentAsKeySym = 0x40000000;
constexpr uint32_t kSentAsButton = 0x20000000;
constexpr uint32_t kSentMask = 0x0FFFFFFF;

// Without a session the compositor is neither a wlroots one nor GNOME (weston, for example): each part says
// which of the interfaces it looked for are missing, so the user knows what the desktop would have to offer.
const char16_t kNoInputInterfaces[] =
    u"このデスクトップ（Wayland）には、ほかのプログラムからキーとマウスを受け取る仕組み（仮想キーボード "
    u"zwp_virtual_keyboard_manager_v1 と仮想ポインター zwlr_virtual_pointer_manager_v1、GNOME の"
    u"リモートデスクトップ、または KDE の org_kde_kwin_fake_input）がありません";
const char16_t kNoScreenInterfaces[] =
    u"このデスクトップ（Wayland）には、ほかのプログラムに画面の映像を渡す仕組み（zwlr_screencopy_manager_v1、"
    u"GNOME の画面の配信、または KDE の zkde_screencast_unstable_v1）がありません";
const char16_t kNoWindowInterfaces[] =
    u"このデスクトップ（Wayland）には、ほかのプログラムにウィンドウを見せる仕組み（"
    u"zwlr_foreign_toplevel_manager_v1、GNOME Shell、または KDE の "
    u"org_kde_plasma_window_management）がありません";

const char16_t* NoSessionReason(DesktopPart part) {
    switch (part) {
    case DesktopPart::Input:
        return kNoInputInterfaces;
    case DesktopPart::Screen:
        return kNoScreenInterfaces;
    case DesktopPart::Windows:
        return kNoWindowInterfaces;
    }
    return kNoInputInterfaces;
}

size_t PartIndex(DesktopPart part) {
    return static_cast<size_t>(part);
}

// The Linux button of an X pointer button (1 left, 2 middle, 3 right, 8 back, 9 forward); 0 for others.
uint32_t LinuxButton(int xButton) {
    switch (xButton) {
    case 1:
        return BTN_LEFT;
    case 2:
        return BTN_MIDDLE;
    case 3:
        return BTN_RIGHT;
    case 8:
        return BTN_SIDE;
    case 9:
        return BTN_EXTRA;
    default:
        return 0;
    }
}

} // namespace

WaylandDesktopPlatform::WaylandDesktopPlatform(wl_display* display,
                                               std::unique_ptr<CompositorSession> session)
    : display_(display), session_(std::move(session)) {}

WaylandDesktopPlatform::~WaylandDesktopPlatform() {
    if (opened_[PartIndex(DesktopPart::Input)] && !DisplayLost()) ReleaseHeldKeys();
    session_.reset();
    if (display_ != nullptr) wl_display_disconnect(display_);
}

bool WaylandDesktopPlatform::HasDisplay() const {
    return (display_ != nullptr || session_) && !DisplayLost();
}

bool WaylandDesktopPlatform::DisplayLost() const {
    return (display_ != nullptr && wl_display_get_error(display_) != 0) || (session_ && session_->Lost());
}

std::u16string WaylandDesktopPlatform::PartUnavailable(DesktopPart part) {
    if (!session_) return NoSessionReason(part);
    bool& opened = opened_[PartIndex(part)];
    if (opened) return {};
    std::u16string why;
    switch (part) {
    case DesktopPart::Input:
        why = session_->Input().Open();
        break;
    case DesktopPart::Screen:
        why = session_->Screen().Open();
        break;
    case DesktopPart::Windows:
        why = session_->Windows().Open();
        break;
    }
    opened = why.empty();
    return why;
}

bool WaylandDesktopPlatform::Ready(DesktopPart part) {
    return HasDisplay() && PartUnavailable(part).empty();
}

const WaylandLayoutKeys& WaylandDesktopPlatform::LayoutKeys() {
    if (!layoutKeys_) {
        std::string layout;
        std::string variant;
        session_->Input().KeyboardLayout(layout, variant);
        layoutKeys_ = std::make_unique<WaylandLayoutKeys>(layout, variant);
    }
    return *layoutKeys_;
}

// Keys still down at the end of a run go up, so nothing of the run stays held.
void WaylandDesktopPlatform::EndOfRun() {
    if (!opened_[PartIndex(DesktopPart::Input)] || !HasDisplay()) return;
    ReleaseHeldKeys();
    session_->Input().EndOfRun();
}

void WaylandDesktopPlatform::ReleaseHeldKeys() {
    for (int code = 0; code < 256; ++code)
        if (pressed_.IsDown(static_cast<uint8_t>(code))) SendKey(static_cast<uint8_t>(code), false);
}

void WaylandDesktopPlatform::SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t) {
    if (Ready(DesktopPart::Input)) SendKey(virtualKey, (flags & kKeyUp) == 0);
}

// What a key-down of the code presses: a Linux input code, a keysym (with kSentAsKeySym) or a button (with
// kSentAsButton); 0 for a code with neither a key on the layout nor a keysym.
uint32_t WaylandDesktopPlatform::KeyToPress(uint8_t virtualKey) {
    const WaylandLayoutKeys& keys = LayoutKeys();
    const uint32_t button = LinuxButton(PointerButtonOfVirtualKey(virtualKey));
    const uint32_t keysym = static_cast<uint32_t>(KeySymOfVirtualKey(virtualKey));
    if (button != 0) return button | kSentAsButton;
    if (keys.HasNoKey(virtualKey)) return 0;
    if (keys.EvdevCodeOf(virtualKey) != 0 && !DependsOnNumLock(virtualKey))
        return keys.EvdevCodeOf(virtualKey);
    if (keysym != 0 && keys.EvdevCodeOfKeySym(keysym) != 0) return keys.EvdevCodeOfKeySym(keysym);
    if (keysym != 0) return keysym | kSentAsKeySym;
    return 0;
}

// A key-up sends what the key-down sent. The compositor counts every press of a key and lets it go only
// after as many releases, so a key-down of a key held already is never passed on as a second press.
void WaylandDesktopPlatform::SendKey(uint8_t virtualKey, bool down) {
    if (!down) {
        if (const uint32_t key = pressed_.Up(virtualKey); key != 0) SendToCompositor(key, false);
        return;
    }
    const uint32_t key = pressed_.IsDown(virtualKey) ? pressed_.KeyOf(virtualKey) : KeyToPress(virtualKey);
    if (key == 0) return;
    if (!pressed_.IsDown(virtualKey)) CountPress(virtualKey);
    SendKeyDown(pressed_.Down(virtualKey, key), [&](bool down) { SendToCompositor(key, down); });
}

void WaylandDesktopPlatform::SendToCompositor(uint32_t key, bool down) {
    CompositorInput& input = session_->Input();
    if ((key & kSentAsButton) != 0)
        input.Button(key & kSentMask, down);
    else if ((key & kSentAsKeySym) != 0)
        input.KeySym(key & kSentMask, down);
    else
        input.Key(key, down);
}

void WaylandDesktopPlatform::SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) {
    if (!Ready(DesktopPart::Input)) return;
    CompositorInput& input = session_->Input();
    if ((flags & kMouseMove) != 0) {
        if ((flags & kMouseAbsolute) != 0) {
            ScreenRect primary;
            PrimaryMonitor(primary);
            input.MoveTo(PixelOfAbsolutePosition(dx, primary.left, primary.width),
                         PixelOfAbsolutePosition(dy, primary.top, primary.height));
        } else {
            input.MoveBy(dx, dy);
        }
    }
    struct ButtonBit {
        uint32_t flag;
        uint32_t button;
        bool down;
    };
    static constexpr ButtonBit kBits[] = {
        {kMouseLeftDown, BTN_LEFT, true},     {kMouseLeftUp, BTN_LEFT, false},
        {kMouseRightDown, BTN_RIGHT, true},   {kMouseRightUp, BTN_RIGHT, false},
        {kMouseMiddleDown, BTN_MIDDLE, true}, {kMouseMiddleUp, BTN_MIDDLE, false}};
    for (const ButtonBit& bit : kBits)
        if ((flags & bit.flag) != 0) input.Button(bit.button, bit.down);
}

// Only this program's own keys can be known: bit 15 while it holds the key down (the shared codes of Shift,
// Ctrl and Alt for either side), bit 0 when it pressed the key since the previous query of that code, as X11
// and Windows count the program's own presses too. What the user presses is never seen.
uint16_t WaylandDesktopPlatform::AsyncKeyState(int32_t virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    const uint8_t code = static_cast<uint8_t>(virtualKey);
    bool down = pressed_.IsDown(code);
    if (const uint8_t left = LeftSideOfModifier(code); left != 0)
        down = down || pressed_.IsDown(left) || pressed_.IsDown(static_cast<uint8_t>(left + 1));
    const bool pressed = pressedSinceQuery_[code];
    pressedSinceQuery_[code] = false;
    return static_cast<uint16_t>((down ? 0x8000 : 0) | (pressed ? 1 : 0));
}

// A press counts for its own code and for the code it shares: VK_LSHIFT and VK_RSHIFT for VK_SHIFT, and
// VK_SHIFT (which presses the left key) for VK_LSHIFT; the same for Ctrl and Alt.
void WaylandDesktopPlatform::CountPress(uint8_t virtualKey) {
    pressedSinceQuery_[virtualKey] = true;
    pressedSinceQuery_[CommonModifierCode(virtualKey)] = true;
    if (const uint8_t left = LeftSideOfModifier(virtualKey); left != 0) pressedSinceQuery_[left] = true;
}

void WaylandDesktopPlatform::SetPointerPosition(int32_t x, int32_t y) {
    if (!Ready(DesktopPart::Input)) return;
    int32_t width = 0;
    int32_t height = 0;
    ScreenSize(width, height);
    if (width > 0 && height > 0) {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
    }
    session_->Input().MoveTo(x, y);
}

bool WaylandDesktopPlatform::PointerPosition(int32_t& x, int32_t& y) {
    x = y = 0;
    return Ready(DesktopPart::Input) && session_->Input().PointerPosition(x, y);
}

bool WaylandDesktopPlatform::TopLevelWindowAt(int32_t x, int32_t y, WindowDescription& out) {
    return TopLevelWindowAtExcept(x, y, 0, out);
}

bool WaylandDesktopPlatform::TopLevelWindowAtExcept(int32_t x, int32_t y, int32_t lookedThrough,
                                                    WindowDescription& out) {
    return Ready(DesktopPart::Windows) && session_->Windows().TopLevelAt(x, y, lookedThrough, out);
}

int WaylandDesktopPlatform::CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height,
                                          PixelGrid& out) {
    if (width <= 0 || height <= 0 || !Ready(DesktopPart::Screen)) return 5;
    return session_->Screen().Capture(ScreenRect{left, top, width, height}, out);
}

int WaylandDesktopPlatform::VirtualKeyOfNativeKey(uint32_t nativeScanCode) {
    if (!session_) return 0;
    // Key messages name a modifier by its common code.
    return CommonModifierCode(LayoutKeys().VirtualKeyOfKeycode(nativeScanCode));
}

int32_t WaylandDesktopPlatform::FindTopLevelWindow(const std::u16string& className,
                                                   const std::u16string* title) {
    if (!Ready(DesktopPart::Windows)) return 0;
    const std::string titleText = title != nullptr ? ToUtf8(*title) : std::string();
    return session_->Windows().Find(ToUtf8(className), title != nullptr ? &titleText : nullptr);
}

bool WaylandDesktopPlatform::GetPlacement(int32_t window, WindowPlacement& out) {
    return Ready(DesktopPart::Windows) && session_->Windows().Placement(window, out);
}

void WaylandDesktopPlatform::MoveWindow(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (Ready(DesktopPart::Windows)) session_->Windows().Move(window, x, y, width, height);
}

int32_t WaylandDesktopPlatform::SendSystemCommand(int32_t window, int32_t command) {
    return Ready(DesktopPart::Windows) ? session_->Windows().Command(window, command) : 0;
}

// The desktop's size and monitors need no picture: a session that knows them before its screen is set up
// (KWin and wlroots name their outputs to every client) answers at once, so MUS's absolute moves never wait
// on, or fail with, the screen's stream.
void WaylandDesktopPlatform::ScreenSize(int32_t& width, int32_t& height) {
    width = height = 0;
    if (HasDisplay() && session_ && session_->Screen().Size(width, height)) return;
    if (Ready(DesktopPart::Screen) && !session_->Screen().Size(width, height)) width = height = 0;
}

bool WaylandDesktopPlatform::PrimaryMonitor(ScreenRect& out) {
    out = ScreenRect{};
    if (HasDisplay() && session_ && session_->Screen().Primary(out)) return out.width > 0 && out.height > 0;
    out = ScreenRect{};
    if (!Ready(DesktopPart::Screen)) return false;
    if (!session_->Screen().Primary(out)) {
        out = ScreenRect{};
        session_->Screen().Size(out.width, out.height);
    }
    return out.width > 0 && out.height > 0;
}

int32_t WaylandDesktopPlatform::ReadPixel(int32_t x, int32_t y) {
    int32_t width = 0;
    int32_t height = 0;
    ScreenSize(width, height);
    if (x < 0 || y < 0 || x >= width || y >= height) return -1;
    PixelGrid pixel;
    if (session_->Screen().Capture(ScreenRect{x, y, 1, 1}, pixel) != 0 || pixel.bgra.size() < 4) return -1;
    const uint8_t* p = pixel.Pixel(0, 0);
    return static_cast<int32_t>(p[2]) | (static_cast<int32_t>(p[1]) << 8) |
           (static_cast<int32_t>(p[0]) << 16);
}

int WaylandDesktopPlatform::CaptureScreen(PixelGrid& out) {
    int32_t width = 0;
    int32_t height = 0;
    ScreenSize(width, height);
    if (width <= 0 || height <= 0) return 5;
    return session_->Screen().Capture(ScreenRect{0, 0, width, height}, out);
}

int WaylandDesktopPlatform::LoadImageFile(const std::u16string& path, PixelGrid& out) {
    return LoadImageFileToGrid(path, out);
}

int WaylandDesktopPlatform::StartProcess(const std::u16string& commandLine, int32_t windowStyle,
                                         double& processId) {
    return processes_.Start(commandLine, windowStyle, processId);
}

int32_t WaylandDesktopPlatform::MillisecondClock() {
    return MonotonicMilliseconds();
}

int32_t WaylandDesktopPlatform::SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) {
    return media_.Send(command, waitTurn);
}
