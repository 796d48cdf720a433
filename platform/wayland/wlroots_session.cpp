// The session of a wlroots compositor (sway and the others offering the same protocols): the virtual
// keyboard and pointer, screen copies of the outputs, and the foreign top-level windows (with sway's IPC
// beside them), all on the platform's display connection.
#include "compositor_session.h"

#include "sway_ipc.h"
#include "sway_keyboard_layout.h"
#include "wlroots_connection.h"
#include "wlroots_keyboard.h"
#include "wlroots_pointer.h"
#include "wlroots_screencopy.h"
#include "wlroots_windows.h"

#include <wayland-client.h>

#include <cstdlib>

namespace {

const char16_t kNoAnswer[] = u"デスクトップ（Wayland）が応答しません";
// How long clients are given to take up a seat's new keyboard and pointer.
constexpr int kDeviceUptakeMs = 100;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class WlrootsInput final : public CompositorInput {
  public:
    explicit WlrootsInput(WlrootsConnection& connection)
        : connection_(connection), keyboard_(connection), pointer_(connection) {}

    std::u16string Open() override {
        if (connection_.KeyboardManager() == nullptr || connection_.PointerManager() == nullptr ||
            connection_.Seat() == nullptr)
            return u"このデスクトップは、ほかのプログラムからのキーボード・マウスの操作を受け付けません";
        std::string layout;
        std::string variant;
        KeyboardLayout(layout, variant);
        const bool seatHadBoth = connection_.SeatHasKeyboardAndPointer();
        if (!keyboard_.Open(layout, variant) || !pointer_.Open()) return kNoAnswer;
        if (!seatHadBoth) connection_.AwaitNewSeatDevices(kDeviceUptakeMs);
        return {};
    }

    // sway's own keyboards' layout when sway tells it, else the layout XKB's environment names (as a
    // compositor started with it uses), else "us".
    void KeyboardLayout(std::string& layout, std::string& variant) override {
        if (!layoutKnown_) {
            SwayIpc sway;
            if (!SwayKeyboardLayout(sway, layout_, variant_)) {
                layout_ = Environment("XKB_DEFAULT_LAYOUT");
                variant_ = Environment("XKB_DEFAULT_VARIANT");
                // A list of layouts: the first is the one in use when the compositor starts.
                layout_ = layout_.substr(0, layout_.find(','));
                variant_ = variant_.substr(0, variant_.find(','));
            }
            if (layout_.empty()) {
                layout_ = "us";
                variant_.clear();
            }
            layoutKnown_ = true;
        }
        layout = layout_;
        variant = variant_;
    }

    void Key(uint32_t evdevCode, bool down) override { keyboard_.Key(evdevCode, down); }
    bool KeySym(uint32_t keysym, bool down) override { return keyboard_.KeySym(keysym, down); }
    void EndOfRun() override { keyboard_.RestoreKeymap(); }
    void MoveTo(int32_t x, int32_t y) override { pointer_.MoveTo(x, y); }
    void MoveBy(int32_t dx, int32_t dy) override { pointer_.MoveBy(dx, dy); }
    void Button(uint32_t button, bool down) override { pointer_.Button(button, down); }
    bool PointerPosition(int32_t& x, int32_t& y) override { return pointer_.Position(x, y); }

  private:
    WlrootsConnection& connection_;
    WlrootsKeyboard keyboard_;
    WlrootsPointer pointer_;
    bool layoutKnown_ = false;
    std::string layout_;
    std::string variant_;
};

class WlrootsScreen final : public CompositorScreen {
  public:
    explicit WlrootsScreen(WlrootsConnection& connection) : connection_(connection), copy_(connection) {}

    std::u16string Open() override {
        if (connection_.Screencopy() == nullptr || connection_.Shm() == nullptr)
            return u"このデスクトップは、ほかのプログラムに画面を読み取らせません";
        return {};
    }

    bool Size(int32_t& width, int32_t& height) override {
        const ScreenRect desktop = connection_.Outputs().Desktop();
        width = desktop.width;
        height = desktop.height;
        return width > 0 && height > 0;
    }

    bool Primary(ScreenRect& out) override { return connection_.Outputs().Primary(out); }
    int Capture(const ScreenRect& rect, PixelGrid& out) override { return copy_.Capture(rect, out); }

  private:
    WlrootsConnection& connection_;
    WlrootsScreencopy copy_;
};

class WlrootsSession final : public CompositorSession {
  public:
    explicit WlrootsSession(std::unique_ptr<WlrootsConnection> connection)
        : connection_(std::move(connection)), input_(*connection_), screen_(*connection_),
          windows_(*connection_) {}

    bool Lost() override { return connection_->Lost(); }
    CompositorInput& Input() override { return input_; }
    CompositorScreen& Screen() override { return screen_; }
    CompositorWindows& Windows() override { return windows_; }

  private:
    // Declared first, so it is destroyed last: the parts' objects go before the globals they came from.
    std::unique_ptr<WlrootsConnection> connection_;
    WlrootsInput input_;
    WlrootsScreen screen_;
    WlrootsWindows windows_;
};

} // namespace

std::unique_ptr<CompositorSession> OpenWlrootsSession(wl_display* display) {
    auto connection = std::make_unique<WlrootsConnection>(display);
    if (!connection->BindGlobals()) return nullptr;
    if (connection->KeyboardManager() == nullptr && connection->PointerManager() == nullptr) return nullptr;
    return std::make_unique<WlrootsSession>(std::move(connection));
}
