// The X11 desktop platform: the display connection, the keyboard, mouse, key-state and window operations
// handed to their parts, and the operations handed on to the screen, process, clock, image and sound parts.
#include "x11_desktop_platform.h"

#include "codepage.h"
#include "image_file.h"
#include "monotonic_clock.h"
#include "x11_connection_loss.h"
#include "x11_input_recording.h"
#include "x11_key_state.h"
#include "x11_keyboard.h"
#include "x11_layout_keys.h"
#include "x11_monitors.h"
#include "x11_mouse.h"
#include "x11_windows.h"
#include "xkb_virtual_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <utility>

namespace {

const char16_t kScreenThroughXwayland[] =
    u"Xwayland を通しては画面を読み取れません（このデスクトップは、ほかのプログラム"
    u"に画面の映像を渡しません）";

} // namespace

X11DesktopPlatform::X11DesktopPlatform() {
    display_ = OpenWatchedDisplay(nullptr, lost_);
    if (display_ == nullptr) return;
    keyboard_ = std::make_unique<X11Keyboard>(display_);
    mouse_ = std::make_unique<X11Mouse>(display_);
    keyState_ = std::make_unique<X11KeyState>(DisplayString(display_), lost_);
    windows_ = std::make_unique<X11Windows>(display_);
    screen_ = std::make_unique<X11Screen>(display_);
    monitors_ = std::make_unique<X11Monitors>(display_);
}

// A lost server cannot take the key-ups of keys still down nor the unbinding of lent keycodes: the parts
// forget them without a request, and the connections are only closed.
X11DesktopPlatform::~X11DesktopPlatform() {
    if (display_ != nullptr && !Live()) {
        keyboard_->ForgetServer();
        screen_->ForgetServer();
    }
    nativeKeys_.reset();
    monitors_.reset();
    screen_.reset();
    windows_.reset();
    keyState_.reset();
    mouse_.reset();
    keyboard_.reset();
    CloseWatchedDisplay(display_);
}

std::u16string X11DesktopPlatform::PartUnavailable(DesktopPart part) {
    if (!Live() || !ServedByXwayland()) return {};
    if (part == DesktopPart::Screen) return kScreenThroughXwayland;
    if (part == DesktopPart::Input && xwaylandInputNotice_) std::exchange(xwaylandInputNotice_, nullptr)();
    return {};
}

// The extra information has nowhere to go in an X key event; the events themselves are what counts.
void X11DesktopPlatform::EndOfRun() {
    if (Live()) keyboard_->EndOfRun();
}

void X11DesktopPlatform::SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t) {
    if (!Live()) return;
    keyboard_->Send(virtualKey, (flags & kKeyUp) == 0);
    if (Live()) keyState_->Drain();
}

void X11DesktopPlatform::SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) {
    if (Live()) mouse_->Send(flags, dx, dy);
}

uint16_t X11DesktopPlatform::AsyncKeyState(int32_t virtualKey) {
    return Live() ? keyState_->Query(virtualKey) : 0;
}

void X11DesktopPlatform::SetPointerPosition(int32_t x, int32_t y) {
    if (Live()) mouse_->Place(x, y);
}

bool X11DesktopPlatform::PointerPosition(int32_t& x, int32_t& y) {
    x = y = 0;
    return Live() && mouse_->Position(x, y);
}

bool X11DesktopPlatform::TopLevelWindowAt(int32_t x, int32_t y, WindowDescription& out) {
    return TopLevelWindowAtExcept(x, y, 0, out);
}

bool X11DesktopPlatform::TopLevelWindowAtExcept(int32_t x, int32_t y, int32_t lookedThrough,
                                                WindowDescription& out) {
    return Live() && windows_->TopLevelAt(x, y, static_cast<XID>(static_cast<uint32_t>(lookedThrough)), out);
}

int X11DesktopPlatform::CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height,
                                      PixelGrid& out) {
    return Live() ? screen_->CaptureRegion(left, top, width, height, out) : 5;
}

std::unique_ptr<InputRecording> X11DesktopPlatform::StartInputRecording() {
    return Live() ? StartX11InputRecording(DisplayString(display_)) : nullptr;
}

int X11DesktopPlatform::VirtualKeyOfNativeKey(uint32_t nativeScanCode) {
    if (!Live() || nativeScanCode > 255) return 0;
    if (!nativeKeys_) nativeKeys_ = std::make_unique<X11LayoutKeys>(display_, XkbUseCoreKbd);
    nativeKeys_->Refresh();
    // Key messages name a modifier by its common code.
    return CommonModifierCode(nativeKeys_->VirtualKeyOfKeycode(nativeScanCode));
}

int32_t X11DesktopPlatform::FindTopLevelWindow(const std::u16string& className, const std::u16string* title) {
    if (!Live()) return 0;
    const std::string titleText = title != nullptr ? ToUtf8(*title) : std::string();
    return windows_->Find(ToUtf8(className), title != nullptr ? &titleText : nullptr);
}

bool X11DesktopPlatform::GetPlacement(int32_t window, WindowPlacement& out) {
    return Live() && windows_->Placement(window, out);
}

void X11DesktopPlatform::MoveWindow(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (Live()) windows_->Move(window, x, y, width, height);
}

int32_t X11DesktopPlatform::SendSystemCommand(int32_t window, int32_t command) {
    return Live() ? windows_->Command(window, command) : 0;
}

void X11DesktopPlatform::ScreenSize(int32_t& width, int32_t& height) {
    width = 0;
    height = 0;
    if (Live()) screen_->Size(width, height);
}

bool X11DesktopPlatform::PrimaryMonitor(ScreenRect& out) {
    out = Live() ? monitors_->Primary() : ScreenRect{};
    return out.width > 0 && out.height > 0;
}

int32_t X11DesktopPlatform::ReadPixel(int32_t x, int32_t y) {
    return Live() ? screen_->ReadPixel(x, y) : -1;
}

int X11DesktopPlatform::CaptureScreen(PixelGrid& out) {
    if (!Live()) return 5;
    return screen_->Capture(out);
}

int X11DesktopPlatform::LoadImageFile(const std::u16string& path, PixelGrid& out) {
    return LoadImageFileToGrid(path, out);
}

int X11DesktopPlatform::StartProcess(const std::u16string& commandLine, int32_t windowStyle,
                                     double& processId) {
    return processes_.Start(commandLine, windowStyle, processId);
}

int32_t X11DesktopPlatform::MillisecondClock() {
    return MonotonicMilliseconds();
}

int32_t X11DesktopPlatform::SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) {
    return media_.Send(command, waitTurn);
}
