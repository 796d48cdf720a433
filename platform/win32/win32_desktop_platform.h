// Win32DesktopPlatform: the desktop operations on Windows — keys and mouse through keybd_event and
// mouse_event, key state, windows, the screen, image files, processes, the clock and MCI sound commands.
#pragma once

#include "desktop_platform.h"

class Win32DesktopPlatform final : public DesktopPlatform {
  public:
    Win32DesktopPlatform() = default;

    // There is a screen whenever the process runs on an interactive desktop.
    bool HasDisplay() const override;

    void SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t extraInfo) override;
    void SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) override;
    uint16_t AsyncKeyState(int32_t virtualKey) override;
    void SetPointerPosition(int32_t x, int32_t y) override;
    bool PointerPosition(int32_t& x, int32_t& y) override;
    bool TopLevelWindowAt(int32_t x, int32_t y, WindowDescription& out) override;
    bool TopLevelWindowAtExcept(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) override;
    int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) override;
    std::unique_ptr<InputRecording> StartInputRecording() override;

    int32_t FindTopLevelWindow(const std::u16string& className, const std::u16string* title) override;
    bool GetPlacement(int32_t window, WindowPlacement& out) override;
    void MoveWindow(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) override;
    int32_t SendSystemCommand(int32_t window, int32_t command) override;

    void ScreenSize(int32_t& width, int32_t& height) override;
    bool PrimaryMonitor(ScreenRect& out) override;
    int32_t ReadPixel(int32_t x, int32_t y) override;
    int CaptureScreen(PixelGrid& out) override;
    int LoadImageFile(const std::u16string& path, PixelGrid& out) override;

    int StartProcess(const std::u16string& commandLine, int32_t windowStyle, double& processId) override;
    int32_t MillisecondClock() override;
    int32_t SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) override;
};
