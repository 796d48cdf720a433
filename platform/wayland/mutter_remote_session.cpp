// The remote-desktop session of mutter: created, tied to a screen cast of every monitor (the pointer left
// out of the pictures), started, and then fed key and pointer events; stopped when the program ends.
#include "mutter_remote_session.h"

#include "physical_layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <unistd.h>

namespace {

constexpr const char* kRemoteDesktop = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kRemoteSession = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr const char* kScreenCast = "org.gnome.Mutter.ScreenCast";
constexpr const char* kCastSession = "org.gnome.Mutter.ScreenCast.Session";
constexpr const char* kCastStream = "org.gnome.Mutter.ScreenCast.Stream";
constexpr int kSetUpMs = 5000;   // one set-up call
constexpr int kStreamsMs = 5000; // all streams announced after the start
constexpr int kEventMs = 2000;   // one key or pointer event
constexpr uint32_t kCursorHidden = 0;
constexpr uint32_t kUnusedKey = 194; // F24
constexpr int kDevicesSettleMs = 30;

const char16_t kRefused[] =
    u"GNOME（mutter）が、ほかのプログラムからのキーボード・マウス・画面の操作を許可しません"
    u"でした";
const char16_t kNoStream[] = u"GNOME（mutter）の画面の配信が始まりませんでした";
const char16_t kGone[] = u"画面との接続が切れたため、この関数は実行できません";

std::string ReadPath(sd_bus_message* reply) {
    const char* path = nullptr;
    return sd_bus_message_read(reply, "o", &path) >= 0 && path != nullptr ? path : "";
}

} // namespace

MutterRemoteSession::~MutterRemoteSession() {
    if (!sessionPath_.empty() && !bus_.Lost())
        bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "Stop", 1000, nullptr, "");
}

std::u16string MutterRemoteSession::Open() {
    if (!tried_) {
        tried_ = true;
        why_ = SetUp();
        started_ = why_.empty();
    }
    return why_;
}

std::u16string MutterRemoteSession::SetUp() {
    bus_.WatchMutter();
    sd_bus_message* reply = nullptr;
    if (!bus_.Call(kRemoteDesktop, "/org/gnome/Mutter/RemoteDesktop", kRemoteDesktop, "CreateSession",
                   kSetUpMs, &reply, ""))
        return bus_.Lost() ? kGone : kRefused;
    sessionPath_ = ReadPath(reply);
    reply = sd_bus_message_unref(reply);
    bus_.WatchClosed(sessionPath_.c_str(), kRemoteSession);

    const char* id = nullptr;
    std::string sessionId;
    if (bus_.Call(kRemoteDesktop, sessionPath_.c_str(), "org.freedesktop.DBus.Properties", "Get", kSetUpMs,
                  &reply, "ss", kRemoteSession, "SessionId") &&
        sd_bus_message_read(reply, "v", "s", &id) >= 0 && id != nullptr)
        sessionId = id;
    reply = sd_bus_message_unref(reply);
    if (sessionId.empty()) return bus_.Lost() ? kGone : kRefused;

    if (!bus_.Call(kScreenCast, "/org/gnome/Mutter/ScreenCast", kScreenCast, "CreateSession", kSetUpMs,
                   &reply, "a{sv}", 1, "remote-desktop-session-id", "s", sessionId.c_str()))
        return bus_.Lost() ? kGone : kRefused;
    castPath_ = ReadPath(reply);
    reply = sd_bus_message_unref(reply);
    bus_.WatchClosed(castPath_.c_str(), kCastSession);

    if (!ReadMonitors()) monitors_.assign(1, MutterMonitor{"", "", 0, ScreenRect{}, true, 1, ScreenRect{}});
    if (!RecordMonitors()) return bus_.Lost() ? kGone : kRefused;
    if (!bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "Start", kSetUpMs, nullptr, ""))
        return bus_.Lost() ? kGone : kRefused;
    const bool announced = bus_.WaitUntil(
        [this] {
            return std::all_of(monitors_.begin(), monitors_.end(),
                               [](const MutterMonitor& m) { return m.node != 0; });
        },
        kStreamsMs);
    if (bus_.Lost()) return kGone;
    if (!announced) return kNoStream;
    for (MutterMonitor& monitor : monitors_)
        if (!ReadStreamPlace(monitor)) return bus_.Lost() ? kGone : kNoStream;
    PlaceInPhysicalPixels();
    PrepareDevices();
    return {};
}

