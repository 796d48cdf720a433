// CompositorSession: what one kind of Wayland compositor lends the Wayland desktop platform — keys and the
// pointer, the screen, and the top-level windows — each through the interfaces that compositor offers.
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <memory>
#include <string>

struct wl_display;

// Keys and the pointer. Positions are pixels of the whole desktop, the space CompositorScreen::Size spans.
class CompositorInput {
  public:
    virtual ~CompositorInput() = default;
    // Empty when keys and the pointer can be sent; otherwise why not, in the words the user reads. The first
    // call sets them up (a remote-desktop session, a virtual keyboard), which then lasts the program's life.
    virtual std::u16string Open() = 0;
    // The XKB layout and variant of the keyboard the compositor's clients see ("de", "nodeadkeys"); an empty
    // layout when unknown.
    virtual void KeyboardLayout(std::string& layout, std::string& variant) = 0;
    // One physical key by its Linux input code (KEY_A is 30).
    virtual void Key(uint32_t evdevCode, bool down) = 0;
    // One key event of an X keysym that no key of the layout carries; false when it cannot be typed.
    virtual bool KeySym(uint32_t keysym, bool down) = 0;
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    virtual void MoveBy(int32_t dx, int32_t dy) = 0;
    // A Linux button code (linux/input-event-codes.h): BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA.
    virtual void Button(uint32_t button, bool down) = 0;
    // A run has ended and its keys are up: undo what was changed only for its key events (keycodes lent to
    // keysyms).
    virtual void EndOfRun() {}
    // Where the pointer is; false when the compositor does not tell.
    virtual bool PointerPosition(int32_t& x, int32_t& y) {
        x = y = 0;
        return false;
    }
};

// The pixels the desktop shows.
class CompositorScreen {
  public:
    virtual ~CompositorScreen() = default;
    // As CompositorInput::Open, for reading the screen.
    virtual std::u16string Open() = 0;
    // The whole desktop's size in pixels; false when unknown.
    virtual bool Size(int32_t& width, int32_t& height) = 0;
    // The primary monitor in desktop pixels; false when unknown.
    virtual bool Primary(ScreenRect& out) = 0;
    // The pixels of a rectangle of the desktop, the part outside it black; 0, or 5 for an empty rectangle,
    // or another failure number when the screen cannot be read.
    virtual int Capture(const ScreenRect& rect, PixelGrid& out) = 0;
};

// The top-level windows, by handles of this session (signed 32-bit, never 0).
class CompositorWindows {
  public:
    virtual ~CompositorWindows() = default;
    // As CompositorInput::Open, for the window functions.
    virtual std::u16string Open() = 0;
    // The topmost window whose class (the app id or WM class) matches and, when title is given, whose title
    // matches exactly; 0 when none.
    virtual int32_t Find(const std::string& className, const std::string* title) = 0;
    virtual bool Placement(int32_t window, WindowPlacement& out) = 0;
    virtual void Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // A system command (maximise 0xF030, minimise 0xF020, restore 0xF120, close 0xF060, …); the answer is
    // 0, as a window gives for the commands it handles.
    virtual int32_t Command(int32_t window, int32_t command) = 0;
    // The topmost window at a desktop pixel, looking through `lookedThrough` (0: none).
    virtual bool TopLevelAt(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) {
        (void)x, (void)y, (void)lookedThrough, (void)out;
        return false;
    }
};

class CompositorSession {
  public:
    virtual ~CompositorSession() = default;
    // True once the compositor (or the bus it is reached through) has gone away.
    virtual bool Lost() = 0;
    virtual CompositorInput& Input() = 0;
    virtual CompositorScreen& Screen() = 0;
    virtual CompositorWindows& Windows() = 0;
};

// The session of a wlroots compositor (sway and the others offering its virtual keyboard and pointer): null
// when the display's compositor offers neither. The display belongs to the caller and outlives the session.
std::unique_ptr<CompositorSession> OpenWlrootsSession(wl_display* display);
// The session of GNOME's mutter, reached through the session bus: null when the bus has no mutter
// remote-desktop service. Nothing is set up until a part's Open.
std::unique_ptr<CompositorSession> OpenGnomeSession(wl_display* display);
// The session of KDE Plasma's KWin: null when the compositor is not KWin or offers this program neither its
// fake input nor its screen cast (it offers them only to programs its desktop file allows).
std::unique_ptr<CompositorSession> OpenKdeSession(wl_display* display);
