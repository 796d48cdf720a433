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

// How long mutter may take to answer the ping that tells it is still there while the first frame is awaited.
constexpr int kAnswerMs = 2000;

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
        // Waited for as long as mutter is alive and answers on the bus.
        if (frames_->WaitForFirstFrames([this] {
                bus_.Pump();
                return !bus_.Lost() && MutterAnswers();
            }))
            return {};
        bus_.Pump();
        return frames_->Failed() || bus_.Lost() ? kGone : kNoFrame;
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
        if (!frames_) return 5;
        std::vector<ScreenRect> monitors;
        for (const MutterMonitor& monitor : remote_.Monitors()) monitors.push_back(monitor.rect);
        return frames_->Capture(monitors, rect, remote_.LastInputMs(), out);
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
