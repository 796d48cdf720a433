// The X11 input recording: raw key, button and motion events of the master devices selected on the root
// window, keycodes turned into the virtual keys of their physical keys on the active layout, or by their
// keysyms where the layout's table is silent (rebuilt when the keyboard map or the layout group changes),
// positions read with XQueryPointer when an event is handled (motion at most every 10 ms), stamps mapped onto
// the recording clock. The thread sleeps in poll() on the connection and an eventfd that ends it.
#include "x11_input_recording.h"

#include "recorded_input_buffer.h"
#include "x11_connection_loss.h"
#include "x11_keycode_table.h"
#include "x11_keymap.h"
#include "x11_layout_keys.h"
#include "x11_mouse.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <memory>
#include <thread>

namespace {

// X pointer buttons (1 left, 2 middle, 3 right) as the recording numbers them (1 left, 2 right, 3 middle);
// 0 for the wheel and the other buttons, which are not recorded.
int32_t RecordedButton(int button) {
    switch (button) {
    case 1:
        return 1;
    case 2:
        return 3;
    case 3:
        return 2;
    default:
        return 0;
    }
}

class X11InputRecording final : public InputRecording {
  public:
    // `lost` is the flag the connection was opened with (x11_connection_loss.h).
    X11InputRecording(Display* display, std::unique_ptr<std::atomic<bool>> lost, int inputOpcode,
                      int xkbEventBase, int wakeFd)
        : display_(display), lost_(std::move(lost)), inputOpcode_(inputOpcode), xkbEventBase_(xkbEventBase),
          wakeFd_(wakeFd), rulesAtom_(XInternAtom(display, "_XKB_RULES_NAMES", False)),
          layoutKeys_(display, XkbUseCoreKbd) {
        ReadKeyboardMap();
        thread_ = std::thread([this] { Run(); });
    }

    ~X11InputRecording() override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
        thread_.join();
        close(wakeFd_);
        CloseWatchedDisplay(display_);
    }

    X11InputRecording(const X11InputRecording&) = delete;
    X11InputRecording& operator=(const X11InputRecording&) = delete;

    void Take(std::vector<RecordedInput>& out) override { buffer_.Take(out, RecordingClockMilliseconds()); }

  private:
    void ReadKeyboardMap() {
        KeymapPtr map = FetchKeymap(display_, XkbUseCoreKbd);
        layoutKeys_.Invalidate();
        layoutKeys_.Refresh();
        virtualKeys_ = VirtualKeysOfLayoutKeys(layoutKeys_, map.get());
    }

