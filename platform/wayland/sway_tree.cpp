// sway's tree walked in focus order: each container lists its children most recently focused first
// ("focus"), so walking children in that order, depth first, gives the windows from the most recently
// focused down; children missing from the list come after, in the tree's order.
#include "sway_tree.h"

#include "sway_json_values.h"

#include <algorithm>

namespace {

constexpr char kScratchpad[] = "__i3_scratch";
// sway nests containers a few levels deep; the walk goes no deeper than this, so that no answer, however
// deep, can exhaust the stack.
constexpr int kDeepest = 100;

ScreenRect RectOf(const rapidjson::Value& node, const char* rect) {
    const rapidjson::Value& r = SwayAt(node, rect);
    return ScreenRect{static_cast<int32_t>(SwayInteger(r, "/x")), static_cast<int32_t>(SwayInteger(r, "/y")),
                      static_cast<int32_t>(SwayInteger(r, "/width")),
                      static_cast<int32_t>(SwayInteger(r, "/height"))};
}

void Walk(const rapidjson::Value& node, int depth, bool inScratchpad, bool floating,
          std::vector<SwayView>& out) {
    const std::string type = SwayText(node, "/type");
    if (type == "workspace" && SwayText(node, "/name") == kScratchpad) inScratchpad = true;
    // Only windows have a shell (xdg_shell or xwayland).
    if (!SwayAt(node, "/shell").IsNull() && (type == "con" || type == "floating_con")) {
        SwayView view;
        view.conId = SwayInteger(node, "/id");
        view.appClass = SwayText(node, "/app_id");
        if (view.appClass.empty()) view.appClass = SwayText(node, "/window_properties/class");
        view.title = SwayText(node, "/name");
        // "rect" leaves out the title bar above it, which "deco_rect" gives the height of.
        view.rect = RectOf(node, "/rect");
        const int32_t titleBar = static_cast<int32_t>(SwayInteger(node, "/deco_rect/height"));
        view.rect.top -= titleBar;
        view.rect.height += titleBar;
        view.floating = floating || type == "floating_con";
        view.fullscreen = SwayInteger(node, "/fullscreen_mode") != 0;
        view.scratchpad = inScratchpad;
        view.focused = SwayTrue(node, "/focused");
        out.push_back(view);
    }
    if (depth >= kDeepest) return;
    // Each child with whether it floats and its place in the focus order.
    struct Child {
        const rapidjson::Value* node;
        bool floating;
        rapidjson::SizeType rank;
    };
    const auto focus = SwayItems(node, "/focus");
    std::vector<Child> children;
    auto add = [&](const rapidjson::Value& child, bool childFloating) {
        const long long id = SwayInteger(child, "/id", -1);
        rapidjson::SizeType rank = 0;
        while (rank < focus.Size() && SwayInteger(focus[rank], "", -2) != id) ++rank;
        children.push_back(Child{&child, childFloating, rank});
    };
    for (const rapidjson::Value& child : SwayItems(node, "/nodes")) add(child, floating);
    for (const rapidjson::Value& child : SwayItems(node, "/floating_nodes")) add(child, true);
    std::stable_sort(children.begin(), children.end(),
                     [](const Child& a, const Child& b) { return a.rank < b.rank; });
    for (const Child& child : children) Walk(*child.node, depth + 1, inScratchpad, child.floating, out);
}

} // namespace

std::vector<SwayView> SwayViews(const rapidjson::Value& tree) {
    std::vector<SwayView> views;
    Walk(tree, 0, false, false, views);
    return views;
}
