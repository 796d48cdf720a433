// Property reading for the window functions, with the text conversions of window titles.
#include "x11_window_properties.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace {

// Latin-1 (the STRING type of ICCCM) to UTF-8.
std::string Latin1ToUtf8(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

X11Atoms::X11Atoms(Display* display) {
    const char* names[] = {"_NET_CLIENT_LIST",
                           "_NET_CLIENT_LIST_STACKING",
                           "WM_STATE",
                           "_NET_WM_NAME",
                           "UTF8_STRING",
                           "_NET_WM_STATE",
                           "_NET_WM_STATE_MAXIMIZED_VERT",
                           "_NET_WM_STATE_MAXIMIZED_HORZ",
                           "_NET_WM_STATE_HIDDEN",
                           "_NET_FRAME_EXTENTS",
                           "_NET_MOVERESIZE_WINDOW",
                           "_NET_ACTIVE_WINDOW",
                           "_NET_SUPPORTED",
                           "_NET_SUPPORTING_WM_CHECK",
                           "WM_PROTOCOLS",
                           "WM_DELETE_WINDOW",
                           "COMPOUND_TEXT"};
    Atom atoms[std::size(names)] = {};
    XInternAtoms(display, const_cast<char**>(names), static_cast<int>(std::size(names)), False, atoms);
    Atom* fields[] = {
        &clientList,    &clientListStacking, &wmState,     &netWmName,      &utf8String,       &netWmState,
        &maximizedVert, &maximizedHorz,      &hidden,      &frameExtents,   &moveResizeWindow, &activeWindow,
        &supported,     &supportingWmCheck,  &wmProtocols, &wmDeleteWindow, &compoundText};
    for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = atoms[i];
}

std::vector<unsigned long> ReadLongs(Display* display, XID window, Atom property) {
    std::vector<unsigned long> out;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1 << 16, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success)
        return out;
    if (data != nullptr && format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        out.assign(items, items + count);
    }
    if (data != nullptr) XFree(data);
    return out;
}

bool ReadBytes(Display* display, XID window, Atom property, std::string& out, Atom& type) {
    out.clear();
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    type = None;
    if (XGetWindowProperty(display, window, property, 0, 1 << 16, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success)
        return false;
    const bool found = data != nullptr && format == 8;
    if (found) out.assign(reinterpret_cast<const char*>(data), count);
    if (data != nullptr) XFree(data);
    return found;
}

bool ReadClass(Display* display, XID window, std::string& instance, std::string& className) {
    std::string bytes;
    Atom type = None;
    if (!ReadBytes(display, window, XA_WM_CLASS, bytes, type)) return false;
    // Two texts, each ended by a zero byte.
    const size_t split = bytes.find('\0');
    instance = bytes.substr(0, split);
    className.clear();
    if (split != std::string::npos) {
        const std::string rest = bytes.substr(split + 1);
        className = rest.substr(0, rest.find('\0'));
    }
    return true;
}

bool ReadNetTitle(Display* display, const X11Atoms& atoms, XID window, std::string& out) {
    Atom type = None;
    return ReadBytes(display, window, atoms.netWmName, out, type) && type == atoms.utf8String;
}

bool ReadWmName(Display* display, const X11Atoms& atoms, XID window, std::string& out) {
    Atom type = None;
    std::string bytes;
    out.clear();
    if (!ReadBytes(display, window, XA_WM_NAME, bytes, type)) return false;
    if (type == atoms.utf8String) {
        out = bytes;
        return true;
    }
    if (type == XA_STRING) {
        out = Latin1ToUtf8(bytes);
        return true;
    }
    XTextProperty text{};
    if (!XGetWMName(display, window, &text)) return false;
    char** list = nullptr;
    int count = 0;
    const bool ok = Xutf8TextPropertyToTextList(display, &text, &list, &count) >= Success && count > 0;
    if (ok) out = list[0];
    if (list != nullptr) XFreeStringList(list);
    if (text.value != nullptr) XFree(text.value);
    return ok;
}

long ReadWmState(Display* display, const X11Atoms& atoms, XID window) {
    const std::vector<unsigned long> state = ReadLongs(display, window, atoms.wmState);
    return state.empty() ? -1 : static_cast<long>(state[0]);
}

FrameExtents ReadFrameExtents(Display* display, const X11Atoms& atoms, XID window) {
    const std::vector<unsigned long> items = ReadLongs(display, window, atoms.frameExtents);
    FrameExtents extents;
    if (items.size() >= 4) {
        extents.left = static_cast<long>(items[0]);
        extents.right = static_cast<long>(items[1]);
        extents.top = static_cast<long>(items[2]);
        extents.bottom = static_cast<long>(items[3]);
    }
    return extents;
}

bool HasAtom(const std::vector<unsigned long>& atoms, Atom atom) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}
