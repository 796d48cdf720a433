// RecordingDesktop: a desktop double shared by the library tests and the fuzz target. It records every key,
// mouse, pointer and window request in order with its fake clock's time; window searches use a small table.
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct DesktopEvent {
    enum Kind { Key, Mouse, Pointer, Move, Command } kind;
    uint32_t code = 0;  // Key: virtual key; Mouse: flags; Command: command number
    uint32_t flags = 0; // Key: flags
    uint32_t extra = 0; // Key: extra information
    int32_t x = 0;      // Mouse: dx; Pointer and Move: x
    int32_t y = 0;
    int32_t width = 0; // Move only
    int32_t height = 0;
    int32_t window = 0; // Move and Command
    int32_t time = 0;   // the fake clock when the request came
};

struct FakeWindow {
    std::u16string className;
    std::u16string title;
    WindowPlacement placement;
};

class RecordingDesktop : public DesktopPlatform {
  public:
    std::vector<DesktopEvent> events;
    std::map<int32_t, FakeWindow> windows; // by handle, searched in handle order
    std::map<int32_t, uint16_t> keyStates; // answers of AsyncKeyState; 0 for others
    std::vector<int32_t> keyStateQueries;
    int32_t commandAnswer = 0;
    bool display = true;
    bool lost = false;     // the display went away: no display from then on
    int requestsLeft = -1; // desktop requests that still find the display; the next one loses it (-1: all)
    int32_t clock = 1000;
    int32_t clockStep = 7; // every clock read moves the fake time on
    int endsOfRun = 0;     // calls of EndOfRun
    std::map<DesktopPart, std::u16string> unavailable; // parts this desktop does not offer, with the reason

    bool HasDisplay() const override { return display && !lost; }
    bool DisplayLost() const override { return lost; }
    void EndOfRun() override { ++endsOfRun; }
    std::u16string PartUnavailable(DesktopPart part) override {
        auto it = unavailable.find(part);
        return it == unavailable.end() ? std::u16string() : it->second;
    }

    void SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t extraInfo) override {
        DesktopEvent e{DesktopEvent::Key};
        e.code = virtualKey;
        e.flags = flags;
        e.extra = extraInfo;
        Record(e);
    }
    void SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) override {
        DesktopEvent e{DesktopEvent::Mouse};
        e.code = flags;
        e.x = dx;
        e.y = dy;
        Record(e);
    }
    uint16_t AsyncKeyState(int32_t virtualKey) override {
        Request();
        keyStateQueries.push_back(virtualKey);
        auto it = keyStates.find(virtualKey);
        return it == keyStates.end() ? 0 : it->second;
    }
    void SetPointerPosition(int32_t x, int32_t y) override {
        DesktopEvent e{DesktopEvent::Pointer};
        e.x = x;
        e.y = y;
        Record(e);
    }

    int32_t FindTopLevelWindow(const std::u16string& className, const std::u16string* title) override {
        Request();
        for (const auto& [handle, window] : windows)
            if (window.className == className && (title == nullptr || window.title == *title)) return handle;
        return 0;
    }
    bool GetPlacement(int32_t window, WindowPlacement& out) override {
        Request();
        auto it = windows.find(window);
        if (it == windows.end()) return false;
        out = it->second.placement;
        return true;
    }
    void MoveWindow(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) override {
        DesktopEvent e{DesktopEvent::Move};
        e.window = window;
        e.x = x;
        e.y = y;
        e.width = width;
        e.height = height;
        Record(e);
    }
    int32_t SendSystemCommand(int32_t window, int32_t command) override {
        DesktopEvent e{DesktopEvent::Command};
        e.window = window;
        e.code = static_cast<uint32_t>(command);
        Record(e);
        return windows.count(window) != 0 ? commandAnswer : 0;
    }

    void ScreenSize(int32_t& width, int32_t& height) override {
        width = 1280;
        height = 1024;
    }
    int32_t ReadPixel(int32_t, int32_t) override {
        Request();
        return -1;
    }
    int CaptureScreen(PixelGrid&) override {
        Request();
        return 5;
    }
    int LoadImageFile(const std::u16string&, PixelGrid&) override {
        Request();
        return 53;
    }
    int StartProcess(const std::u16string&, int32_t, double&) override { return 53; }
    int32_t MillisecondClock() override {
        clock += clockStep;
        return clock;
    }
    int32_t SendMediaCommand(const std::u16string&, const WaitTurn&) override { return 0; }

    // The events of one kind, in order.
    std::vector<DesktopEvent> Of(DesktopEvent::Kind kind) const {
        std::vector<DesktopEvent> out;
        for (const DesktopEvent& e : events)
            if (e.kind == kind) out.push_back(e);
        return out;
    }

  private:
    void Request() {
        if (requestsLeft == 0) lost = true;
        if (requestsLeft > 0) --requestsLeft;
    }
    void Record(DesktopEvent e) {
        Request();
        e.time = clock;
        events.push_back(e);
    }
};

} // namespace testing_support
