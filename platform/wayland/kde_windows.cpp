// The window functions on KDE Plasma: KWin's window list (org_kde_plasma_window_management) names the windows
// with their titles, app ids, states, rectangles and stacking order, and takes the state changes and the
// close; a move goes through a small KWin script run over the session bus, as the list has no move request.
#include "kde_windows.h"

#include "mutter_bus.h"
#include "window_waits.h"
#include "wlroots_connection.h"

#include "plasma-window-management-client.h"

#include <wayland-client.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

constexpr uint32_t kActive = ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
constexpr uint32_t kMinimized = ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED;
constexpr uint32_t kMaximized = ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MAXIMIZED;
constexpr int kSettleLimitMs = 1000;
// KWin starts its script engine on the first script, which takes seconds on a loaded machine.
constexpr int kScriptAnswerMs = 10000;
constexpr int kMoveAttempts = 3;
constexpr int kMoveAttemptMs = 3000;

const char16_t kNoWindowList[] =
    u"KDE（KWin）が、このプログラムにウィンドウの一覧を渡しません（デスクトップファイルの "
    u"X-KDE-Wayland-Interfaces に org_kde_plasma_window_management が要ります）";
const char16_t kNoAnswer[] = u"デスクトップ（Wayland）が応答しません";

void OnTitle(void* data, org_kde_plasma_window*, const char* title) {
    static_cast<KdeWindow*>(data)->title = title;
}
void OnAppId(void* data, org_kde_plasma_window*, const char* appId) {
    static_cast<KdeWindow*>(data)->appId = appId;
}
void OnState(void* data, org_kde_plasma_window*, uint32_t flags) {
    static_cast<KdeWindow*>(data)->flags = flags;
}
void OnVirtualDesktop(void*, org_kde_plasma_window*, int32_t) {}
void OnIconName(void*, org_kde_plasma_window*, const char*) {}
void OnUnmapped(void* data, org_kde_plasma_window*) {
    static_cast<KdeWindow*>(data)->unmapped = true;
}
void OnInitialState(void* data, org_kde_plasma_window*) {
    static_cast<KdeWindow*>(data)->described = true;
}
void OnParent(void*, org_kde_plasma_window*, org_kde_plasma_window*) {}
void OnGeometry(void* data, org_kde_plasma_window*, int32_t x, int32_t y, uint32_t width, uint32_t height) {
    static_cast<KdeWindow*>(data)->rect =
        ScreenRect{x, y, static_cast<int32_t>(width), static_cast<int32_t>(height)};
}
void OnIcon(void*, org_kde_plasma_window*) {}
void OnPid(void*, org_kde_plasma_window*, uint32_t) {}
void OnDesktopEntered(void*, org_kde_plasma_window*, const char*) {}
void OnDesktopLeft(void*, org_kde_plasma_window*, const char*) {}
void OnMenu(void*, org_kde_plasma_window*, const char*, const char*) {}
void OnActivityEntered(void*, org_kde_plasma_window*, const char*) {}
void OnActivityLeft(void*, org_kde_plasma_window*, const char*) {}
void OnResourceName(void*, org_kde_plasma_window*, const char*) {}
const org_kde_plasma_window_listener kWindowListener{
    OnTitle,        OnAppId,  OnState,           OnVirtualDesktop, OnIconName,    OnUnmapped,
    OnInitialState, OnParent, OnGeometry,        OnIcon,           OnPid,         OnDesktopEntered,
    OnDesktopLeft,  OnMenu,   OnActivityEntered, OnActivityLeft,   OnResourceName};

void OnShowDesktop(void*, org_kde_plasma_window_management*, uint32_t) {}
void OnWindowById(void*, org_kde_plasma_window_management*, uint32_t) {}
void OnStackingIds(void*, org_kde_plasma_window_management*, wl_array*) {}
void OnStacking(void* data, org_kde_plasma_window_management*, const char* uuids) {
    static_cast<KdeWindows*>(data)->StackingChanged(uuids);
}
void OnWindow(void* data, org_kde_plasma_window_management*, uint32_t, const char* uuid) {
    static_cast<KdeWindows*>(data)->WindowAdded(uuid);
}
const org_kde_plasma_window_management_listener kManagementListener{OnShowDesktop, OnWindowById,
                                                                    OnStackingIds, OnStacking, OnWindow};

