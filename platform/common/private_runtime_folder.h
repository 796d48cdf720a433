// PrivateRuntimeFolder: a folder for the small files this user's QuillonMacro processes share while they
// run (the stop counter, the lock of the stop key), which no other user can reach or fake.
#pragma once

#include <string>

// XDG_RUNTIME_DIR when it is private, as the session manager makes it; otherwise a folder of our own,
// /tmp/quillonmacro-<uid>, made private when it is created. Empty when neither can be had (a folder of that
// name that is a link, another user's, or open to others).
std::string PrivateRuntimeFolder();

// The name of this desktop for such files: WAYLAND_DISPLAY, else DISPLAY without its screen number, else
// "none"; as StopBroadcastDesktopName makes it from the environment.
std::string RuntimeDesktopName();
