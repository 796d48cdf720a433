// WlrootsToplevels: the top-level windows a wlroots compositor lists through
// zwlr_foreign_toplevel_management_v1, each with a handle of this program's own (a small positive number
// kept for the window's life), its title, app id and states.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class WlrootsConnection;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

struct WlrootsToplevel {
    int32_t id = 0;
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    std::string title;
    std::string appId;
    bool maximized = false;
    bool minimized = false;
    bool activated = false;
    bool fullscreen = false;
    bool closed = false;
    uint64_t activatedAt =
        0; // when it was last seen becoming active (a count of events): later is more recent
    uint64_t* clock = nullptr; // the list's event count
};

class WlrootsToplevels {
  public:
    explicit WlrootsToplevels(WlrootsConnection& connection);
    ~WlrootsToplevels();
    WlrootsToplevels(const WlrootsToplevels&) = delete;
    WlrootsToplevels& operator=(const WlrootsToplevels&) = delete;

    // Starts listening to the manager; the windows are known after the next round trip.
    void Start(zwlr_foreign_toplevel_manager_v1* manager);
    // The windows now open, oldest first (brings the compositor's news in first).
    std::vector<WlrootsToplevel*> Current();
    WlrootsToplevel* Get(int32_t id);

    // Called by the manager's listener.
    void Added(zwlr_foreign_toplevel_handle_v1* handle);

  private:
    void Forget();

    WlrootsConnection& connection_;
    std::vector<std::unique_ptr<WlrootsToplevel>> windows_;
    int32_t nextId_ = 1;
    uint64_t clock_ = 0;
};
