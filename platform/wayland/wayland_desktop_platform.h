// WaylandDesktopPlatform: the desktop operations on a Wayland desktop, through the session of the kind of
// compositor found at start (GNOME's mutter, or a wlroots compositor such as sway).
#pragma once

#include "compositor_session.h"
#include "desktop_platform.h"
#include "media_command_player.h"
#include "pressed_keys.h"
#include "process_starter.h"

#include <array>
#include <memory>

class WaylandLayoutKeys;

class WaylandDesktopPlatform final : public DesktopPlatform {
  public:
    // Takes the open display and the compositor's session; the platform closes the display last. A null
    // display with a session is a session that needs no display of ours (and the tests' sessions).
    WaylandDesktopPlatform(wl_display* display, std::unique_ptr<CompositorSession> session);
    ~WaylandDesktopPlatform() override;
    WaylandDesktopPlatform(const WaylandDesktopPlatform&) = delete;
    WaylandDesktopPlatform& operator=(const WaylandDesktopPlatform&) = delete;

    bool HasDisplay() const override;
    bool DisplayLost() const override;
    std::u16string PartUnavailable(DesktopPart part) override;

    void EndOfRun() override;
    void SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t extraInfo) override;
    void SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) override;
    uint16_t AsyncKeyState(int32_t virtualKey) override;
    void SetPointerPosition(int32_t x, int32_t y) override;
    bool PointerPosition(int32_t& x, int32_t& y) override;
    bool TopLevelWindowAt(int32_t x, int32_t y, WindowDescription& out) override;
    bool TopLevelWindowAtExcept(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) override;
    int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) override;
    int VirtualKeyOfNativeKey(uint32_t nativeScanCode) override;

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

  private:
    // The part is set up and the compositor still there: only then is anything sent or read.
    bool Ready(DesktopPart part);
    const WaylandLayoutKeys& LayoutKeys();
    uint32_t KeyToPress(uint8_t virtualKey);
    void SendKey(uint8_t virtualKey, bool down);
    void SendToCompositor(uint32_t key, bool down);
    void ReleaseHeldKeys();
    void CountPress(uint8_t virtualKey);

    wl_display* display_;
    std::unique_ptr<CompositorSession> session_;
    std::array<bool, 3> opened_{}; // each part once its Open succeeded
    std::unique_ptr<WaylandLayoutKeys> layoutKeys_;
    // What each code's key-down pressed, so its key-up releases the same even when the layout has changed.
    PressedKeys pressed_;
    std::array<bool, 256> pressedSinceQuery_{}; // bit 0 of the key state, for this program's own presses
    ProcessStarter processes_;
    MediaCommandPlayer media_;
};
