// X11Windows: the window functions on an X11 desktop with an EWMH window manager: search among the top-level
// client windows, placement of the outer frame, move and size, and the system commands maximise, minimise,
// restore and close. Each request waits (a bounded time) for the window manager to carry it out, so the next
// query sees the new state.
#pragma once

#include "desktop_platform.h"
#include "x11_window_properties.h"

#include <cstdint>
#include <string>
#include <vector>

class X11Windows {
  public:
    explicit X11Windows(Display* display);

    // The topmost client window whose WM_CLASS instance or class is `className` and, when a title is given,
    // whose _NET_WM_NAME or WM_NAME is `title` (both exact, UTF-8, case-sensitive); 0 when none.
    int32_t Find(const std::string& className, const std::string* title);
    bool Placement(int32_t window, WindowPlacement& out);
    void Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height);
    int32_t Command(int32_t window, int32_t command);
    // The topmost top-level window showing at a root pixel (its frame included) that Find can give, passing
    // over `lookedThrough` (a client or frame; 0 none); false when there is none.
    bool TopLevelAt(int32_t x, int32_t y, XID lookedThrough, WindowDescription& out);

  private:
    struct Rect {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        bool operator==(const Rect&) const = default;
    };

    // The client windows, topmost first.
    std::vector<XID> ClientWindows();
    void Describe(XID client, XID topLevel, const Rect& topLevelRect, WindowDescription& out);
    bool IsClient(XID window);
    bool HasWindowManager();
    bool WmSupports(Atom atom);
    bool OuterRect(XID window, Rect& out);
    bool IsShown(XID window);
    bool IsMaximized(XID window);
    void SendToRoot(XID window, Atom type, long a, long b, long c, long d, long e);
    void SetMaximized(XID window, bool on);
    void Show(XID window);
    void Close(XID window);
    // Polls the condition (after a round trip) until it holds or the time is up.
    template <typename Condition> bool WaitFor(Condition condition, int milliseconds = 1500);

    Display* display_;
    X11Atoms atoms_;
};