// The logical monitors of mutter's current layout: the connector of each and which one is primary (their
// places come from the streams, which give them in the desktop's own pixels).
bool MutterRemoteSession::ReadMonitors() {
    sd_bus_message* reply = nullptr;
    if (!bus_.Call("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                   "org.gnome.Mutter.DisplayConfig", "GetCurrentState", kSetUpMs, &reply, ""))
        return false;
    uint32_t serial = 0;
    bool ok = sd_bus_message_read(reply, "u", &serial) >= 0 &&
              sd_bus_message_skip(reply, "a((ssss)a(siiddada{sv})a{sv})") >= 0 &&
              sd_bus_message_enter_container(reply, 'a', "(iiduba(ssss)a{sv})") > 0;
    while (ok && sd_bus_message_enter_container(reply, 'r', "iiduba(ssss)a{sv}") > 0) {
        int32_t x = 0;
        int32_t y = 0;
        double scale = 1;
        uint32_t transform = 0;
        int primary = 0;
        const char* connector = nullptr;
        const char* vendor = nullptr;
        const char* product = nullptr;
        const char* serialText = nullptr;
        ok = sd_bus_message_read(reply, "iidub", &x, &y, &scale, &transform, &primary) >= 0 &&
             sd_bus_message_enter_container(reply, 'a', "(ssss)") >= 0 &&
             sd_bus_message_read(reply, "(ssss)", &connector, &vendor, &product, &serialText) > 0 &&
             connector != nullptr;
        if (ok)
            monitors_.push_back(
                MutterMonitor{connector, "", 0, ScreenRect{x, y, 0, 0}, primary != 0, scale, {}});
        ok = ok && sd_bus_message_skip(reply, "a(ssss)") >= 0 && sd_bus_message_exit_container(reply) >= 0 &&
             sd_bus_message_skip(reply, "a{sv}") >= 0 && sd_bus_message_exit_container(reply) >= 0;
    }
    // The layout mode: 1 when the layout counts scaled (logical) pixels, 2 when it counts the monitors' own.
    ok = ok && sd_bus_message_exit_container(reply) >= 0 &&
         sd_bus_message_enter_container(reply, 'a', "{sv}") > 0;
    while (ok && sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* key = nullptr;
        uint32_t mode = 0;
        ok = sd_bus_message_read(reply, "s", &key) >= 0;
        if (ok && std::strcmp(key, "layout-mode") == 0) {
            ok = sd_bus_message_read(reply, "v", "u", &mode) >= 0;
            logicalLayout_ = mode == 1;
        } else {
            ok = ok && sd_bus_message_skip(reply, "v") >= 0;
        }
        ok = ok && sd_bus_message_exit_container(reply) >= 0;
    }
    sd_bus_message_unref(reply);
    if (!ok) monitors_.clear();
    return ok && !monitors_.empty();
}

// Mutter makes the session's virtual keyboard and pointer on their first event, and a seat that had no such
// device then tells its clients of it: the first key and button reach no client. A motion by nothing and a
// tap of F24 (a key no program uses) make both devices; the clients then have a moment to take them up.
void MutterRemoteSession::PrepareDevices() {
    bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyPointerMotionRelative", kEventMs,
              nullptr, "dd", 0.0, 0.0);
    bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyKeyboardKeycode", kEventMs,
              nullptr, "ub", kUnusedKey, 1);
    bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyKeyboardKeycode", kEventMs,
              nullptr, "ub", kUnusedKey, 0);
    usleep(kDevicesSettleMs * 1000);
}

int MutterRemoteSession::OnStreamAdded(sd_bus_message* message, void* monitor, sd_bus_error*) {
    uint32_t node = 0;
    if (sd_bus_message_read(message, "u", &node) >= 0) static_cast<MutterMonitor*>(monitor)->node = node;
    return 0;
}

// One stream per monitor, the pointer hidden from its pictures, each announcing its PipeWire node once the
// session starts.
bool MutterRemoteSession::RecordMonitors() {
    for (MutterMonitor& monitor : monitors_) {
        sd_bus_message* reply = nullptr;
        if (!bus_.Call(kScreenCast, castPath_.c_str(), kCastSession, "RecordMonitor", kSetUpMs, &reply,
                       "sa{sv}", monitor.connector.c_str(), 1, "cursor-mode", "u", kCursorHidden))
            return false;
        monitor.streamPath = ReadPath(reply);
        sd_bus_message_unref(reply);
        if (sd_bus_match_signal(bus_.Bus(), nullptr, kScreenCast, monitor.streamPath.c_str(), kCastStream,
                                "PipeWireStreamAdded", &MutterRemoteSession::OnStreamAdded, &monitor) < 0)
            return false;
    }
    return true;
}

// Where the stream's monitor lies on the desktop and how large it is ("position" and "size").
bool MutterRemoteSession::ReadStreamPlace(MutterMonitor& monitor) {
    sd_bus_message* reply = nullptr;
    bool ok = bus_.Call(kScreenCast, monitor.streamPath.c_str(), "org.freedesktop.DBus.Properties", "Get",
                        kSetUpMs, &reply, "ss", kCastStream, "Parameters") &&
              sd_bus_message_enter_container(reply, 'v', "a{sv}") > 0 &&
              sd_bus_message_enter_container(reply, 'a', "{sv}") > 0;
    bool sized = false;
    while (ok && sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* key = nullptr;
        ok = sd_bus_message_read(reply, "s", &key) >= 0;
        const bool position = ok && std::strcmp(key, "position") == 0;
        const bool size = ok && std::strcmp(key, "size") == 0;
        if (position || size) {
            int32_t a = 0;
            int32_t b = 0;
            ok = sd_bus_message_read(reply, "v", "(ii)", &a, &b) >= 0;
            if (position) monitor.layout.left = a, monitor.layout.top = b;
            if (size) monitor.layout.width = a, monitor.layout.height = b, sized = a > 0 && b > 0;
        } else {
            ok = ok && sd_bus_message_skip(reply, "v") >= 0;
        }
        ok = ok && sd_bus_message_exit_container(reply) >= 0;
    }
    sd_bus_message_unref(reply);
    return ok && sized;
}

