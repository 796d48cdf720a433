// Connections to the X server that outlive their server: when the server goes away (killed, crashed, the
// session ended) a watched connection is marked lost and Xlib returns to its caller, silently, instead of
// printing its message and ending the program.
#pragma once

#include <atomic>

typedef struct _XDisplay Display;

// Opens the display `name` (DISPLAY when null) and watches it; null when it cannot be opened. Once a call on
// the connection finds the server gone, `lost` is set for good and that call returns as a failure. Xlib
// allows nothing more on such a connection: its owner makes no further request on it and only closes it.
// `lost` must outlive the connection; the connections of one owner may share one flag. Connections the
// program did not open here (the toolkit's own) keep the handling they had.
Display* OpenWatchedDisplay(const char* name, std::atomic<bool>& lost);

// Closes a connection opened by OpenWatchedDisplay, live or lost; closing a lost one sends nothing.
void CloseWatchedDisplay(Display* display);

// Puts the handling of lost connections back in place after a toolkit connected later than the watched
// connections were opened (Qt sets handlers of its own, which end the program); the toolkit's handlers
// still serve its own connections.
void KeepWatchingAfterToolkit();
