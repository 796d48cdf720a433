// The keyboard layout a GNOME session gives its keyboard: the current input source of GSettings'
// org.gnome.desktop.input-sources, read through the gsettings command.
#pragma once

#include <string>

// The XKB layout and variant of a source list as gsettings prints it ("[('xkb', 'de+nodeadkeys'), …]"): the
// first source of the XKB kind; false when the list holds none (empty, or input methods only).
bool FirstXkbSource(const std::string& printed, std::string& layout, std::string& variant);

// The layout GNOME uses: the most recently chosen source (mru-sources), else the first configured one
// (sources); false when GSettings tells none or cannot be read within a short time.
bool GnomeKeyboardLayout(std::string& layout, std::string& variant);
