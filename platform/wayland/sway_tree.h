// SwayViews: the windows in sway's layout tree (IPC get_tree), most recently focused first, with the
// rectangle sway gives each and whether it floats, fills its output or waits in the scratchpad.
#pragma once

#include "desktop_platform.h"
#include "sway_json.h"

#include <string>
#include <vector>

struct SwayView {
    long long conId = 0;
    std::string appClass; // the app id, or the X11 class of an Xwayland window
    std::string title;
    ScreenRect rect; // the frame, borders and title bar included, in layout coordinates
    bool floating = false;
    bool fullscreen = false;
    bool scratchpad = false; // put away in the scratchpad (hidden)
    bool focused = false;
};

std::vector<SwayView> SwayViews(const SwayJson& tree);
