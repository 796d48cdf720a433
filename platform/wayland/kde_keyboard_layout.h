// The keyboard layout KDE Plasma gives its keyboards: the first of the layouts set in System Settings, which
// KWin reads from kxkbrc in the user's configuration folder.
#pragma once

#include <string>

// The first layout and its variant of a kxkbrc text ([Layout] with LayoutList=de,us and VariantList=
// nodeadkeys,); false when it sets none or its layouts are switched off (Use=false).
bool KxkbrcLayout(const std::string& text, std::string& layout, std::string& variant);

// The layout of the user's kxkbrc ($XDG_CONFIG_HOME, else ~/.config); false when there is none.
bool KdeKeyboardLayout(std::string& layout, std::string& variant);
