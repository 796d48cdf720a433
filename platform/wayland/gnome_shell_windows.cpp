// The windows of a GNOME Shell desktop through the D-Bus service of our GNOME Shell extension
// (org.quillonmacro.Windows on the user's session bus): the list topmost first, moves, system commands.
#include "gnome_shell_windows.h"

#include "codepage.h"
#include "window_waits.h"

#include <systemd/sd-bus.h>

#include <mutex>
#include <vector>

namespace {

constexpr char kBusName[] = "org.quillonmacro.Windows";
constexpr char kObjectPath[] = "/org/quillonmacro/Windows";
constexpr char kInterface[] = "org.quillonmacro.Windows1";
constexpr uint32_t kInterfaceVersion = 1;
// A shell that does not answer within this is taken as not offering the service; nothing it does for us
// takes long, so only a hung shell reaches it.
constexpr uint64_t kCallTimeoutMicroseconds = 2'000'000;

constexpr int32_t kStateNormal = 1;
constexpr int32_t kStateMinimized = 2;
constexpr int32_t kStateMaximized = 3;

const char16_t kNeedsExtension[] =
    u"GNOME のウィンドウを操作するには QuillonMacro の拡張機能が必要です。端末で quillonmacro-gnome-windows "
    u"enable を実行し、ログインし直してください";
const char16_t kNoSessionBus[] = u"セッションバスに接続できないため、GNOME のウィンドウを操作できません";
// The shell still runs the extension of an older or newer install: a new login loads the installed one.
const char16_t kOtherVersion[] =
    u"QuillonMacro の GNOME 拡張機能の版がこのプログラムと合いません。ログインし直してください";

struct ListedWindow {
    int32_t handle = 0;
    std::string className;
    std::string instance;
    std::string title;
    bool shown = false;
    WindowPlacement placement; // the frame, and the show state
};

class GnomeShellWindows final : public CompositorWindows {
  public:
    ~GnomeShellWindows() override {
        if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
    }

    std::u16string Open() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (bus_ == nullptr && sd_bus_open_user(&bus_) < 0) {
            bus_ = nullptr;
            return kNoSessionBus;
        }
        sd_bus_message* reply = nullptr;
        if (!Call("Version", &reply, "")) return kNeedsExtension;
        uint32_t version = 0;
        const int read = sd_bus_message_read(reply, "u", &version);
        sd_bus_message_unref(reply);
        if (read <= 0 || version != kInterfaceVersion) return kOtherVersion;
        return {};
    }

    int32_t Find(const std::string& className, const std::string* title) override {
        for (const ListedWindow& window : List()) {
            if (window.className != className && window.instance != className) continue;
            if (title != nullptr && window.title != *title) continue;
            return window.handle;
        }
        return 0;
    }

    bool Placement(int32_t window, WindowPlacement& out) override {
        ListedWindow found;
        if (!Listed(window, found)) return false;
        out = found.placement;
        return true;
    }

