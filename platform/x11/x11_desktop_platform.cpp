// The X11 desktop platform: the display connection, and the operations handed on to the screen, process,
// clock, image and sound parts. The keyboard, mouse and window operations are not built yet (their built-ins
// are not registered), so they do nothing.
#include "x11_desktop_platform.h"

#include "desktop_platform_factory.h"
#include "image_file.h"
#include "monotonic_clock.h"

#include <X11/Xlib.h>

X11DesktopPlatform::X11DesktopPlatform() {
    display_ = XOpenDisplay(nullptr);
    if (display_ != nullptr) screen_ = std::make_unique<X11Screen>(display_);
}

X11DesktopPlatform::~X11DesktopPlatform() {
    screen_.reset();
    if (display_ != nullptr) XCloseDisplay(display_);
}

void X11DesktopPlatform::SendKeyEvent(uint8_t, uint32_t, uint32_t) {}
void X11DesktopPlatform::SendMouseEvent(uint32_t, int32_t, int32_t) {}
uint16_t X11DesktopPlatform::AsyncKeyState(int32_t) {
    return 0;
}
void X11DesktopPlatform::SetPointerPosition(int32_t, int32_t) {}

int32_t X11DesktopPlatform::FindTopLevelWindow(const std::u16string&, const std::u16string*) {
    return 0;
}
bool X11DesktopPlatform::GetPlacement(int32_t, WindowPlacement&) {
    return false;
}
void X11DesktopPlatform::MoveWindow(int32_t, int32_t, int32_t, int32_t, int32_t) {}
int32_t X11DesktopPlatform::SendSystemCommand(int32_t, int32_t) {
    return 0;
}

void X11DesktopPlatform::ScreenSize(int32_t& width, int32_t& height) {
    width = 0;
    height = 0;
    if (screen_) screen_->Size(width, height);
}

int32_t X11DesktopPlatform::ReadPixel(int32_t x, int32_t y) {
    return screen_ ? screen_->ReadPixel(x, y) : -1;
}

int X11DesktopPlatform::CaptureScreen(PixelGrid& out) {
    if (!screen_) return 5;
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

std::unique_ptr<DesktopPlatform> CreateDesktopPlatform() {
    return std::make_unique<X11DesktopPlatform>();
}
