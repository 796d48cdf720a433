// The session of KDE Plasma's KWin: keys and the pointer through KWin's fake input, the screen through its
// screen cast received over PipeWire, the windows through its window list. KWin offers these only to a
// program its desktop file allows.
#include "compositor_session.h"
#include "kde_keyboard_layout.h"
#include "kde_windows.h"
#include "mutter_bus.h"
#include "pipewire_frames.h"
#include "wlroots_connection.h"

#include "kde-fake-input-client.h"
#include "zkde-screencast-unstable-v1-client.h"

#include <wayland-client.h>

#include <algorithm>

namespace {

constexpr uint32_t kPointerHidden = 1;

// The Linux input code of a keypad keysym (XK_KP_0 … XK_KP_9, XK_KP_Decimal); 0 for any other.
uint32_t KeypadKeyOfKeySym(uint32_t keysym) {
    static constexpr uint32_t kDigitKeys[] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73}; // KEY_KP0 … KEY_KP9
    if (keysym >= 0xFFB0 && keysym <= 0xFFB9) return kDigitKeys[keysym - 0xFFB0];
    if (keysym == 0xFFAE) return 83; // KEY_KPDOT
    return 0;
}

const char16_t kNoFakeInput[] =
    u"KDE（KWin）が、このプログラムにキーとマウスの操作を許していません（デスクトップファイルの "
    u"X-KDE-Wayland-Interfaces に org_kde_kwin_fake_input が要ります）";
const char16_t kNoScreencast[] = u"KDE（KWin）が、このプログラムに画面の映像を渡しません（デスクトップファイ"
                                 u"ルの X-KDE-Wayland-Interfaces に "
                                 u"zkde_screencast_unstable_v1 が要ります）";
const char16_t kNoStream[] = u"KDE（KWin）の画面の配信が始まりませんでした";
const char16_t kNoPipeWire[] = u"PipeWire に接続できないため、画面を読み取れません";
const char16_t kNoFrame[] = u"KDE（KWin）から画面の映像が届きませんでした";
const char16_t kGone[] = u"画面との接続が切れたため、この関数は実行できません";
// How long KWin's clients are given to take up this program's fake input.
constexpr int kDeviceUptakeMs = 300;

class KdeInput final : public CompositorInput {
  public:
    explicit KdeInput(WlrootsConnection& connection) : connection_(connection) {}

    std::u16string Open() override {
        if (connection_.FakeInput() == nullptr) return kNoFakeInput;
        if (!authenticated_) {
            // KWin adds this program's fake input to the seat as a keyboard and a pointer, and the events of
            // the first moments after that reached no window of a headless KWin (one click run in two, even
            // with the seat's devices announced): its clients are given time to take the devices up.
            org_kde_kwin_fake_input_authenticate(connection_.FakeInput(), "QuillonMacro",
                                                 "マクロがキーボードとマウスを操作します");
            if (!connection_.Roundtrip()) return kGone;
            connection_.AwaitNewSeatDevices(kDeviceUptakeMs);
            if (connection_.Lost()) return kGone;
            authenticated_ = true;
        }
        return {};
    }
    void KeyboardLayout(std::string& layout, std::string& variant) override {
        if (KdeKeyboardLayout(layout, variant)) return;
        layout.clear(); // unknown: the platform takes its default
        variant.clear();
    }
    void Key(uint32_t evdevCode, bool down) override {
        org_kde_kwin_fake_input_keyboard_key(connection_.FakeInput(), evdevCode, down ? 1 : 0);
        Sent();
    }
    // KWin types with its own keymap, which a program cannot extend: a keysym no key of the layout carries
    // cannot be typed. The keypad's digits, which the platform sends as keysyms so that they type digits
    // whatever the Num Lock state, press their keypad keys here, which type digits while Num Lock is on.
    bool KeySym(uint32_t keysym, bool down) override {
        const uint32_t key = KeypadKeyOfKeySym(keysym);
        if (key == 0) return false;
        Key(key, down);
        return true;
    }
    // KWin places the pointer in its layout's coordinates: a desktop (physical) pixel is given as the layout
    // point where it lies, in fractions of a layout pixel.
    void MoveTo(int32_t x, int32_t y) override {
        const PhysicalLayout layout = connection_.Outputs().Physical();
        const ScreenRect desktop = layout.Desktop();
        double layoutX = 0;
        double layoutY = 0;
        if (desktop.width <= 0 || !layout.ToLayout(std::clamp(x, 0, desktop.width - 1),
                                                   std::clamp(y, 0, desktop.height - 1), layoutX, layoutY))
            return;
        org_kde_kwin_fake_input_pointer_motion_absolute(
            connection_.FakeInput(), wl_fixed_from_double(layoutX), wl_fixed_from_double(layoutY));
        Sent();
    }
    // KWin does not tell where its pointer is: a relative move is divided by the primary output's scale.
    void MoveBy(int32_t dx, int32_t dy) override {
        // Without any output the scale is 1.
        ScreenRect primary;
        connection_.Outputs().Primary(primary);
        const double scale = connection_.Outputs().Physical().ScaleAt(primary.left, primary.top);
        org_kde_kwin_fake_input_pointer_motion(connection_.FakeInput(), wl_fixed_from_double(dx / scale),
                                               wl_fixed_from_double(dy / scale));
        Sent();
    }
    void Button(uint32_t button, bool down) override {
        org_kde_kwin_fake_input_button(connection_.FakeInput(), button, down ? 1 : 0);
        Sent();
    }

