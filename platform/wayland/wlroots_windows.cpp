// The window functions of a wlroots compositor. The foreign top-level list names the windows; under sway its
// IPC adds what the list lacks: the focus order (topmost first), the containers' rectangles, and the moves.
// sway has no maximised or minimised windows: maximising makes the window fill its output (full screen) and
// minimising puts it in the scratchpad; restoring undoes either.
#include "wlroots_windows.h"

#include "codepage.h"
#include "sway_json_values.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client.h"
#include "window_waits.h"
#include "wlroots_connection.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSettleLimitMs = 1000;

} // namespace

std::vector<int> WlrootsPairWithViews(const std::vector<const WlrootsToplevel*>& toplevels,
                                      const std::vector<SwayView>& views) {
    std::vector<size_t> byAge(views.size());
    for (size_t i = 0; i < views.size(); ++i) byAge[i] = i;
    std::sort(byAge.begin(), byAge.end(),
              [&](size_t a, size_t b) { return views[a].conId < views[b].conId; });
    std::vector<size_t> byId(toplevels.size());
    for (size_t i = 0; i < toplevels.size(); ++i) byId[i] = i;
    std::sort(byId.begin(), byId.end(),
              [&](size_t a, size_t b) { return toplevels[a]->id < toplevels[b]->id; });
    std::vector<int> pairs(toplevels.size(), -1);
    std::vector<bool> taken(views.size(), false);
    for (size_t t : byId) {
        for (size_t v : byAge) {
            if (taken[v] || views[v].appClass != toplevels[t]->appId || views[v].title != toplevels[t]->title)
                continue;
            taken[v] = true;
            pairs[t] = static_cast<int>(v);
            break;
        }
    }
    return pairs;
}

WlrootsWindows::WlrootsWindows(WlrootsConnection& connection)
    : connection_(connection), toplevels_(connection) {}

std::u16string WlrootsWindows::Open() {
    zwlr_foreign_toplevel_manager_v1* manager = connection_.BindToplevels();
    if (manager == nullptr) return u"このデスクトップは、ほかのプログラムにウィンドウの一覧を渡しません";
    toplevels_.Start(manager);
    if (!connection_.Roundtrip()) return u"デスクトップ（Wayland）が応答しません";
    isSway_ = sway_.Available();
    return {};
}

std::vector<WlrootsWindows::Entry> WlrootsWindows::Ordered(std::vector<SwayView>& views) {
    std::vector<WlrootsToplevel*> toplevels = toplevels_.Current();
    views.clear();
    if (isSway_) views = SwayViews(sway_.Ask(SwayIpc::kGetTree));
    const std::vector<const WlrootsToplevel*> constant(toplevels.begin(), toplevels.end());
    const std::vector<int> pairs = WlrootsPairWithViews(constant, views);
    std::vector<Entry> entries;
    for (size_t i = 0; i < toplevels.size(); ++i)
        entries.push_back(
            Entry{toplevels[i], pairs[i] >= 0 ? &views[static_cast<size_t>(pairs[i])] : nullptr});
    // sway's focus order when known; otherwise the most recently activated first, then the newest.
    auto rank = [&](const Entry& entry) {
        return entry.view != nullptr ? static_cast<long long>(entry.view - views.data()) : -1;
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        const long long ra = rank(a);
        const long long rb = rank(b);
        if ((ra >= 0) != (rb >= 0)) return ra >= 0;
        if (ra >= 0) return ra < rb;
        if (a.toplevel->activatedAt != b.toplevel->activatedAt)
            return a.toplevel->activatedAt > b.toplevel->activatedAt;
        return a.toplevel->id > b.toplevel->id;
    });
    return entries;
}

bool WlrootsWindows::Lookup(int32_t window, std::vector<SwayView>& views, Entry& out) {
    for (const Entry& entry : Ordered(views))
        if (entry.toplevel->id == window) {
            out = entry;
            return true;
        }
    return false;
}

int32_t WlrootsWindows::Find(const std::string& className, const std::string* title) {
    std::vector<SwayView> views;
    for (const Entry& entry : Ordered(views)) {
        if (entry.toplevel->appId != className) continue;
        if (title != nullptr && entry.toplevel->title != *title) continue;
        return entry.toplevel->id;
    }
    return 0;
}

bool WlrootsWindows::PlacementOf(const Entry& entry, WindowPlacement& out) {
    // Without sway's tree nothing tells where a window is.
    if (entry.view == nullptr) return false;
    const SwayView& view = *entry.view;
    out.showState = view.scratchpad || entry.toplevel->minimized   ? 2
                    : view.fullscreen || entry.toplevel->maximized ? 3
                                                                   : 1;
    const ScreenRect rect = connection_.Outputs().Physical().RectToDesktop(view.rect);
    out.left = rect.left;
    out.top = rect.top;
    out.right = rect.left + rect.width;
    out.bottom = rect.top + rect.height;
    return true;
}

bool WlrootsWindows::Placement(int32_t window, WindowPlacement& out) {
    std::vector<SwayView> views;
    Entry entry;
    return Lookup(window, views, entry) && PlacementOf(entry, out);
}

const SwayView* WlrootsWindows::ViewNow(long long conId, std::vector<SwayView>& views) {
    views = SwayViews(sway_.Ask(SwayIpc::kGetTree));
    for (const SwayView& view : views)
        if (view.conId == conId) return &view;
    return nullptr;
}