    void Run() {
        pollfd watched[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        while (true) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                Handle(event);
            }
            // The server has gone away: nothing more will come, and its closed connection must not be
            // polled over and over.
            if (lost_->load()) return;
            int timeout = -1;
            if (motionWaiting_) {
                const int64_t due =
                    lastMotionQueryMs_ + RecordedInputBuffer::kMotionSpacingMs - RecordingClockMilliseconds();
                if (due <= 0)
                    AddMotion();
                else
                    timeout = static_cast<int>(due);
            }
            // A reply read meanwhile may have brought events into Xlib's queue, which poll() cannot see.
            if (XQLength(display_) > 0) continue;
            watched[0].revents = watched[1].revents = 0;
            if (poll(watched, 2, timeout) < 0 && errno != EINTR) return;
            if ((watched[1].revents & POLLIN) != 0) return;
            if ((watched[0].revents & (POLLERR | POLLHUP)) != 0) return;
        }
    }

    void Handle(XEvent& event) {
        // setxkbmap names the new layout in the root property after loading its keymap, so the name's change
        // is the moment the layout's table is known.
        if (event.type == xkbEventBase_ ||
            (event.type == PropertyNotify && event.xproperty.atom == rulesAtom_)) {
            ReadKeyboardMap();
            return;
        }
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != inputOpcode_) return;
        if (!XGetEventData(display_, cookie)) return;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const int64_t ms = times_.ToLocal(static_cast<uint32_t>(raw->time), RecordingClockMilliseconds());
        switch (cookie->evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            // The keyboard's own repetitions of a held key are not keys the user pressed.
            if ((raw->flags & XIKeyRepeat) == 0 && raw->detail > 0 && raw->detail < 256) {
                const uint8_t key = virtualKeys_[static_cast<size_t>(raw->detail)];
                if (key != 0)
                    AddAtPointer(cookie->evtype == XI_RawKeyPress ? RecordedInput::Kind::KeyDown
                                                                  : RecordedInput::Kind::KeyUp,
                                 key, ms);
            }
            break;
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            if (const int32_t button = RecordedButton(raw->detail); button != 0)
                AddAtPointer(cookie->evtype == XI_RawButtonPress ? RecordedInput::Kind::ButtonDown
                                                                 : RecordedInput::Kind::ButtonUp,
                             button, ms);
            break;
        case XI_RawMotion:
            // Read later, at most once per spacing: a busy pointer costs no round trip per event.
            motionWaiting_ = true;
            motionMs_ = ms;
            break;
        default:
            break;
        }
        XFreeEventData(display_, cookie);
    }

    bool Pointer(int32_t& x, int32_t& y) { return QueryPointerPosition(display_, x, y); }

    // The motion so far goes first, at the place of the key or button event that ends it.
    void AddAtPointer(RecordedInput::Kind kind, int32_t code, int64_t ms) {
        RecordedInput event;
        event.kind = kind;
        event.code = code;
        event.milliseconds = ms;
        Pointer(event.x, event.y);
        if (motionWaiting_) {
            RecordedInput motion = event;
            motion.kind = RecordedInput::Kind::Motion;
            motion.code = 0;
            motion.milliseconds = std::min(motionMs_, ms);
            buffer_.Add(motion);
            motionWaiting_ = false;
        }
        buffer_.Add(event);
    }

    void AddMotion() {
        RecordedInput motion;
        motion.milliseconds = motionMs_;
        if (Pointer(motion.x, motion.y)) buffer_.Add(motion);
        motionWaiting_ = false;
        lastMotionQueryMs_ = RecordingClockMilliseconds();
    }

    Display* display_;
    std::unique_ptr<std::atomic<bool>> lost_;
    int inputOpcode_;
    int xkbEventBase_;
    int wakeFd_;
    Atom rulesAtom_;
    X11LayoutKeys layoutKeys_;
    std::array<uint8_t, 256> virtualKeys_{};
    EventTimeMapper times_;
    RecordedInputBuffer buffer_;
    bool motionWaiting_ = false;
    int64_t motionMs_ = 0;
    int64_t lastMotionQueryMs_ = 0;
    std::thread thread_;
};

} // namespace

std::unique_ptr<InputRecording> StartX11InputRecording(const char* displayName) {
    auto lost = std::make_unique<std::atomic<bool>>(false);
    Display* display = OpenWatchedDisplay(displayName, *lost);
    if (display == nullptr) return nullptr;
    int inputOpcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    int xkbOpcode = 0;
    int xkbEventBase = 0;
    int xkbMajor = XkbMajorVersion;
    int xkbMinor = XkbMinorVersion;
    if (!XQueryExtension(display, "XInputExtension", &inputOpcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success || major * 100 + minor < 201 ||
        !XkbQueryExtension(display, &xkbOpcode, &xkbEventBase, &error, &xkbMajor, &xkbMinor)) {
        CloseWatchedDisplay(display);
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (int type : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease, XI_RawMotion})
        XISetMask(bits, type);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    const unsigned int mapChanges = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(display, XkbUseCoreKbd, mapChanges, mapChanges);
    // A change of the group switches to another layout and so to other keys.
    XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask, XkbGroupStateMask);
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    XSync(display, False);
    const int wakeFd = eventfd(0, EFD_CLOEXEC);
    if (wakeFd < 0 || lost->load()) {
        if (wakeFd >= 0) close(wakeFd);
        CloseWatchedDisplay(display);
        return nullptr;
    }
    return std::make_unique<X11InputRecording>(display, std::move(lost), inputOpcode, xkbEventBase, wakeFd);
}
