// Waits for the window manager's answers as the X server holds them: that it has framed a new window, and
// that a window has the size last asked for. Qt changes its own idea of a window's size at once, before
// either.
#pragma once

#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace editor_testing {

// Processes Qt's events until the window manager has framed the shown top-level `window` (it sets
// _NET_FRAME_EXTENTS on each window it manages). False only past a limit that guards against a hang.
bool WaitUntilFramed(QWidget& window);

// Processes Qt's events until the X server's window of `window` has `size` and `check` holds: the window
// manager has answered the request, and Qt has taken the answer in. False only past the hang guard.
bool WaitForServerSize(QWidget& window, QSize size, const std::function<bool()>& check);

// Waits until the X server's window of `window` has `size`, leaving Qt's events unprocessed, so that the
// window manager's answers wait for the program together. False only past the hang guard.
bool ServerReaches(QWidget& window, QSize size);

// The size of `window` as the X server holds it now, for the message of a failed wait.
QSize ServerSize(QWidget& window);

// Where the X server shows the client area of `window` now, in root coordinates (null when unmapped).
QRect ServerClientRect(QWidget& window);

// True when the window manager has marked `window` maximised both ways (_NET_WM_STATE).
bool ServerMaximised(QWidget& window);

// Sends the requests Qt has buffered for the X server without taking in any of its events.
void FlushRequests();

} // namespace editor_testing
