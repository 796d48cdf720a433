// The session of GNOME's mutter: keys and the pointer through a remote-desktop session on the session bus,
// the screen through that session's screen cast received over PipeWire, the windows through GNOME Shell.
#include "compositor_session.h"
#include "gnome_session_layout.h"
#include "gnome_shell_windows.h"
#include "mutter_bus.h"
#include "mutter_remote_session.h"
#include "pipewire_frames.h"

#include <wayland-client.h>

#include <poll.h>

#include <algorithm>

namespace {

// The first frame of a stream may take seconds on a loaded machine (2.6 s measured at 2560x1600 with other
// work beside): it is waited for in slices for as long as mutter is alive and answers on the bus, up to
// kFirstFrameLimitMs, and given up at once when mutter or the stream goes away or stops answering.
constexpr int kFirstFrameSliceMs = 500;
constexpr int kFirstFrameLimitMs = 30000;
constexpr int kAnswerMs = 2000;
// After a key or pointer event, reading the screen waits this long at most for a frame newer than the
// event, so that a change the event caused is seen; a screen that does not change sends no frame.
constexpr int kFreshFrameMs = 50;

const char16_t kNoPipeWire[] = u"PipeWire に接続できないため、画面を読み取れません";
const char16_t kNoFrame[] = u"GNOME（mutter）から画面の映像が届きませんでした";
const char16_t kGone[] = u"画面との接続が切れたため、この関数は実行できません";

class GnomeInput final : public CompositorInput {
  public:
    explicit GnomeInput(MutterRemoteSession& remote) : remote_(remote) {}
    std::u16string Open() override { return remote_.Open(); }
    void KeyboardLayout(std::string& layout, std::string& variant) override {
        GnomeKeyboardLayout(layout, variant);
    }
    void Key(uint32_t evdevCode, bool down) override { remote_.Key(evdevCode, down); }
    bool KeySym(uint32_t keysym, bool down) override { return remote_.KeySym(keysym, down); }
    void MoveTo(int32_t x, int32_t y) override { remote_.MoveTo(x, y); }
    void MoveBy(int32_t dx, int32_t dy) override { remote_.MoveBy(dx, dy); }
    void Button(uint32_t button, bool down) override { remote_.Button(button, down); }

  private:
    MutterRemoteSession& remote_;
};

class GnomeScreen final : public CompositorScreen {
  public:
    GnomeScreen(MutterBus& bus, MutterRemoteSession& remote) : bus_(bus), remote_(remote) {}

    // The streams are received from the first screen call on; it waits for every monitor's first frame.
    std::u16string Open() override {
        std::u16string why = remote_.Open();
        if (!why.empty()) return why;
        if (!frames_) {
            frames_ = std::make_unique<PipeWireFrames>();
            std::vector<uint32_t> nodes;
            for (const MutterMonitor& monitor : remote_.Monitors()) nodes.push_back(monitor.node);
            if (!frames_->Start(nodes)) {
                frames_.reset();
                return kNoPipeWire;
            }
        }
        const int64_t until = MutterNowMs() + kFirstFrameLimitMs;
        while (!frames_->WaitForFrames(-1, kFirstFrameSliceMs)) {
            bus_.Pump();
            if (frames_->Failed() || bus_.Lost()) return kGone;
            if (MutterNowMs() >= until) return kNoFrame;
            if (!MutterAnswers()) return bus_.Lost() ? kGone : kNoFrame;
        }
        return {};
    }

    bool Size(int32_t& width, int32_t& height) override {
        int32_t right = 0;
        int32_t bottom = 0;
        for (const MutterMonitor& m : remote_.Monitors()) {
            right = std::max(right, m.rect.left + m.rect.width);
            bottom = std::max(bottom, m.rect.top + m.rect.height);
        }
        width = right;
        height = bottom;
        return width > 0 && height > 0;
    }

    bool Primary(ScreenRect& out) override {
        const std::vector<MutterMonitor>& monitors = remote_.Monitors();
        if (monitors.empty()) return false;
        auto primary =
            std::find_if(monitors.begin(), monitors.end(), [](const MutterMonitor& m) { return m.primary; });
        out = (primary != monitors.end() ? *primary : monitors.front()).rect;
        return true;
    }

    int Capture(const ScreenRect& rect, PixelGrid& out) override {
        if (rect.width <= 0 || rect.height <= 0) return 5;
        if (!frames_ || frames_->Failed()) return 5;
        const std::vector<MutterMonitor>& monitors = remote_.Monitors();
        std::vector<size_t> shown;
        for (size_t i = 0; i < monitors.size(); ++i) {
            const ScreenRect& m = monitors[i].rect;
            if (rect.left < m.left + m.width && m.left < rect.left + rect.width &&
                rect.top < m.top + m.height && m.top < rect.top + rect.height)
                shown.push_back(i);
        }
        const int64_t lastInput = remote_.LastInputMs();
        if (lastInput > waitedAfter_) {
            frames_->WaitForFrames(lastInput, kFreshFrameMs, shown);
            waitedAfter_ = lastInput;
        }
        if (frames_->Failed()) return 5;
        out.width = rect.width;
        out.height = rect.height;
        out.bgra.assign(static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height) * 4, 0);
        for (size_t i : shown)
            if (!frames_->Paint(i, monitors[i].rect, rect, out)) return 5;
        return 0;
    }

    bool StreamFailed() const { return frames_ && frames_->Failed(); }

  private:
    // A call any D-Bus service answers (org.freedesktop.DBus.Peer.Ping) to mutter's screen-cast service.
    bool MutterAnswers() {
        return bus_.Call("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast",
                         "org.freedesktop.DBus.Peer", "Ping", kAnswerMs, nullptr, "");
    }

    MutterBus& bus_;
    MutterRemoteSession& remote_;
    std::unique_ptr<PipeWireFrames> frames_;
    int64_t waitedAfter_ = -1; // the input event the last capture waited for a fresh frame after
};

class GnomeSession final : public CompositorSession {
  public:
    GnomeSession(wl_display* display, std::unique_ptr<MutterBus> bus)
        : display_(display), bus_(std::move(bus)), remote_(*bus_), input_(remote_), screen_(*bus_, remote_),
          windows_(CreateGnomeShellWindows()) {}

    // Mutter gone: its name left the bus, a session closed, the bus or the screen stream broke, or the
    // Wayland connection was hung up.
    bool Lost() override {
        if (!bus_->Lost()) bus_->Pump();
        if (screen_.StreamFailed()) bus_->MarkLost();
        if (bus_->Lost()) return true;
        pollfd p{wl_display_get_fd(display_), 0, 0};
        if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)) != 0) bus_->MarkLost();
        return bus_->Lost();
    }
    CompositorInput& Input() override { return input_; }
    CompositorScreen& Screen() override { return screen_; }
    CompositorWindows& Windows() override { return *windows_; }

  private:
    wl_display* display_;
    std::unique_ptr<MutterBus> bus_;
    MutterRemoteSession remote_;
    GnomeInput input_;
    GnomeScreen screen_;
    std::unique_ptr<CompositorWindows> windows_;
};

} // namespace

std::unique_ptr<CompositorSession> OpenGnomeSession(wl_display* display) {
    std::unique_ptr<MutterBus> bus = MutterBus::Connect();
    if (!bus || !bus->HasOwner("org.gnome.Mutter.RemoteDesktop")) return nullptr;
    return std::make_unique<GnomeSession>(display, std::move(bus));
}
