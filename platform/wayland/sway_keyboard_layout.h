// The XKB layout of sway's keyboards: sway's IPC names a keyboard's active layout only by its description
// ("German (no dead keys)"), which the XKB rules' list (evdev.xml) turns back into a layout and variant.
#pragma once

#include <string>

class SwayIpc;

// The layout and variant (empty for the layout's own) that the rules' XML text describes with
// `description`; false when none does.
bool XkbNamesOfDescription(const std::string& rulesXml, const std::string& description, std::string& layout,
                           std::string& variant);
// The layout and variant sway's configuration text gives every keyboard ("input type:keyboard" or
// "input *", on one line or in a block; the first of a list); false when it gives none.
bool KeyboardLayoutOfConfig(const std::string& config, std::string& layout, std::string& variant);
// The active layout of the first keyboard sway lists that is not a virtual one; without one, the layout of
// sway's configuration; false when neither is known.
bool SwayKeyboardLayout(SwayIpc& ipc, std::string& layout, std::string& variant);