    void Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) override {
        ListedWindow before;
        if (!Listed(window, before)) return;
        const WindowPlacement target{kStateNormal, x, y, x + width, y + height};
        const WindowPlacement& was = before.placement;
        if (SamePlacement(was, target)) return;
        if (!CallWithHandle("Move", window, x, y, width, height)) return;
        // The client takes the new size in its own time: done when the frame is where it was asked to be,
        // or once it has changed and then held still.
        WaitForNewPlacement(
            [&](WindowPlacement& now) {
                ListedWindow listed;
                if (!Listed(window, listed)) return false;
                now = listed.placement;
                return true;
            },
            target, was);
    }

    int32_t Command(int32_t window, int32_t command) override {
        const char* method = nullptr;
        int32_t state = 0;
        switch (WindowCommandOf(command)) {
        case WindowCommand::Maximize:
            method = "Maximize", state = kStateMaximized;
            break;
        case WindowCommand::Minimize:
            method = "Minimize", state = kStateMinimized;
            break;
        case WindowCommand::Restore:
            method = "Restore", state = kStateNormal;
            break;
        case WindowCommand::Close:
            method = "Close";
            break;
        case WindowCommand::Other:
            return 0;
        }
        ListedWindow found;
        if (!Listed(window, found) || !CallWithHandle(method, window)) return 0;
        // The state changes once the client has taken it; the command is done when it shows.
        if (state != 0)
            PollUntil([&] { return !Listed(window, found) || found.placement.showState == state; });
        return 0;
    }

    bool TopLevelAt(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) override {
        for (const ListedWindow& window : List()) {
            const WindowPlacement& frame = window.placement;
            if (!window.shown || x < frame.left || y < frame.top || x >= frame.right || y >= frame.bottom)
                continue;
            if (lookedThrough != 0 && window.handle == lookedThrough) continue;
            out = WindowDescription{};
            out.window = window.handle;
            out.className = FromUtf8(window.className);
            out.instanceName = window.instance != window.className ? FromUtf8(window.instance) : u"";
            out.title = FromUtf8(window.title);
            out.placement = frame;
            return true;
        }
        return false;
    }

  private:
    // One method call of the service with its arguments; the reply, when wanted, is the caller's to release.
    template <typename... Arguments>
    bool Call(const char* method, sd_bus_message** reply, const char* types, Arguments... arguments) {
        if (bus_ == nullptr) return false;
        sd_bus_message* message = nullptr;
        if (sd_bus_message_new_method_call(bus_, &message, kBusName, kObjectPath, kInterface, method) < 0)
            return false;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* answer = nullptr;
        const bool ok = (types[0] == '\0' || sd_bus_message_append(message, types, arguments...) >= 0) &&
                        sd_bus_call(bus_, message, kCallTimeoutMicroseconds, &error, &answer) >= 0;
        sd_bus_error_free(&error);
        sd_bus_message_unref(message);
        if (ok && reply != nullptr) {
            *reply = answer;
        } else {
            sd_bus_message_unref(answer);
        }
        return ok;
    }

    // A method taking a handle (and more) and answering whether the window was found.
    template <typename... Arguments>
    bool CallWithHandle(const char* method, int32_t window, Arguments... more) {
        if (window <= 0) return false;
        std::lock_guard<std::mutex> lock(mutex_);
        sd_bus_message* reply = nullptr;
        const char* types = sizeof...(more) == 0 ? "u" : "uiiii";
        if (!Call(method, &reply, types, static_cast<uint32_t>(window), more...)) return false;
        int found = 0;
        const bool ok = sd_bus_message_read(reply, "b", &found) > 0 && found != 0;
        sd_bus_message_unref(reply);
        return ok;
    }

    // The top-level windows, topmost first; empty when the service does not answer.
    std::vector<ListedWindow> List() {
        std::vector<ListedWindow> windows;
        std::lock_guard<std::mutex> lock(mutex_);
        sd_bus_message* reply = nullptr;
        if (!Call("List", &reply, "")) return windows;
        if (sd_bus_message_enter_container(reply, 'a', "(usssubiiii)") > 0) {
            while (true) {
                uint32_t handle = 0;
                const char* className = nullptr;
                const char* instance = nullptr;
                const char* title = nullptr;
                uint32_t state = 0;
                int shown = 0;
                int32_t x = 0, y = 0, width = 0, height = 0;
                if (sd_bus_message_read(reply, "(usssubiiii)", &handle, &className, &instance, &title, &state,
                                        &shown, &x, &y, &width, &height) <= 0)
                    break;
                windows.push_back(
                    ListedWindow{static_cast<int32_t>(handle), className, instance, title, shown != 0,
                                 WindowPlacement{static_cast<int32_t>(state), x, y, x + width, y + height}});
            }
        }
        sd_bus_message_unref(reply);
        return windows;
    }

    bool Listed(int32_t window, ListedWindow& out) {
        if (window <= 0) return false;
        for (ListedWindow& listed : List()) {
            if (listed.handle != window) continue;
            out = std::move(listed);
            return true;
        }
        return false;
    }

    std::mutex mutex_; // the bus connection is used from the macro's thread and the editor's alike
    sd_bus* bus_ = nullptr;
};

} // namespace

std::unique_ptr<CompositorWindows> CreateGnomeShellWindows() {
    return std::make_unique<GnomeShellWindows>();
}
