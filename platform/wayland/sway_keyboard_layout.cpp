// sway's keyboard layout by description, read back through the XKB rules' list: each <layout> has a
// <configItem> with its <name> and <description>, and its <variant>s the same inside <variantList>.
#include "sway_keyboard_layout.h"

#include "sway_ipc.h"
#include "sway_json_values.h"

#include <fstream>
#include <sstream>

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

} // namespace

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
    if (description.empty()) return false;
    std::ifstream file(kRulesXml);
    std::stringstream xml;
    xml << file.rdbuf();
    return XkbNamesOfDescription(xml.str(), description, layout, variant);
}