template <typename Settled>
void WlrootsWindows::RunOnView(long long conId, const std::string& commands, Settled settled) {
    sway_.Run("[con_id=" + std::to_string(conId) + "] " + commands);
    std::vector<SwayView> views;
    PollUntil(
        [&] {
            const SwayView* view = ViewNow(conId, views);
            return view == nullptr || settled(*view);
        },
        kSettleLimitMs, 10);
}

// The container lands at (x, y) with the outer size asked: it floats (a tiled window's place is the
// layout's), and a border sway draws around the content is taken into account after the first try.
void WlrootsWindows::Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) {
    std::vector<SwayView> views;
    Entry entry;
    if (!isSway_ || !Lookup(window, views, entry) || entry.view == nullptr) return;
    const long long conId = entry.view->conId;
    // sway places and sizes in layout pixels: the corner is the desktop pixel's place in the layout, the
    // size the physical one divided by the scale of the output there.
    const PhysicalLayout layout = connection_.Outputs().Physical();
    double layoutX = 0;
    double layoutY = 0;
    if (!layout.ToLayout(x, y, layoutX, layoutY)) return;
    const auto left = static_cast<int32_t>(std::lround(layoutX));
    const auto top = static_cast<int32_t>(std::lround(layoutY));
    layout.SizeToLayout(x, y, width, height, width, height);
    std::string first;
    if (entry.view->scratchpad) first += "scratchpad show, ";
    if (entry.view->fullscreen) first += "fullscreen disable, ";
    floatedBeforeScratchpad_.erase(conId);
    const bool sized = width > 0 && height > 0;
    auto place = [&](int32_t w, int32_t h) {
        std::string commands = first + "floating enable, ";
        if (sized)
            commands += "resize set width " + std::to_string(w) + " px height " + std::to_string(h) + " px, ";
        commands += "move absolute position " + std::to_string(left) + " px " + std::to_string(top) + " px";
        RunOnView(conId, commands, [&](const SwayView& view) {
            return view.floating && view.rect.left == left && view.rect.top == top &&
                   (!sized || (view.rect.width == w && view.rect.height == h));
        });
    };
    place(width, height);
    if (!sized) return;
    const SwayView* now = ViewNow(conId, views);
    if (now == nullptr || (now->rect.width == width && now->rect.height == height)) return;
    first.clear();
    place(width + (width - now->rect.width), height + (height - now->rect.height));
}

int32_t WlrootsWindows::Command(int32_t window, int32_t command) {
    std::vector<SwayView> views;
    Entry entry;
    if (!Lookup(window, views, entry)) return 0;
    zwlr_foreign_toplevel_handle_v1* handle = entry.toplevel->handle;
    const bool bySway = isSway_ && entry.view != nullptr;
    const long long conId = bySway ? entry.view->conId : 0;
    switch (WindowCommandOf(command)) {
    case WindowCommand::Maximize:
        if (bySway)
            RunOnView(conId,
                      std::string(entry.view->scratchpad ? "scratchpad show, " : "") + "fullscreen enable",
                      [](const SwayView& view) { return view.fullscreen && !view.scratchpad; });
        else {
            zwlr_foreign_toplevel_handle_v1_unset_minimized(handle);
            zwlr_foreign_toplevel_handle_v1_set_maximized(handle);
        }
        break;
    case WindowCommand::Minimize:
        if (bySway) {
            if (!entry.view->scratchpad) floatedBeforeScratchpad_[conId] = entry.view->floating;
            RunOnView(conId, "move scratchpad", [](const SwayView& view) { return view.scratchpad; });
        } else {
            zwlr_foreign_toplevel_handle_v1_set_minimized(handle);
        }
        break;
    case WindowCommand::Restore:
        if (bySway) {
            std::string commands;
            if (entry.view->scratchpad) {
                const auto floated = floatedBeforeScratchpad_.find(conId);
                const bool wasFloating = floated != floatedBeforeScratchpad_.end() && floated->second;
                commands = wasFloating ? "scratchpad show" : "scratchpad show, floating disable";
                floatedBeforeScratchpad_.erase(conId);
            } else {
                commands = "fullscreen disable";
            }
            RunOnView(conId, commands + ", focus",
                      [](const SwayView& view) { return !view.scratchpad && !view.fullscreen; });
        } else {
            zwlr_foreign_toplevel_handle_v1_unset_maximized(handle);
            zwlr_foreign_toplevel_handle_v1_unset_minimized(handle);
            if (connection_.Seat() != nullptr)
                zwlr_foreign_toplevel_handle_v1_activate(handle, connection_.Seat());
        }
        break;
    case WindowCommand::Close:
        zwlr_foreign_toplevel_handle_v1_close(handle);
        break;
    case WindowCommand::Other:
        break;
    }
    connection_.Roundtrip();
    return 0;
}

bool WlrootsWindows::TopLevelAt(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) {
    std::vector<SwayView> views;
    for (const Entry& entry : Ordered(views)) {
        WindowPlacement placement;
        if (entry.toplevel->id == lookedThrough || !PlacementOf(entry, placement) || placement.showState == 2)
            continue;
        if (x < placement.left || x >= placement.right || y < placement.top || y >= placement.bottom)
            continue;
        out.window = entry.toplevel->id;
        out.className = FromUtf8(entry.toplevel->appId);
        out.instanceName.clear();
        out.title = FromUtf8(entry.toplevel->title);
        out.placement = placement;
        return true;
    }
    return false;
}
