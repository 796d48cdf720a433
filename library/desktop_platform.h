// DesktopPlatform: the desktop operations the built-in library drives — synthetic keys and mouse, key state,
// windows, screen pixels and captures, image files, processes, the millisecond clock and sound commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Show state and normal-position rectangle of a top-level window, in screen pixels.
struct WindowPlacement {
    int32_t showState = 0; // 1 normal, 2 minimised, 3 maximised
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// A picture as rows of 4-byte pixels (blue, green, red, 0), top row first, x varying fastest.
struct PixelGrid {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;

    const uint8_t* Pixel(int32_t x, int32_t y) const {
        return bgra.data() +
               (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
};

// A rectangle of the screen in pixels.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// What the editor's aids read about a top-level window: the names GETWINID matches, exactly as it matches
// them.
struct WindowDescription {
    int32_t window = 0;          // the handle GETWINID gives for the window
    std::u16string className;    // its class (X11: the class part of WM_CLASS)
    std::u16string instanceName; // X11: the instance part of WM_CLASS, which GETWINID matches too; else empty
    std::u16string title;
    WindowPlacement placement; // show state and the outer frame's rectangle, in screen pixels
};

// One event of the user's real keyboard or mouse, as a recording sees it.
struct RecordedInput {
    enum class Kind { KeyDown, KeyUp, ButtonDown, ButtonUp, Motion };
    Kind kind = Kind::Motion;
    int32_t code =
        0;         // the virtual key of a key event; the button of a button event: 1 left, 2 right, 3 middle
    int32_t x = 0; // the pointer's screen position in pixels at the event
    int32_t y = 0;
    int64_t milliseconds = 0; // when it happened, on a clock that only moves forward
};

// A recording of the user's input on the whole desktop, without taking the input from any program. It runs
// from its start until the object is destroyed; its events are gathered in the background.
class InputRecording {
  public:
    virtual ~InputRecording() = default;
    // Moves the events gathered since the previous call, oldest first, to the end of `out`.
    virtual void Take(std::vector<RecordedInput>& out) = 0;
};

// The groups of desktop operations a desktop may offer apart: a Wayland desktop may take keys and the mouse
// but show no windows to other programs.
enum class DesktopPart { Input, Windows, Screen };

// Operations that can fail return a failure number (0 success, 5 invalid argument, 6 overflow, 53 not found).
// Window handles are signed 32-bit numbers, 0 meaning no window.
class DesktopPlatform {
  public:
    // Flags of SendKeyEvent and SendMouseEvent.
    static constexpr uint32_t kKeyUp = 2;
    static constexpr uint32_t kMouseMove = 0x1;
    static constexpr uint32_t kMouseLeftDown = 0x2;
    static constexpr uint32_t kMouseLeftUp = 0x4;
    static constexpr uint32_t kMouseRightDown = 0x8;
    static constexpr uint32_t kMouseRightUp = 0x10;
    static constexpr uint32_t kMouseMiddleDown = 0x20;
    static constexpr uint32_t kMouseMiddleUp = 0x40;
    static constexpr uint32_t kMouseAbsolute = 0x8000;

    virtual ~DesktopPlatform() = default;

    // False when there is no screen to drive (no display): keyboard, mouse, window and screen operations are
    // then unavailable; processes, the clock and sound still work.
    virtual bool HasDisplay() const = 0;
    // True once the display the platform had has gone away (its server ended during the program's life).
    // HasDisplay() is false from then on: the platform never connects again.
    virtual bool DisplayLost() const { return false; }
    // Empty when the part can be used now; otherwise why it cannot, in the words the user reads in the
    // error. Asked before every built-in call of the part, so a desktop may set the part up on the first.
    virtual std::u16string PartUnavailable(DesktopPart part) {
        (void)part;
        return {};
    }

    // A run that used this desktop has ended (its held keys and buttons already released): undo what was
    // changed only for its key events, such as keycodes lent to symbols the keyboard map lacked.
    virtual void EndOfRun() {}

    // --- keyboard and mouse ---
    // One key event: flags 0 key down, kKeyUp key up; extraInfo travels with the event.
    virtual void SendKeyEvent(uint8_t virtualKey, uint32_t flags, uint32_t extraInfo) = 0;
    // One mouse event. With kMouseMove, (dx, dy) is a relative motion, or with kMouseAbsolute a position in
    // the absolute space 0..65535 across the primary monitor (PrimaryMonitor), going on at the same scale
    // beyond it; without kMouseMove the coordinates are ignored.
    virtual void SendMouseEvent(uint32_t flags, int32_t dx, int32_t dy) = 0;
    // 16-bit key state: bit 15 while the key is down, bit 0 when it was pressed since the previous query.
    virtual uint16_t AsyncKeyState(int32_t virtualKey) = 0;
    // Places the pointer at a screen position in pixels.
    virtual void SetPointerPosition(int32_t x, int32_t y) = 0;

    // --- reading the desktop for the editor's aids (never used by the built-ins) ---
    // The pointer's screen position in pixels (the space SetPointerPosition takes); false when it cannot be
    // read.
    virtual bool PointerPosition(int32_t& x, int32_t& y) {
        x = y = 0;
        return false;
    }
    // The topmost top-level window that shows at the screen pixel (its frame included); false when there is
    // none (the desktop's background) or it cannot be read.
    virtual bool TopLevelWindowAt(int32_t x, int32_t y, WindowDescription& out) {
        (void)x, (void)y, (void)out;
        return false;
    }
    // The same, looking through one top-level window (a handle as GETWINID gives it, such as the caller's own
    // always-on-top window): the window under it at that pixel is reported instead. 0 looks through none.
    virtual bool TopLevelWindowAtExcept(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) {
        return TopLevelWindowAt(x, y, out) && (lookedThrough == 0 || out.window != lookedThrough);
    }
    // The screen pixels of a rectangle, as CaptureScreen would give them there; the part outside the screen
    // is black. 0, or 5 for an empty or too large rectangle, or another failure number.
    virtual int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) {
        (void)left, (void)top, (void)width, (void)height, (void)out;
        return 5;
    }
    // Starts recording the user's keyboard and mouse; null when this desktop cannot be recorded.
    virtual std::unique_ptr<InputRecording> StartInputRecording() { return nullptr; }
    // The virtual key Windows gives, in its key messages, the physical key that the toolkit's key event names
    // by this native scan code (the X keycode on X11), on the active keyboard layout; the left and right
    // modifier keys give their common code (VK_SHIFT for either Shift key). 0 when unknown, and then the
    // caller decides from the key's symbol.
    virtual int VirtualKeyOfNativeKey(uint32_t nativeScanCode) {
        (void)nativeScanCode;
        return 0;
    }

    // --- windows ---
    // The first top-level window whose class matches and, when title is given, whose title matches exactly.
    virtual int32_t FindTopLevelWindow(const std::u16string& className, const std::u16string* title) = 0;
    // Fills the placement; false when the handle names no window.
    virtual bool GetPlacement(int32_t window, WindowPlacement& out) = 0;
    // Moves and sizes the window in one step, keeping its z-order and showing it.
    virtual void MoveWindow(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // Sends a system command (maximise 0xF030, minimise 0xF020, restore 0xF120, …); returns the window's
    // answer.
    virtual int32_t SendSystemCommand(int32_t window, int32_t command) = 0;

    // --- screen and images ---
    virtual void ScreenSize(int32_t& width, int32_t& height) = 0;
    // The primary monitor in screen pixels: the area MUS's absolute space spans, which the editor's aids
    // convert against too. A desktop that knows no monitors answers with the whole screen. False when there
    // is no screen.
    virtual bool PrimaryMonitor(ScreenRect& out) {
        out = ScreenRect{};
        ScreenSize(out.width, out.height);
        return out.width > 0 && out.height > 0;
    }
    // Colour of a screen pixel as 0x00BBGGRR, or -1 when it cannot be read (outside the screen, or inside it
    // where no monitor shows it).
    virtual int32_t ReadPixel(int32_t x, int32_t y) = 0;
    virtual int CaptureScreen(PixelGrid& out) = 0;
    // Decodes an image file at its natural size.
    virtual int LoadImageFile(const std::u16string& path, PixelGrid& out) = 0;

    // --- processes, time, sound ---
    // Starts a program without waiting (window style 0 hidden, 1 normal, 2 minimised, 3 maximised, 4 normal
    // without focus, 6 minimised without focus); fills its process identifier.
    virtual int StartProcess(const std::u16string& commandLine, int32_t windowStyle, double& processId) = 0;
    // Milliseconds since an arbitrary start, wrapping as a signed 32-bit number.
    virtual int32_t MillisecondClock() = 0;
    // Called over and over while an operation waits for something to finish (a sound played with "wait");
    // it yields to the GUI and returns false when the wait should end early because the run was stopped.
    using WaitTurn = std::function<bool()>;
    // One media command text ("open \"file\" alias mysound", "play mysound", …); returns its error number.
    virtual int32_t SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) = 0;
};
