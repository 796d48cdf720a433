// The Win32 desktop platform: keyboard and mouse injection and key state here, the other operations handed
// on to the window, screen, image, process and media parts. Also the factory of the Windows programs.
#include "win32_desktop_platform.h"

#include "desktop_platform_factory.h"
#include "win32_image_file.h"
#include "win32_input_recording.h"
#include "win32_media.h"
#include "win32_process.h"
#include "win32_screen.h"
#include "win32_window_ops.h"

#include <windows.h>

bool Win32DesktopPlatform::HasDisplay() const {
    return GetSystemMetrics(SM_CXSCREEN) > 0 && GetSystemMetrics(SM_CYSCREEN) > 0;
}

void Win32DesktopPlatform::SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t extraInfo) {
    keybd_event(virtualKey, 0, flags, extraInfo);
}

void Win32DesktopPlatform::SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) {
    // Relative motions are signed; mouse_event takes them in unsigned fields.
    mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), 0, 0);
}

uint16_t Win32DesktopPlatform::AsyncKeyState(int32_t virtualKey) {
    return static_cast<uint16_t>(GetAsyncKeyState(virtualKey));
}

void Win32DesktopPlatform::SetPointerPosition(int32_t x, int32_t y) {
    SetCursorPos(x, y);
}

bool Win32DesktopPlatform::PointerPosition(int32_t& x, int32_t& y) {
    POINT point{};
    const bool read = GetCursorPos(&point) != 0;
    x = point.x;
    y = point.y;
    return read;
}

bool Win32DesktopPlatform::TopLevelWindowAt(int32_t x, int32_t y, WindowDescription& out) {
    return Win32Windows::TopLevelAt(x, y, 0, out);
}

bool Win32DesktopPlatform::TopLevelWindowAtExcept(int32_t x, int32_t y, int32_t lookedThrough,
                                                  WindowDescription& out) {
    return Win32Windows::TopLevelAt(x, y, lookedThrough, out);
}

int Win32DesktopPlatform::CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height,
                                        PixelGrid& out) {
    return Win32Screen::CaptureRegion(left, top, width, height, out);
}

std::unique_ptr<InputRecording> Win32DesktopPlatform::StartInputRecording() {
    return StartWin32InputRecording();
}

int32_t Win32DesktopPlatform::FindTopLevelWindow(const std::u16string& className,
                                                 const std::u16string* title) {
    return Win32Windows::Find(className, title);
}

bool Win32DesktopPlatform::GetPlacement(int32_t window, WindowPlacement& out) {
    return Win32Windows::Placement(window, out);
}

void Win32DesktopPlatform::MoveWindow(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) {
    Win32Windows::Move(window, x, y, width, height);
}

int32_t Win32DesktopPlatform::SendSystemCommand(int32_t window, int32_t command) {
    return Win32Windows::SystemCommand(window, command);
}

void Win32DesktopPlatform::ScreenSize(int32_t& width, int32_t& height) {
    Win32Screen::Size(width, height);
}

bool Win32DesktopPlatform::PrimaryMonitor(ScreenRect& out) {
    return Win32Screen::PrimaryMonitor(out);
}

int32_t Win32DesktopPlatform::ReadPixel(int32_t x, int32_t y) {
    return Win32Screen::ReadPixel(x, y);
}

int Win32DesktopPlatform::CaptureScreen(PixelGrid& out) {
    return Win32Screen::Capture(out);
}

int Win32DesktopPlatform::LoadImageFile(const std::u16string& path, PixelGrid& out) {
    return LoadImageFileWithWic(path, out);
}

int Win32DesktopPlatform::StartProcess(const std::u16string& commandLine, int32_t windowStyle,
                                       double& processId) {
    return Win32Process::Start(commandLine, windowStyle, processId);
}

int32_t Win32DesktopPlatform::MillisecondClock() {
    return Win32Process::MillisecondClock();
}

int32_t Win32DesktopPlatform::SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) {
    return Win32Media::Send(command, waitTurn);
}

std::unique_ptr<DesktopPlatform> CreateDesktopPlatform() {
    return std::make_unique<Win32DesktopPlatform>();
}