// A KWin script that gives the window with the uuid the frame rectangle asked (KWin's layout coordinates).
std::string MoveScript(const std::string& uuid, const ScreenRect& frame) {
    std::ostringstream script;
    script << "const wanted = \"" << uuid << "\";\n"
           << "for (const w of workspace.clientList()) {\n"
           << "    if (w.internalId.toString() === wanted)\n"
           << "        w.frameGeometry = {x: " << frame.left << ", y: " << frame.top
           << ", width: " << frame.width << ", height: " << frame.height << "};\n"
           << "}\n";
    return script.str();
}

} // namespace

KdeWindows::KdeWindows(WlrootsConnection& connection) : connection_(connection) {}

KdeWindows::~KdeWindows() {
    for (auto& window : windows_)
        if (window->handle != nullptr) org_kde_plasma_window_destroy(window->handle);
    if (manager_ != nullptr) org_kde_plasma_window_management_destroy(manager_);
}

std::u16string KdeWindows::Open() {
    if (manager_ == nullptr) {
        manager_ = connection_.BindPlasmaWindows();
        if (manager_ == nullptr) return kNoWindowList;
        org_kde_plasma_window_management_add_listener(manager_, &kManagementListener, this);
    }
    // The list, then each window's description, then what followed it.
    if (!connection_.Roundtrip() || !connection_.Roundtrip()) return kNoAnswer;
    return {};
}

void KdeWindows::WindowAdded(const char* uuid) {
    auto window = std::make_unique<KdeWindow>();
    window->uuid = uuid;
    window->id = nextId_++;
    window->handle = org_kde_plasma_window_management_get_window_by_uuid(manager_, uuid);
    org_kde_plasma_window_add_listener(window->handle, &kWindowListener, window.get());
    windows_.push_back(std::move(window));
}

void KdeWindows::StackingChanged(const char* uuids) {
    stacking_.clear();
    std::istringstream list(uuids);
    for (std::string uuid; std::getline(list, uuid, ';');)
        if (!uuid.empty()) stacking_.push_back(uuid);
}

// Topmost first: KWin lists the stacking order from the bottom up; windows it has not placed yet come last.
std::vector<KdeWindow*> KdeWindows::Ordered() {
    connection_.Roundtrip();
    std::vector<KdeWindow*> ordered;
    for (auto& window : windows_)
        if (!window->unmapped && window->described) ordered.push_back(window.get());
    auto rank = [&](const KdeWindow* window) {
        const auto at = std::find(stacking_.begin(), stacking_.end(), window->uuid);
        return at == stacking_.end() ? -1L : static_cast<long>(at - stacking_.begin());
    };
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](const KdeWindow* a, const KdeWindow* b) { return rank(a) > rank(b); });
    return ordered;
}

KdeWindow* KdeWindows::Lookup(int32_t window) {
    for (KdeWindow* entry : Ordered())
        if (entry->id == window) return entry;
    return nullptr;
}

int32_t KdeWindows::Find(const std::string& className, const std::string* title) {
    for (const KdeWindow* window : Ordered()) {
        if (window->appId != className) continue;
        if (title != nullptr && window->title != *title) continue;
        return window->id;
    }
    return 0;
}

bool KdeWindows::PlacementOf(const KdeWindow& window, WindowPlacement& out) const {
    out.showState = (window.flags & kMinimized) != 0 ? 2 : (window.flags & kMaximized) != 0 ? 3 : 1;
    const ScreenRect rect = connection_.Outputs().Physical().RectToDesktop(window.rect);
    out.left = rect.left;
    out.top = rect.top;
    out.right = rect.left + rect.width;
    out.bottom = rect.top + rect.height;
    return true;
}

bool KdeWindows::Placement(int32_t window, WindowPlacement& out) {
    const KdeWindow* entry = Lookup(window);
    return entry != nullptr && PlacementOf(*entry, out);
}