// With fractional scaling on, mutter's layout counts scaled pixels: a monitor of 2560 pixels at scale 2 is
// 1280 wide there. The desktop is the monitors' own pixels, each placed as PhysicalLayout does; without it
// the layout already counts them.
void MutterRemoteSession::PlaceInPhysicalPixels() {
    std::vector<ScaledOutput> outputs;
    for (const MutterMonitor& monitor : monitors_) {
        const double scale = logicalLayout_ && monitor.scale > 0 ? monitor.scale : 1;
        outputs.push_back(ScaledOutput{monitor.layout,
                                       static_cast<int32_t>(std::lround(monitor.layout.width * scale)),
                                       static_cast<int32_t>(std::lround(monitor.layout.height * scale))});
    }
    const PhysicalLayout physical(outputs);
    for (size_t i = 0; i < monitors_.size(); ++i) monitors_[i].rect = physical.DesktopRect(i);
}

void MutterRemoteSession::Key(uint32_t evdevCode, bool down) {
    if (bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyKeyboardKeycode", kEventMs,
                  nullptr, "ub", evdevCode, static_cast<int>(down)))
        lastInputMs_ = MutterNowMs();
}

// Mutter reaches a keypad digit's symbol with Shift on its key, which clients read as the key's other
// symbol (KP_Begin for KP_5) while Num Lock is off: the digit is typed as the digit itself instead, so the
// keypad codes type digits whatever Num Lock says, as they do on X11.
bool MutterRemoteSession::KeySym(uint32_t keysym, bool down) {
    constexpr uint32_t kKeypad0 = 0xFFB0; // XKB_KEY_KP_0 … XKB_KEY_KP_9
    constexpr uint32_t kDigit0 = 0x30;
    if (keysym >= kKeypad0 && keysym <= kKeypad0 + 9) keysym = kDigit0 + (keysym - kKeypad0);
    if (!bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyKeyboardKeysym", kEventMs,
                   nullptr, "ub", keysym, static_cast<int>(down)))
        return false;
    lastInputMs_ = MutterNowMs();
    return true;
}

// An absolute motion names the stream of the monitor under the point (the nearest monitor when the point
// lies on none) and the place within that monitor in the stream picture's pixels, which are the monitor's
// own: mutter divides them by the monitor's scale when its layout is scaled.
void MutterRemoteSession::MoveTo(int32_t x, int32_t y) {
    const MutterMonitor* best = nullptr;
    int64_t bestDistance = INT64_MAX;
    for (const MutterMonitor& m : monitors_) {
        const int64_t dx =
            x < m.rect.left ? m.rect.left - x : std::max(0, x - (m.rect.left + m.rect.width - 1));
        const int64_t dy =
            y < m.rect.top ? m.rect.top - y : std::max(0, y - (m.rect.top + m.rect.height - 1));
        if (dx * dx + dy * dy < bestDistance) best = &m, bestDistance = dx * dx + dy * dy;
    }
    if (best == nullptr || best->rect.width <= 0 || best->rect.height <= 0) return;
    const double px = std::clamp(x - best->rect.left, 0, best->rect.width - 1);
    const double py = std::clamp(y - best->rect.top, 0, best->rect.height - 1);
    if (bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyPointerMotionAbsolute",
                  kEventMs, nullptr, "sdd", best->streamPath.c_str(), px, py))
        lastInputMs_ = MutterNowMs();
    pointerScale_ = logicalLayout_ && best->scale > 0 ? best->scale : 1;
}

// A scaled layout moves the pointer in scaled pixels: the pixels asked are divided by the scale of the
// monitor the pointer was last placed on.
void MutterRemoteSession::MoveBy(int32_t dx, int32_t dy) {
    if (bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyPointerMotionRelative",
                  kEventMs, nullptr, "dd", dx / pointerScale_, dy / pointerScale_))
        lastInputMs_ = MutterNowMs();
}

void MutterRemoteSession::Button(uint32_t button, bool down) {
    if (bus_.Call(kRemoteDesktop, sessionPath_.c_str(), kRemoteSession, "NotifyPointerButton", kEventMs,
                  nullptr, "ib", static_cast<int32_t>(button), static_cast<int>(down)))
        lastInputMs_ = MutterNowMs();
}
