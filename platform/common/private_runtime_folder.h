// Folders of the user's alone: making one (the run's buffer copy, the recovery copies), and on Linux the
// runtime folder for the small files this user's QuillonMacro processes share while they run.
#pragma once

#include <string>

// Makes the folder (and its parents) when missing, with rights for the user alone, and takes the rights of
// others away from a folder of the user's that has them. False, with the reason in Japanese, when the
// folder is a link (never followed), not a folder, another user's, or cannot be made: nothing private can be
// kept there.
bool MakePrivateFolder(const std::string& folder, std::u16string& reason);

// Linux: XDG_RUNTIME_DIR when it is private, as the session manager makes it; otherwise a folder of our
// own, /tmp/quillonmacro-<uid>, made as MakePrivateFolder makes one. Empty when neither can be had (a folder
// of that name that is a link or another user's).
std::string PrivateRuntimeFolder();

// Linux: the name of this desktop for such files, from WAYLAND_DISPLAY and DISPLAY.
std::string RuntimeDesktopName();
// The name from the values of WAYLAND_DISPLAY and DISPLAY (either may be null): "wayland-0", ":1" (the
// screen number dropped: ":1.0" is the same desktop), "none" without a desktop; at most 63 characters, those
// that cannot be in a file name turned into '_'.
std::string DesktopNameOf(const char* waylandDisplay, const char* display);
