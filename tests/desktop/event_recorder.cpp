// qm_event_recorder: a small X client that the desktop tests use as a target. It opens one window with the
// class and title it is given, takes the focus, and writes every key, button and motion event it receives to
// a file, one line each, flushed at once. A WM_DELETE_WINDOW request writes "closed" and ends it.
// Usage: qm_event_recorder OUTPUT CLASS TITLE [WIDTH HEIGHT]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

void Write(std::FILE* out, const std::string& line) {
    std::fputs((line + "\n").c_str(), out);
    std::fflush(out);
}

std::string KeyLine(XKeyEvent& event) {
    char text[16] = {};
    KeySym typed = NoSymbol;
    const int length = XLookupString(&event, text, sizeof text - 1, &typed, nullptr);
    text[length > 0 ? length : 0] = '\0';
    const char* name = XKeysymToString(XLookupKeysym(&event, 0));
    const char* typedName = XKeysymToString(typed);
    std::string line = event.type == KeyPress ? "key press " : "key release ";
    line += std::string(name != nullptr ? name : "NoSymbol") + " " +
            (typedName != nullptr ? typedName : "NoSymbol");
    // Appended piece by piece: GCC 12 at -O3 warns falsely about "literal" + std::string temporaries.
    for (const std::string& piece : {std::to_string(event.keycode), std::to_string(event.time)}) {
        line += ' ';
        line += piece;
    }
    line += " state=";
    line += std::to_string(event.state);
    line += " text=";
    line += text;
    return line;
}

// The focus request fails while the window manager has not shown the frame yet; that is not fatal here.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTPUT CLASS TITLE [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    Display* display = XOpenDisplay(nullptr);
    if (out == nullptr || display == nullptr) return 1;
    XSetErrorHandler(IgnoreError);
    const unsigned int width = argc >= 6 ? static_cast<unsigned int>(std::atoi(argv[4])) : 300;
    const unsigned int height = argc >= 6 ? static_cast<unsigned int>(std::atoi(argv[5])) : 200;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0,
                                              WhitePixel(display, DefaultScreen(display)));
    XClassHint hint{};
    std::string instance = std::string(argv[2]) + "-instance";
    hint.res_name = instance.data();
    hint.res_class = argv[2];
    XSetClassHint(display, window, &hint);
    XStoreName(display, window, argv[3]);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(argv[3]), static_cast<int>(std::strlen(argv[3])));
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     StructureNotifyMask | FocusChangeMask | ExposureMask);
    XMapWindow(display, window);

    bool focused = false;
    while (true) {
        // Until the focus has arrived, ask for it again every little while once the window is viewable.
        if (!focused) {
            XWindowAttributes attributes{};
            XGetWindowAttributes(display, window, &attributes);
            if (attributes.map_state == IsViewable)
                XSetInputFocus(display, window, RevertToParent, CurrentTime);
            XSync(display, False);
            if (XPending(display) == 0) {
                usleep(50000);
                continue;
            }
        }
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case MapNotify:
        case Expose:
            if (!focused) XSetInputFocus(display, window, RevertToParent, CurrentTime);
            break;
        case FocusIn:
            if (!focused) Write(out, "ready " + std::to_string(window));
            focused = true;
            break;
        case MappingNotify:
            XRefreshKeyboardMapping(&event.xmapping);
            break;
        case KeyPress:
        case KeyRelease:
            Write(out, KeyLine(event.xkey));
            break;
        case ButtonPress:
        case ButtonRelease:
            Write(out, std::string(event.type == ButtonPress ? "button press " : "button release ") +
                           std::to_string(event.xbutton.button) + " " + std::to_string(event.xbutton.x_root) +
                           " " + std::to_string(event.xbutton.y_root));
            break;
        case MotionNotify:
            Write(out, "motion " + std::to_string(event.xmotion.x_root) + " " +
                           std::to_string(event.xmotion.y_root));
            break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                Write(out, "closed");
                XCloseDisplay(display);
                return 0;
            }
            break;
        default:
            break;
        }
    }
}
