// Reading a keyboard layout table line by line ("layouts", "variants", and "CODE SCANCODE" lines with "#"
// comments), and the placement of codes built from one or more tables.
#include "keyboard_layout_table.h"

#include "virtual_key_names.h"

namespace {

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
        const size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r') ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    return words;
}

} // namespace

bool ParseKeyboardLayoutTable(std::string_view name, std::string_view text, KeyboardLayoutTable& out,
                              std::string& error) {
    out = KeyboardLayoutTable{};
    out.name = std::string(name);
    std::array<int, 256> listedAt{};
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) continue;
        const std::string where = std::string(name) + ":" + std::to_string(lineNumber) + ": ";
        if (words[0] == "layouts" || words[0] == "variants") {
            std::vector<std::string>& list = words[0] == "layouts" ? out.layouts : out.variants;
            if (words.size() < 2 || !list.empty()) {
                error = where + "one \"" + std::string(words[0]) + "\" line with at least one name";
                return false;
            }
            for (size_t i = 1; i < words.size(); ++i) list.emplace_back(words[i]);
            continue;
        }
        if (words.size() != 2) {
            error = where + "expected a virtual-key code and a scan code";
            return false;
        }
        const int code = VirtualKeyOfName(words[0]);
        if (code <= 0) {
            error = where + "unknown virtual-key code \"" + std::string(words[0]) + "\"";
            return false;
        }
        const ScanCode scanCode = words[1] == "-" ? 0 : ParseScanCode(words[1]);
        if (words[1] != "-" && (scanCode == 0 || XkbKeyNameOfScanCode(scanCode).empty())) {
            error = where + "unknown scan code \"" + std::string(words[1]) + "\"";
            return false;
        }
        if (listedAt[static_cast<size_t>(code)] != 0) {
            error = where + std::string(words[0]) + " is listed already on line " +
                    std::to_string(listedAt[static_cast<size_t>(code)]);
            return false;
        }
        listedAt[static_cast<size_t>(code)] = lineNumber;
        out.keys.push_back({static_cast<uint8_t>(code), scanCode, lineNumber});
    }
    return true;
}

void KeyPlacement::Add(const KeyboardLayoutTable& table) {
    for (const LayoutKeyLine& key : table.keys) Place(key.virtualKey, key.scanCode);
}

bool KeyPlacement::Place(uint8_t virtualKey, ScanCode scanCode) {
    if (placed_[virtualKey]) return false;
    placed_[virtualKey] = true;
    scanCodes_[virtualKey] = scanCode;
    if (scanCode != 0 && VirtualKeyAt(scanCode) == 0) reporting_.emplace_back(scanCode, virtualKey);
    return true;
}

uint8_t KeyPlacement::VirtualKeyAt(ScanCode scanCode) const {
    for (const auto& [key, code] : reporting_)
        if (key == scanCode) return code;
    return 0;
}
