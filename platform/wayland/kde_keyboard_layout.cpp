// Reads KDE's keyboard configuration (kxkbrc, an INI text): the [Layout] group's layout and variant lists.
#include "kde_keyboard_layout.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string FirstOfList(const std::string& list) {
    return Trimmed(list.substr(0, list.find(',')));
}

} // namespace

bool KxkbrcLayout(const std::string& text, std::string& layout, std::string& variant) {
    std::istringstream lines(text);
    bool inLayout = false;
    bool used = true;
    std::string layouts;
    std::string variants;
    for (std::string line; std::getline(lines, line);) {
        line = Trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inLayout = line == "[Layout]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inLayout || equals == std::string::npos) continue;
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (key == "LayoutList")
            layouts = value;
        else if (key == "VariantList")
            variants = value;
        else if (key == "Use")
            used = value != "false";
    }
    if (!used || FirstOfList(layouts).empty()) return false;
    layout = FirstOfList(layouts);
    variant = FirstOfList(variants);
    return true;
}

bool KdeKeyboardLayout(std::string& layout, std::string& variant) {
    std::string folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        folder = config;
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        folder = std::string(home) + "/.config";
    else
        return false;
    std::ifstream file(folder + "/kxkbrc");
    if (!file) return false;
    std::stringstream text;
    text << file.rdbuf();
    return KxkbrcLayout(text.str(), layout, variant);
}
