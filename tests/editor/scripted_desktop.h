// ScriptedDesktop: a desktop for the aids' tests whose pointer, window under it, pixels and recorded input
// the test sets, without a real screen.
#pragma once

#include "desktop_platform.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace editor_testing {

// A desktop whose pointer, window, pixels and recorded input the test sets.
class ScriptedDesktop : public DesktopPlatform {
  public:
    int32_t pointerX = 300, pointerY = 200;
    std::optional<WindowDescription> window;
    std::deque<std::vector<RecordedInput>> recordings; // what each Take returns in turn
    bool recordable = true;
    int recordingsAlive = 0;

    bool HasDisplay() const override { return true; }
    void SendKeyEvent(uint8_t, uint32_t, uint32_t) override {}
    void SendMouseEvent(uint32_t, int32_t, int32_t) override {}
    uint16_t AsyncKeyState(int32_t) override { return 0; }
    void SetPointerPosition(int32_t, int32_t) override {}
    bool PointerPosition(int32_t& x, int32_t& y) override {
        x = pointerX;
        y = pointerY;
        return true;
    }
    bool TopLevelWindowAt(int32_t, int32_t, WindowDescription& out) override {
        if (!window) return false;
        out = *window;
        return true;
    }
    int32_t FindTopLevelWindow(const std::u16string& name, const std::u16string*) override {
        return window && window->className == name ? window->window : 0;
    }
    bool GetPlacement(int32_t, WindowPlacement&) override { return false; }
    void MoveWindow(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    int32_t SendSystemCommand(int32_t, int32_t) override { return 0; }
    void ScreenSize(int32_t& width, int32_t& height) override {
        width = 1280;
        height = 1024;
    }
    // Red grows to the right, green downwards: every pixel tells where it is.
    int32_t ReadPixel(int32_t x, int32_t y) override { return (x & 0xFF) | ((y & 0xFF) << 8); }
    int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) override {
        out.width = width;
        out.height = height;
        out.bgra.assign(static_cast<size_t>(width) * height * 4, 0);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* p = out.bgra.data() + (static_cast<size_t>(y) * width + x) * 4;
                p[2] = static_cast<uint8_t>(left + x);
                p[1] = static_cast<uint8_t>(top + y);
            }
        return 0;
    }
    int CaptureScreen(PixelGrid& out) override { return CaptureRegion(0, 0, 1280, 1024, out); }
    int LoadImageFile(const std::u16string&, PixelGrid&) override { return 53; }
    int StartProcess(const std::u16string&, int32_t, double&) override { return 53; }
    int32_t MillisecondClock() override { return 0; }
    int32_t SendMediaCommand(const std::u16string&, const WaitTurn&) override { return 0; }

    std::unique_ptr<InputRecording> StartInputRecording() override;
};

class ScriptedRecording : public InputRecording {
  public:
    explicit ScriptedRecording(ScriptedDesktop& desktop) : desktop_(desktop) { ++desktop_.recordingsAlive; }
    ~ScriptedRecording() override { --desktop_.recordingsAlive; }
    void Take(std::vector<RecordedInput>& out) override {
        if (desktop_.recordings.empty()) return;
        out.insert(out.end(), desktop_.recordings.front().begin(), desktop_.recordings.front().end());
        desktop_.recordings.pop_front();
    }

  private:
    ScriptedDesktop& desktop_;
};

inline std::unique_ptr<InputRecording> ScriptedDesktop::StartInputRecording() {
    if (!recordable) return nullptr;
    return std::make_unique<ScriptedRecording>(*this);
}

} // namespace editor_testing
