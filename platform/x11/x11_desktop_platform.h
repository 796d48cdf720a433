// X11DesktopPlatform: the desktop operations on an X11 desktop. Keys and mouse through XTest, key state,
// windows through EWMH; the screen, processes, clock and sound through their own parts.
#pragma once

#include "desktop_platform.h"
#include "media_command_player.h"
#include "process_starter.h"
#include "x11_screen.h"

class X11Keyboard;
class X11LayoutKeys;
class X11Mouse;
class X11KeyState;
class X11Monitors;
class X11Windows;

#include <atomic>
#include <functional>
#include <memory>

typedef struct _XDisplay Display;

class X11DesktopPlatform final : public DesktopPlatform {
  public:
    // Opens the display named by DISPLAY; without one the platform has no display. When the X server goes
    // away later, the platform counts as lost: it has no display from then on and never connects again.
    X11DesktopPlatform();
    ~X11DesktopPlatform() override;
    X11DesktopPlatform(const X11DesktopPlatform&) = delete;
    X11DesktopPlatform& operator=(const X11DesktopPlatform&) = delete;

    bool HasDisplay() const override { return Live(); }
    bool DisplayLost() const override { return lost_.load(); }
    // On Xwayland the screen cannot be read (its root window holds no other program's pixels): the screen
    // functions end with the reason instead of answering -1 and "not found".
    std::u16string PartUnavailable(DesktopPart part) override;
    // True when the X server is Xwayland: keys and clicks reach its X clients only.
    bool ServedByXwayland() const { return monitors_ != nullptr && monitors_->ServedByXwayland(); }
    // Called once, before the first key or mouse operation on Xwayland, to tell the user where they land.
    void SetXwaylandInputNotice(std::function<void()> notice) { xwaylandInputNotice_ = std::move(notice); }

    void EndOfRun() override;
    void SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t extraInfo) override;
    void SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) override;
    uint16_t AsyncKeyState(int32_t virtualKey) override;
    void SetPointerPosition(int32_t x, int32_t y) override;
    bool PointerPosition(int32_t& x, int32_t& y) override;
    bool TopLevelWindowAt(int32_t x, int32_t y, WindowDescription& out) override;
    bool TopLevelWindowAtExcept(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) override;
    int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) override;
    std::unique_ptr<InputRecording> StartInputRecording() override;
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
    // Connected, and the server has not gone away: only then is any request made.
    bool Live() const { return display_ != nullptr && !lost_.load(std::memory_order_relaxed); }

    // Set by whichever of the platform's connections first finds the server gone.
    std::atomic<bool> lost_{false};
    Display* display_ = nullptr;
    std::unique_ptr<X11Keyboard> keyboard_;
    std::unique_ptr<X11Mouse> mouse_;
    std::unique_ptr<X11KeyState> keyState_;
    std::unique_ptr<X11Windows> windows_;
    std::unique_ptr<X11Screen> screen_;
    std::unique_ptr<X11LayoutKeys>
        nativeKeys_; // the layout's keys for VirtualKeyOfNativeKey, made on first use
    std::unique_ptr<X11Monitors> monitors_;
    ProcessStarter processes_;
    MediaCommandPlayer media_;
    std::function<void()> xwaylandInputNotice_;
};
