// The top-level client windows of an X screen in the order the X server stacks them, topmost first, each with
// the window of the root that holds it (the frame its window manager put it in, or the client itself).
#pragma once

#include "x11_window_properties.h"

#include <vector>

struct StackedClient {
    XID client = 0;   // the application's window: the one with WM_STATE, or a bare top-level window
    XID topLevel = 0; // the child of the root that holds it; 0 for a listed client not found in the tree
};

// The window manager's own lists (_NET_CLIENT_LIST and _NET_CLIENT_LIST_STACKING together), in no particular
// order; empty when it keeps neither.
std::vector<XID> ListedClients(Display* display, const X11Atoms& atoms);

// The client of a child of the root: the child itself when it has WM_STATE, else the first window below it
// with WM_STATE, looked for a few levels down (frames nest the client in one or two windows); 0 when none.
XID ClientOfTopLevel(Display* display, const X11Atoms& atoms, XID topLevel);

// The clients, topmost first, in the X server's stacking of the root's children (which every window manager
// keeps right, unlike its _NET_CLIENT_LIST_STACKING). When the window manager lists its clients, only those
// are kept, and a listed client that no child of the root holds comes last, so none is lost. Without a list,
// every WM_STATE client is kept, and a child without one that has a WM_CLASS counts as a client itself (no
// window manager sets WM_STATE).
std::vector<StackedClient> StackedClients(Display* display, const X11Atoms& atoms);
