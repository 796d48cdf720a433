// sway's keyboard layout by description, read back through the XKB rules' list: each <layout> has a
// <configItem> with its <name> and <description>, and its <variant>s the same inside <variantList>; without a
// physical keyboard, the layout sway's configuration gives every keyboard.
#include "sway_keyboard_layout.h"

#include "sway_ipc.h"
#include "sway_json_values.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr char kRulesXml[] = "/usr/share/X11/xkb/rules/evdev.xml";

std::string Unescape(std::string text) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : kEntities) {
        const std::string from(entity);
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
            text.replace(at, from.size(), character);
    }
    return text;
}

// The text of the first <tag> inside [begin, end) of the XML; empty when there is none.
std::string Element(const std::string& xml, const char* tag, size_t begin, size_t end) {
    const std::string open = std::string("<") + tag + ">";
    const std::string close = std::string("</") + tag + ">";
    const size_t start = xml.find(open, begin);
    if (start == std::string::npos || start >= end) return {};
    const size_t stop = xml.find(close, start);
    if (stop == std::string::npos || stop > end) return {};
    return Unescape(xml.substr(start + open.size(), stop - start - open.size()));
}

// The words of a configuration line, quotes taken off; a "#" outside quotes starts a comment.
std::vector<std::string> ConfigWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && c == '#') {
            break;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// Takes an xkb_layout or xkb_variant setting (the first of a list: the layout in use at start).
void TakeSetting(const std::vector<std::string>& words, size_t at, std::string& layout, std::string& variant,
                 bool& found) {
    if (at + 1 >= words.size()) return;
    const std::string value = words[at + 1].substr(0, words[at + 1].find(','));
    if (words[at] == "xkb_layout") {
        layout = value;
        found = true;
    } else if (words[at] == "xkb_variant") {
        variant = value;
    }
}

} // namespace

bool KeyboardLayoutOfConfig(const std::string& config, std::string& layout, std::string& variant) {
    bool found = false;
    bool inKeyboardBlock = false;
    std::istringstream lines(config);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> words = ConfigWords(line);
        if (words.empty()) continue;
        if (inKeyboardBlock) {
            if (words[0] == "}")
                inKeyboardBlock = false;
            else
                TakeSetting(words, 0, layout, variant, found);
            continue;
        }
        // "input type:keyboard xkb_layout de", "input * { … }": the settings of every keyboard. Settings of
        // one named device concern a physical keyboard, which sway then lists itself.
        if (words.size() < 3 || words[0] != "input" || (words[1] != "type:keyboard" && words[1] != "*"))
            continue;
        if (words[2] == "{")
            inKeyboardBlock = true;
        else
            TakeSetting(words, 2, layout, variant, found);
    }
    return found && !layout.empty();
}

bool XkbNamesOfDescription(const std::string& rulesXml, const std::string& description, std::string& layout,
                           std::string& variant) {
    for (size_t at = rulesXml.find("<layout>"); at != std::string::npos;
         at = rulesXml.find("<layout>", at + 1)) {
        size_t end = rulesXml.find("</layout>", at);
        if (end == std::string::npos) end = rulesXml.size();
        size_t variants = rulesXml.find("<variantList>", at);
        if (variants == std::string::npos || variants > end) variants = end;
        const std::string name = Element(rulesXml, "name", at, variants);
        if (Element(rulesXml, "description", at, variants) == description) {
            layout = name;
            variant.clear();
            return true;
        }
        for (size_t item = rulesXml.find("<variant>", variants); item != std::string::npos && item < end;
             item = rulesXml.find("<variant>", item + 1)) {
            const size_t itemEnd = rulesXml.find("</variant>", item);
            if (Element(rulesXml, "description", item, itemEnd) == description) {
                layout = name;
                variant = Element(rulesXml, "name", item, itemEnd);
                return true;
            }
        }
    }
    return false;
}

bool SwayKeyboardLayout(SwayIpc& ipc, std::string& layout, std::string& variant) {
    const rapidjson::Document inputs = ipc.Ask(SwayIpc::kGetInputs);
    std::string description;
    for (const rapidjson::Value& input : SwayItems(inputs, "")) {
        if (SwayText(input, "/type") != "keyboard") continue;
        // Virtual keyboards bring keymaps of their own programs.
        if (SwayText(input, "/identifier").find("virtual") != std::string::npos) continue;
        description = SwayText(input, "/xkb_active_layout_name");
        if (!description.empty()) break;
    }
    if (description.empty()) {
        // No physical keyboard (a headless or remote session): the keyboards sway would make get the
        // configuration's layout, which the user set for this desktop.
        const rapidjson::Document config = ipc.Ask(SwayIpc::kGetConfig);
        return KeyboardLayoutOfConfig(SwayText(config, "/config"), layout, variant);
    }
    std::ifstream file(kRulesXml);
    std::stringstream xml;
    xml << file.rdbuf();
    return XkbNamesOfDescription(xml.str(), description, layout, variant);
}
