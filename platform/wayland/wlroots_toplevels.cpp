// The foreign top-level list of a wlroots compositor: a window is known from its announcement to its
// "closed" event; our handle for it counts up from 1 and is never given to another window.
#include "wlroots_toplevels.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client.h"
#include "wlroots_connection.h"

#include <wayland-client.h>

#include <algorithm>

namespace {

WlrootsToplevel& Of(void* data) {
    return *static_cast<WlrootsToplevel*>(data);
}

void OnTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
    Of(data).title = title != nullptr ? title : "";
}

void OnAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
    Of(data).appId = appId != nullptr ? appId : "";
}

void OnOutputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void OnOutputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}

void OnState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
    WlrootsToplevel& window = Of(data);
    const bool wasActive = window.activated;
    window.maximized = window.minimized = window.activated = window.fullscreen = false;
    const auto* state = static_cast<const uint32_t*>(states->data);
    for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
        switch (state[i]) {
        case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MAXIMIZED:
            window.maximized = true;
            break;
        case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED:
            window.minimized = true;
            break;
        case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED:
            window.activated = true;
            break;
        case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN:
            window.fullscreen = true;
            break;
        default:
            break;
        }
    }
    if (window.activated && !wasActive) window.activatedAt = ++*window.clock;
}

void OnDone(void*, zwlr_foreign_toplevel_handle_v1*) {}

void OnClosed(void* data, zwlr_foreign_toplevel_handle_v1*) {
    Of(data).closed = true;
}

void OnParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

const zwlr_foreign_toplevel_handle_v1_listener kHandleListener = {
    OnTitle, OnAppId, OnOutputEnter, OnOutputLeave, OnState, OnDone, OnClosed, OnParent};

void OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
    static_cast<WlrootsToplevels*>(data)->Added(handle);
}

void OnFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {OnToplevel, OnFinished};

} // namespace

WlrootsToplevels::WlrootsToplevels(WlrootsConnection& connection) : connection_(connection) {}

WlrootsToplevels::~WlrootsToplevels() {
    for (auto& window : windows_) zwlr_foreign_toplevel_handle_v1_destroy(window->handle);
}

void WlrootsToplevels::Start(zwlr_foreign_toplevel_manager_v1* manager) {
    zwlr_foreign_toplevel_manager_v1_add_listener(manager, &kManagerListener, this);
}

void WlrootsToplevels::Added(zwlr_foreign_toplevel_handle_v1* handle) {
    auto window = std::make_unique<WlrootsToplevel>();
    window->id = nextId_++;
    window->handle = handle;
    window->clock = &clock_;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandleListener, window.get());
    windows_.push_back(std::move(window));
}

void WlrootsToplevels::Forget() {
    for (auto& window : windows_)
        if (window->closed) zwlr_foreign_toplevel_handle_v1_destroy(window->handle);
    windows_.erase(
        std::remove_if(windows_.begin(), windows_.end(), [](const auto& window) { return window->closed; }),
        windows_.end());
}

std::vector<WlrootsToplevel*> WlrootsToplevels::Current() {
    connection_.Roundtrip();
    Forget();
    std::vector<WlrootsToplevel*> current;
    for (auto& window : windows_) current.push_back(window.get());
    return current;
}

WlrootsToplevel* WlrootsToplevels::Get(int32_t id) {
    for (WlrootsToplevel* window : Current())
        if (window->id == id) return window;
    return nullptr;
}
