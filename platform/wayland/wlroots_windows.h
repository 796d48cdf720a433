// WlrootsWindows: the window functions on a wlroots compositor: the windows and their states from the
// foreign top-level list, and under sway its IPC for the stacking (focus) order, the frames' rectangles and
// moving, sizing, maximising (full screen) and minimising (the scratchpad).
#pragma once

#include "compositor_session.h"
#include "sway_ipc.h"
#include "sway_tree.h"
#include "wlroots_toplevels.h"

#include <map>
#include <vector>

class WlrootsConnection;

class WlrootsWindows final : public CompositorWindows {
  public:
    explicit WlrootsWindows(WlrootsConnection& connection);

    std::u16string Open() override;
    int32_t Find(const std::string& className, const std::string* title) override;
    bool Placement(int32_t window, WindowPlacement& out) override;
    void Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) override;
    int32_t Command(int32_t window, int32_t command) override;
    bool TopLevelAt(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) override;

  private:
    // One window: its top-level entry and, under sway, its container.
    struct Entry {
        WlrootsToplevel* toplevel = nullptr;
        const SwayView* view = nullptr;
    };

    // The windows topmost first; `views` holds sway's containers the entries point into.
    std::vector<Entry> Ordered(std::vector<SwayView>& views);
    bool Lookup(int32_t window, std::vector<SwayView>& views, Entry& out);
    bool PlacementOf(const Entry& entry, WindowPlacement& out);
    // Runs sway commands on one container, then waits (a short while) until its state satisfies `settled`.
    template <typename Settled> void RunOnView(long long conId, const std::string& commands, Settled settled);
    const SwayView* ViewNow(long long conId, std::vector<SwayView>& views);

    WlrootsConnection& connection_;
    WlrootsToplevels toplevels_;
    SwayIpc sway_;
    bool isSway_ = false;
    std::map<long long, bool> floatedBeforeScratchpad_; // containers this program put in the scratchpad
};

// Pairs each top-level window with sway's container of the same class and title; several alike pair in
// the order they were opened (the lower handle with the lower container id). -1 where none.
std::vector<int> WlrootsPairWithViews(const std::vector<const WlrootsToplevel*>& toplevels,
                                      const std::vector<SwayView>& views);
