// sway's tree walked in focus order: each container lists its children most recently focused first
// ("focus"), so walking children in that order, depth first, gives the windows from the most recently
// focused down; children missing from the list come after, in the tree's order.
#include "sway_tree.h"

#include <algorithm>

namespace {

constexpr char kScratchpad[] = "__i3_scratch";

ScreenRect RectOf(const SwayJson& rect) {
    return ScreenRect{static_cast<int32_t>(rect["x"].Integer()), static_cast<int32_t>(rect["y"].Integer()),
                      static_cast<int32_t>(rect["width"].Integer()),
                      static_cast<int32_t>(rect["height"].Integer())};
}

void Walk(const SwayJson& node, bool inScratchpad, bool floating, std::vector<SwayView>& out) {
    const std::string& type = node["type"].Text();
    if (type == "workspace" && node["name"].Text() == kScratchpad) inScratchpad = true;
    // Only windows have a shell (xdg_shell or xwayland).
    if (!node["shell"].IsNull() && (type == "con" || type == "floating_con")) {
        SwayView view;
        view.conId = node["id"].Integer();
        view.appClass = node["app_id"].Text();
        if (view.appClass.empty()) view.appClass = node["window_properties"]["class"].Text();
        view.title = node["name"].Text();
        // "rect" leaves out the title bar above it, which "deco_rect" gives the height of.
        view.rect = RectOf(node["rect"]);
        const int32_t titleBar = static_cast<int32_t>(node["deco_rect"]["height"].Integer());
        view.rect.top -= titleBar;
        view.rect.height += titleBar;
        view.floating = floating || type == "floating_con";
        view.fullscreen = node["fullscreen_mode"].Integer() != 0;
        view.scratchpad = inScratchpad;
        view.focused = node["focused"].boolean;
        out.push_back(view);
    }
    std::vector<std::pair<const SwayJson*, bool>> children;
    for (const SwayJson& child : node["nodes"].items) children.emplace_back(&child, floating);
    for (const SwayJson& child : node["floating_nodes"].items) children.emplace_back(&child, true);
    const std::vector<SwayJson>& focus = node["focus"].items;
    auto rank = [&](const SwayJson* child) {
        const long long id = (*child)["id"].Integer(-1);
        for (size_t i = 0; i < focus.size(); ++i)
            if (focus[i].Integer(-2) == id) return i;
        return focus.size();
    };
    std::stable_sort(children.begin(), children.end(),
                     [&](const auto& a, const auto& b) { return rank(a.first) < rank(b.first); });
    for (const auto& [child, childFloating] : children) Walk(*child, inScratchpad, childFloating, out);
}

} // namespace

std::vector<SwayView> SwayViews(const SwayJson& tree) {
    std::vector<SwayView> views;
    Walk(tree, false, false, views);
    return views;
}