    int64_t LastInputMs() const { return lastInputMs_; }

  private:
    void Sent() {
        connection_.Flush();
        lastInputMs_ = MutterNowMs();
    }

    WlrootsConnection& connection_;
    bool authenticated_ = false;
    int64_t lastInputMs_ = -1;
};

// One screen-cast stream of an output: KWin answers with the PipeWire node that carries it, or a failure.
struct OutputStream {
    zkde_screencast_stream_unstable_v1* stream = nullptr;
    uint32_t node = 0;
    bool created = false;
    bool failed = false;
};

void OnStreamClosed(void* data, zkde_screencast_stream_unstable_v1*) {
    static_cast<OutputStream*>(data)->failed = true;
}
void OnStreamCreated(void* data, zkde_screencast_stream_unstable_v1*, uint32_t node) {
    auto* stream = static_cast<OutputStream*>(data);
    stream->node = node;
    stream->created = true;
}
void OnStreamFailed(void* data, zkde_screencast_stream_unstable_v1*, const char*) {
    static_cast<OutputStream*>(data)->failed = true;
}
const zkde_screencast_stream_unstable_v1_listener kStreamListener{OnStreamClosed, OnStreamCreated,
                                                                  OnStreamFailed};

class KdeScreen final : public CompositorScreen {
  public:
    KdeScreen(WlrootsConnection& connection, const KdeInput& input)
        : connection_(connection), input_(input) {}
    ~KdeScreen() override {
        frames_.reset();
        for (OutputStream& stream : streams_)
            if (stream.stream != nullptr) zkde_screencast_stream_unstable_v1_close(stream.stream);
    }
    KdeScreen(const KdeScreen&) = delete;
    KdeScreen& operator=(const KdeScreen&) = delete;

    // One stream per output from the first screen call on; it waits for every output's first frame.
    std::u16string Open() override {
        if (connection_.Screencast() == nullptr) return kNoScreencast;
        if (!frames_) {
            std::u16string why = StartStreams();
            if (!why.empty()) return why;
        }
        // Waited for as long as KWin answers.
        if (frames_->WaitForFirstFrames([this] { return connection_.Roundtrip(); })) return {};
        return frames_->Failed() || connection_.Lost() ? kGone : kNoFrame;
    }

    bool Size(int32_t& width, int32_t& height) override {
        const ScreenRect desktop = connection_.Outputs().Desktop();
        width = desktop.width;
        height = desktop.height;
        return width > 0 && height > 0;
    }
    bool Primary(ScreenRect& out) override { return connection_.Outputs().Primary(out); }

    int Capture(const ScreenRect& rect, PixelGrid& out) override {
        return frames_ ? frames_->Capture(monitors_, rect, input_.LastInputMs(), out) : 5;
    }

    bool StreamFailed() const { return frames_ && frames_->Failed(); }

  private:
    // One stream per output, each shown at the output's place in desktop (physical) pixels.
    std::u16string StartStreams() {
        std::vector<const WlrootsOutput*> shown;
        const PhysicalLayout layout = connection_.Outputs().Physical(&shown);
        streams_.clear();
        monitors_.clear();
        streams_.reserve(shown.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            const WlrootsOutput* output = shown[i];
            monitors_.push_back(layout.DesktopRect(i));
            OutputStream& stream = streams_.emplace_back();
            stream.stream = zkde_screencast_unstable_v1_stream_output(connection_.Screencast(),
                                                                      output->output, kPointerHidden);
            zkde_screencast_stream_unstable_v1_add_listener(stream.stream, &kStreamListener, &stream);
        }
        if (streams_.empty()) return kNoStream;
        const auto answered = [this] {
            for (const OutputStream& stream : streams_)
                if (!stream.created && !stream.failed) return false;
            return true;
        };
        if (!connection_.WaitUntil(answered)) return kGone;
        std::vector<uint32_t> nodes;
        for (const OutputStream& stream : streams_) {
            if (stream.failed) return kNoStream;
            nodes.push_back(stream.node);
        }
        frames_ = std::make_unique<PipeWireFrames>();
        if (!frames_->Start(nodes)) {
            frames_.reset();
            return kNoPipeWire;
        }
        return {};
    }

    WlrootsConnection& connection_;
    const KdeInput& input_;
    std::vector<OutputStream> streams_; // reserved before the listeners get their addresses
    std::vector<ScreenRect> monitors_;  // each stream's output in desktop pixels
    std::unique_ptr<PipeWireFrames> frames_;
};

class KdeSession final : public CompositorSession {
  public:
    explicit KdeSession(std::unique_ptr<WlrootsConnection> connection)
        : connection_(std::move(connection)), input_(*connection_), screen_(*connection_, input_),
          windows_(*connection_) {}

    bool Lost() override { return connection_->Lost() || screen_.StreamFailed(); }
    CompositorInput& Input() override { return input_; }
    CompositorScreen& Screen() override { return screen_; }
    CompositorWindows& Windows() override { return windows_; }

  private:
    std::unique_ptr<WlrootsConnection> connection_;
    KdeInput input_;
    KdeScreen screen_;
    KdeWindows windows_;
};

} // namespace

std::unique_ptr<CompositorSession> OpenKdeSession(wl_display* display) {
    auto connection = std::make_unique<WlrootsConnection>(display);
    if (!connection->BindGlobals()) return nullptr;
    if (!connection->IsKwin() || (connection->FakeInput() == nullptr && connection->Screencast() == nullptr))
        return nullptr;
    return std::make_unique<KdeSession>(std::move(connection));
}
