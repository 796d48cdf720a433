// The stacking order of client windows on X11: the window manager's listed clients placed by the XQueryTree
// stack of their ancestors, or without a list the root's children each mapped down to its WM_STATE client.
#include "x11_stacking.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

// How deep below a child of the root its client is looked for.
constexpr int kClientDepth = 4;

// The children of a window, bottom of the stack first; empty when the window is gone.
std::vector<XID> Children(Display* display, XID window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return {};
    std::vector<XID> out(children, children + count);
    if (children != nullptr) XFree(children);
    return out;
}

XID ClientBelow(Display* display, const X11Atoms& atoms, XID window, int depth) {
    if (ReadWmState(display, atoms, window) >= 0) return window;
    if (depth == 0) return 0;
    const std::vector<XID> children = Children(display, window);
    for (auto child = children.rbegin(); child != children.rend(); ++child)
        if (const XID client = ClientBelow(display, atoms, *child, depth - 1); client != 0) return client;
    return 0;
}

} // namespace

std::vector<XID> ListedClients(Display* display, const X11Atoms& atoms) {
    const XID root = DefaultRootWindow(display);
    std::vector<unsigned long> listed = ReadLongs(display, root, atoms.clientListStacking);
    const std::vector<unsigned long> plain = ReadLongs(display, root, atoms.clientList);
    listed.insert(listed.end(), plain.begin(), plain.end());
    std::sort(listed.begin(), listed.end());
    listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
    listed.erase(std::remove(listed.begin(), listed.end(), 0UL), listed.end());
    return {listed.begin(), listed.end()};
}

XID ClientOfTopLevel(Display* display, const X11Atoms& atoms, XID topLevel) {
    return ClientBelow(display, atoms, topLevel, kClientDepth);
}

namespace {

// XQueryTree's answers, each window asked once.
class TreeCache {
  public:
    explicit TreeCache(Display* display) : display_(display) {}

    struct Node {
        bool known = false;
        XID parent = 0;
        std::vector<XID> children; // bottom of the stack first
    };
    const Node& Get(XID window) {
        auto [at, added] = nodes_.try_emplace(window);
        if (added) {
            Window root = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            if (XQueryTree(display_, window, &root, &parent, &children, &count) != 0) {
                at->second.known = true;
                at->second.parent = parent;
                at->second.children.assign(children, children + count);
            }
            if (children != nullptr) XFree(children);
        }
        return at->second;
    }

  private:
    Display* display_;
    std::map<XID, Node> nodes_;
};

// A client's place in the stack: its ancestors' positions among their siblings, from the root's child down
// to the client itself. Comparing two places as sequences compares their stacking (greater is higher),
// also below a window that holds several clients (a virtual root).
struct Placed {
    StackedClient stacked;
    std::vector<size_t> place;
};

bool PlaceOf(TreeCache& tree, XID root, XID client, Placed& out) {
    out.stacked.client = client;
    out.place.clear();
    XID window = client;
    for (int level = 0; level <= kClientDepth + 1; ++level) {
        const TreeCache::Node& node = tree.Get(window);
        if (!node.known || node.parent == 0) return false;
        const std::vector<XID>& siblings = tree.Get(node.parent).children;
        const auto at = std::find(siblings.begin(), siblings.end(), window);
        if (at == siblings.end()) return false;
        out.place.insert(out.place.begin(), static_cast<size_t>(at - siblings.begin()));
        if (node.parent == root) {
            out.stacked.topLevel = window;
            return true;
        }
        window = node.parent;
    }
    return false;
}

// Without a client list: every child of the root, topmost first, mapped down to its client.
std::vector<StackedClient> UnlistedClients(Display* display, const X11Atoms& atoms, XID root) {
    std::vector<StackedClient> out;
    const std::vector<XID> stack = Children(display, root);
    for (auto topLevel = stack.rbegin(); topLevel != stack.rend(); ++topLevel) {
        XID client = ClientOfTopLevel(display, atoms, *topLevel);
        if (client == 0) {
            std::string instance;
            std::string className;
            if (!ReadClass(display, *topLevel, instance, className)) continue;
            client = *topLevel;
        }
        out.push_back({client, *topLevel});
    }
    return out;
}

} // namespace

// With a client list, each listed client is placed by walking up to the root's child that holds it, which
// costs a few requests per client instead of a walk through every window of the screen (a window manager's
// menus and panels are many).
std::vector<StackedClient> StackedClients(Display* display, const X11Atoms& atoms) {
    const XID root = DefaultRootWindow(display);
    const std::vector<XID> listed = ListedClients(display, atoms);
    if (listed.empty()) return UnlistedClients(display, atoms, root);
    TreeCache tree(display);
    std::vector<Placed> placed;
    std::set<XID> lost;
    for (const XID client : listed) {
        Placed one;
        if (PlaceOf(tree, root, client, one))
            placed.push_back(std::move(one));
        else
            lost.insert(client);
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.place > b.place; });
    std::vector<StackedClient> out;
    for (const Placed& one : placed) out.push_back(one.stacked);
    // Listed clients the tree does not hold (one that was destroyed a moment ago, still in the list): after
    // the others, in the window manager's own stacking order, topmost first.
    const std::vector<unsigned long> order = ReadLongs(display, root, atoms.clientListStacking);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (lost.erase(*it) != 0) out.push_back({*it, 0});
    for (const XID client : lost) out.push_back({client, 0});
    return out;
}