void KdeWindows::Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) {
    KdeWindow* entry = Lookup(window);
    if (entry == nullptr) return;
    WindowPlacement before;
    PlacementOf(*entry, before);
    // KWin places and sizes in layout pixels: the corner is the desktop pixel's place in the layout, the
    // size the physical one divided by the scale of the output there.
    const PhysicalLayout layout = connection_.Outputs().Physical();
    double layoutX = 0;
    double layoutY = 0;
    if (!layout.ToLayout(x, y, layoutX, layoutY)) return;
    int32_t layoutWidth = 0;
    int32_t layoutHeight = 0;
    layout.SizeToLayout(x, y, width, height, layoutWidth, layoutHeight);
    const ScreenRect frame{
        static_cast<int32_t>(std::lround(layoutX)), static_cast<int32_t>(std::lround(layoutY)),
        width > 0 ? layoutWidth : entry->rect.width, height > 0 ? layoutHeight : entry->rect.height};
    if ((entry->flags & kMaximized) != 0) {
        org_kde_plasma_window_set_state(entry->handle, kMaximized, 0);
        connection_.Roundtrip();
    }
    WindowPlacement target{1, x, y, x + (width > 0 ? width : before.right - before.left),
                           y + (height > 0 ? height : before.bottom - before.top)};
    const int32_t id = entry->id;
    const auto cornerThere = [&] {
        const KdeWindow* moved = Lookup(id);
        return moved == nullptr || (moved->rect.left == frame.left && moved->rect.top == frame.top);
    };
    // The corner is KWin's to set and comes first; the size is the program's to follow, which may settle on a
    // size of its own. A script KWin has not run within a while (seen on a loaded machine, now and then) is
    // given again.
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        KwinScript script;
        if (!RunScript(MoveScript(entry->uuid, frame), script)) return;
        const bool there = PollUntil(cornerThere, kMoveAttemptMs, 10);
        UnloadScript(script);
        if (there) break;
    }
    WaitForNewPlacement(
        [&](WindowPlacement& now) {
            const KdeWindow* moved = Lookup(id);
            return moved != nullptr && PlacementOf(*moved, now);
        },
        target, before);
}

// Writes the script to a private file and has KWin load and run it. The script's own object runs it and
// answers once KWin has read and evaluated it (KWin reads the file on a thread of its own); where no such
// object answers, KWin's start runs every loaded script, this one among them. Either way the file stays
// until UnloadScript.
bool KdeWindows::RunScript(const std::string& text, KwinScript& script) {
    if (!bus_) bus_ = MutterBus::Connect();
    if (!bus_) return false;
    char path[] = "/tmp/quillonmacro-kwin-XXXXXX.js";
    const int fd = mkstemps(path, 3);
    if (fd < 0) return false;
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    script.path = path;
    script.plugin = "quillonmacro-move-" + std::to_string(getpid()) + "-" + std::to_string(++scripts_);
    bool ran = false;
    sd_bus_message* reply = nullptr;
    if (written && bus_->Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                              kScriptAnswerMs, &reply, "ss", path, script.plugin.c_str())) {
        int32_t id = -1;
        if (sd_bus_message_read(reply, "i", &id) > 0 && id >= 0) {
            // KWin 5 names the script's object by its number alone, KWin 6 under /Scripting.
            const std::string kwin5 = "/" + std::to_string(id);
            const std::string kwin6 = "/Scripting/Script" + std::to_string(id);
            ran = bus_->CallIfThere("org.kde.KWin", kwin5.c_str(), "org.kde.kwin.Script", "run",
                                    kScriptAnswerMs) ||
                  (!bus_->Lost() && bus_->CallIfThere("org.kde.KWin", kwin6.c_str(), "org.kde.kwin.Script",
                                                      "run", kScriptAnswerMs)) ||
                  (!bus_->Lost() && bus_->Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting",
                                               "start", kScriptAnswerMs, nullptr, ""));
        }
        sd_bus_message_unref(reply);
    }
    if (!ran) UnloadScript(script);
    return ran;
}

void KdeWindows::UnloadScript(const KwinScript& script) {
    if (!bus_->Lost())
        bus_->Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", kScriptAnswerMs,
                   nullptr, "s", script.plugin.c_str());
    unlink(script.path.c_str());
}

int32_t KdeWindows::Command(int32_t window, int32_t command) {
    KdeWindow* entry = Lookup(window);
    if (entry == nullptr) return 0;
    uint32_t mask = 0;
    uint32_t state = 0;
    switch (WindowCommandOf(command)) {
    case WindowCommand::Maximize:
        mask = kMaximized | kMinimized;
        state = kMaximized;
        break;
    case WindowCommand::Minimize:
        mask = state = kMinimized;
        break;
    case WindowCommand::Restore:
        // Shown, neither minimised nor maximised, as the other desktops restore.
        mask = kMinimized | kMaximized;
        state = 0;
        break;
    case WindowCommand::Close:
        org_kde_plasma_window_close(entry->handle);
        connection_.Roundtrip();
        return 0;
    case WindowCommand::Other:
        return 0;
    }
    org_kde_plasma_window_set_state(entry->handle, mask, state);
    const int32_t id = entry->id;
    const uint32_t wanted = state & (kMaximized | kMinimized);
    PollUntil(
        [&] {
            const KdeWindow* now = Lookup(id);
            return now == nullptr || (now->flags & (kMaximized | kMinimized)) == wanted;
        },
        kSettleLimitMs, 10);
    return 0;
}
