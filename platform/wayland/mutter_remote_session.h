// MutterRemoteSession: one remote-desktop session of mutter with its screen cast — the keys and pointer this
// program sends, and one screen-cast stream per monitor that absolute pointer motions and screen reading use.
#pragma once

#include "desktop_platform.h"
#include "mutter_bus.h"

#include <cstdint>
#include <string>
#include <vector>

// A monitor of the desktop and the screen-cast stream showing it.
struct MutterMonitor {
    std::string connector;  // "" for the primary monitor when mutter did not list its monitors
    std::string streamPath; // the stream's object, which absolute motions name
    uint32_t node = 0;      // its PipeWire node, 0 until mutter announced it
    ScreenRect rect;        // where it lies on the desktop, in desktop (physical) pixels
    bool primary = false;
    double scale = 1;  // mutter's scale of the monitor
    ScreenRect layout; // where mutter's layout puts it (the stream's "position" and "size")
};

class MutterRemoteSession {
  public:
    explicit MutterRemoteSession(MutterBus& bus) : bus_(bus) {}
    ~MutterRemoteSession();
    MutterRemoteSession(const MutterRemoteSession&) = delete;
    MutterRemoteSession& operator=(const MutterRemoteSession&) = delete;

    // Sets the session up once (later calls give the first answer): empty when it runs; otherwise the
    // reason in the user's words.
    std::u16string Open();
    bool Started() const { return started_; }
    const std::vector<MutterMonitor>& Monitors() const { return monitors_; }

    void Key(uint32_t evdevCode, bool down);
    bool KeySym(uint32_t keysym, bool down);
    void MoveTo(int32_t x, int32_t y);
    void MoveBy(int32_t dx, int32_t dy);
    void Button(uint32_t button, bool down);
    // When the last key or pointer event was handed to mutter (MutterNowMs); -1 before any.
    int64_t LastInputMs() const { return lastInputMs_; }

  private:
    std::u16string SetUp();
    bool ReadMonitors();
    bool RecordMonitors();
    bool ReadStreamPlace(MutterMonitor& monitor);
    void PlaceInPhysicalPixels();
    void PrepareDevices();
    static int OnStreamAdded(sd_bus_message* message, void* monitor, sd_bus_error* error);

    MutterBus& bus_;
    bool tried_ = false;
    bool started_ = false;
    std::u16string why_;
    std::string sessionPath_;
    std::string castPath_;
    std::vector<MutterMonitor> monitors_;
    bool logicalLayout_ = false; // mutter lays monitors out scaled (fractional scaling), not in pixels
    double pointerScale_ = 1;    // the scale of the monitor the pointer was last placed on
    int64_t lastInputMs_ = -1;
};
