// SwayViews: the windows in sway's layout tree (IPC get_tree), most recently focused first, with the
// rectangle sway gives each and whether it floats, fills its output or waits in the scratchpad.
#pragma once

#include "desktop_platform.h"

#include <rapidjson/fwd.h>

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

// The windows in the tree (sway's get_tree answer); containers nested deeper than sway's trees go are left
// out.
std::vector<SwayView> SwayViews(const rapidjson::Value& tree);
