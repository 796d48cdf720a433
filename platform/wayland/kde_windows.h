// KdeWindows: the window functions on KDE Plasma, through KWin's window list and, for moves, a KWin script
// run over the session bus.
#pragma once

#include "compositor_session.h"

#include <memory>
#include <string>
#include <vector>

class MutterBus;
class WlrootsConnection;
struct org_kde_plasma_window;
struct org_kde_plasma_window_management;

// One window of KWin's list as it describes it; the rectangle is in KWin's layout coordinates.
struct KdeWindow {
    int32_t id = 0; // the handle the macro sees
    std::string uuid;
    org_kde_plasma_window* handle = nullptr;
    std::string title;
    std::string appId;
    uint32_t flags = 0;
    ScreenRect rect;
    bool described = false; // its first description is complete
    bool unmapped = false;
};

// A script loaded into KWin: its name there and the private file it is read from. KWin reads the file on a
// thread of its own some time after it is told to run it, so the file stays until the script is unloaded.
struct KwinScript {
    std::string plugin;
    std::string path;
};

class KdeWindows final : public CompositorWindows {
  public:
    explicit KdeWindows(WlrootsConnection& connection);
    ~KdeWindows() override;
    KdeWindows(const KdeWindows&) = delete;
    KdeWindows& operator=(const KdeWindows&) = delete;

    std::u16string Open() override;
    int32_t Find(const std::string& className, const std::string* title) override;
    bool Placement(int32_t window, WindowPlacement& out) override;
    void Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) override;
    int32_t Command(int32_t window, int32_t command) override;

    // What KWin's list reports (called by its listener).
    void WindowAdded(const char* uuid);
    void StackingChanged(const char* uuids);

  private:
    std::vector<KdeWindow*> Ordered();
    KdeWindow* Lookup(int32_t window);
    bool PlacementOf(const KdeWindow& window, WindowPlacement& out) const;
    bool RunScript(const std::string& text, KwinScript& script);
    void UnloadScript(const KwinScript& script);

    WlrootsConnection& connection_;
    org_kde_plasma_window_management* manager_ = nullptr;
    std::vector<std::unique_ptr<KdeWindow>> windows_;
    std::vector<std::string> stacking_; // bottom first
    int32_t nextId_ = 1;
    std::unique_ptr<MutterBus> bus_;
    int scripts_ = 0;
};
