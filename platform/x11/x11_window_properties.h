// Reading the properties of X windows that the window functions need: the atoms they use, lists of windows
// and atoms, WM_CLASS, the titles in UTF-8, WM_STATE, _NET_WM_STATE and the frame extents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
typedef unsigned long Atom;
typedef unsigned long XID;

struct X11Atoms {
    explicit X11Atoms(Display* display);
    Atom clientList;
    Atom clientListStacking;
    Atom wmState;
    Atom netWmName;
    Atom utf8String;
    Atom netWmState;
    Atom maximizedVert;
    Atom maximizedHorz;
    Atom hidden;
    Atom frameExtents;
    Atom moveResizeWindow;
    Atom activeWindow;
    Atom supported;
    Atom supportingWmCheck;
    Atom wmProtocols;
    Atom wmDeleteWindow;
    Atom compoundText;
};

// Frame sizes the window manager adds around a client window.
struct FrameExtents {
    long left = 0;
    long right = 0;
    long top = 0;
    long bottom = 0;
};

// The 32-bit items of a property (windows, atoms, cardinals); empty when it is absent or of another format.
std::vector<unsigned long> ReadLongs(Display* display, XID window, Atom property);
// The bytes of an 8-bit property and its type; false when it is absent.
bool ReadBytes(Display* display, XID window, Atom property, std::string& out, Atom& type);

// Both parts of WM_CLASS (instance and class); false when the window has none.
bool ReadClass(Display* display, XID window, std::string& instance, std::string& className);
// _NET_WM_NAME (UTF-8), and WM_NAME converted to UTF-8; each empty-and-false when absent.
bool ReadNetTitle(Display* display, const X11Atoms& atoms, XID window, std::string& out);
bool ReadWmName(Display* display, const X11Atoms& atoms, XID window, std::string& out);
// The ICCCM state: 0 withdrawn, 1 normal, 3 iconic; -1 when WM_STATE is absent.
long ReadWmState(Display* display, const X11Atoms& atoms, XID window);
FrameExtents ReadFrameExtents(Display* display, const X11Atoms& atoms, XID window);
bool HasAtom(const std::vector<unsigned long>& atoms, Atom atom);
