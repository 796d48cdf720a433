// The watch on the program's own X connections: a list of the watched connections with their flags, Xlib's
// process-wide I/O error handler replaced by one that lets a watched connection's error return (the others go
// on to the handler that was there before, the toolkit's or Xlib's), an exit handler on each watched
// connection that sets its flag instead of ending the program, and the same choice for the message libXext
// prints about an extension a lost connection can no longer query.
#include "x11_connection_loss.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xext.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Watched {
    Display* display;
    std::atomic<bool>* lost;
    bool closing; // XCloseDisplay is under way: its requests may still be the first to find the server gone
};

std::mutex watchLock;
std::vector<Watched>& WatchedConnections() {
    static std::vector<Watched> list;
    return list;
}
std::atomic<XIOErrorHandler> previousIOError{nullptr};
std::atomic<XextErrorHandler> previousExtensionError{nullptr};

std::atomic<bool>* LossFlagOf(Display* display) {
    std::lock_guard<std::mutex> hold(watchLock);
    for (const Watched& entry : WatchedConnections())
        if (entry.display == display) return entry.lost;
    return nullptr;
}

// Xlib calls this first, then the connection's exit handler. A watched connection returns quietly; any other
// gets the previous handler, which prints and ends the program as it always did.
int OnIOError(Display* display) {
    if (std::atomic<bool>* lost = LossFlagOf(display)) {
        lost->store(true);
        return 0;
    }
    const XIOErrorHandler previous = previousIOError.load();
    return previous != nullptr ? previous(display) : 0;
}

// In place of Xlib's exit(1): the connection counts as lost, and the call that found it returns.
void OnWatchedExit(Display*, void* lost) {
    static_cast<std::atomic<bool>*>(lost)->store(true);
}

// An extension first asked for on a lost connection looks missing; that is no news to print.
int OnExtensionError(Display* display, const char* extension, const char* reason) {
    if (std::atomic<bool>* lost = LossFlagOf(display); lost != nullptr && lost->load()) return 0;
    const XextErrorHandler previous = previousExtensionError.load();
    return previous != nullptr ? previous(display, extension, reason) : 0;
}

// Put in place before each watch, so a handler someone set meanwhile (the toolkit sets its own when it
// connects) becomes the previous one instead of replacing ours.
void InstallHandlers() {
    const XIOErrorHandler io = XSetIOErrorHandler(OnIOError);
    if (io != OnIOError) previousIOError.store(io);
    const XextErrorHandler extension = XSetExtensionErrorHandler(OnExtensionError);
    if (extension != OnExtensionError) previousExtensionError.store(extension);
}

} // namespace

Display* OpenWatchedDisplay(const char* name, std::atomic<bool>& lost) {
    Display* display = XOpenDisplay(name);
    if (display == nullptr) return nullptr;
    std::lock_guard<std::mutex> hold(watchLock);
    InstallHandlers();
    XSetIOErrorExitHandler(display, OnWatchedExit, &lost);
    WatchedConnections().push_back({display, &lost, false});
    return display;
}

void KeepWatchingAfterToolkit() {
    std::lock_guard<std::mutex> hold(watchLock);
    InstallHandlers();
}

void CloseWatchedDisplay(Display* display) {
    if (display == nullptr) return;
    {
        std::lock_guard<std::mutex> hold(watchLock);
        for (Watched& entry : WatchedConnections())
            if (entry.display == display) entry.closing = true;
    }
    // On a lost connection Xlib sends nothing any more and only frees the connection (measured: no handler
    // runs again, nothing is printed).
    XCloseDisplay(display);
    // Another connection opened since may have been given the same address: only the closed one goes.
    std::lock_guard<std::mutex> hold(watchLock);
    std::vector<Watched>& list = WatchedConnections();
    const auto closed = std::find_if(list.begin(), list.end(),
                                     [&](const Watched& e) { return e.display == display && e.closing; });
    if (closed != list.end()) list.erase(closed);
}
