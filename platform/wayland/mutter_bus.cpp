// The session-bus connection to mutter: calls that never wait longer than their limit, and the watch on
// mutter's name and sessions so that a mutter gone away is noticed without a call to it.
#include "mutter_bus.h"

#include <cstdarg>
#include <cstring>
#include <ctime>

namespace {

// D-Bus errors that say the other side is gone rather than that it refused.
bool MeansGone(const char* name) {
    static const char* const kGone[] = {
        "org.freedesktop.DBus.Error.ServiceUnknown", "org.freedesktop.DBus.Error.NoReply",
        "org.freedesktop.DBus.Error.Disconnected",   "org.freedesktop.DBus.Error.NameHasNoOwner",
        "org.freedesktop.DBus.Error.UnknownObject",  "org.freedesktop.DBus.Error.Timeout",
        "org.freedesktop.DBus.Error.NoServer",
    };
    if (name == nullptr) return false;
    for (const char* gone : kGone)
        if (std::strcmp(name, gone) == 0) return true;
    return false;
}

} // namespace

int64_t MutterNowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::unique_ptr<MutterBus> MutterBus::Connect() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0 || bus == nullptr) return nullptr;
    return std::unique_ptr<MutterBus>(new MutterBus(bus));
}

MutterBus::~MutterBus() {
    sd_bus_flush_close_unref(bus_);
}

bool MutterBus::HasOwner(const char* name) {
    sd_bus_message* reply = nullptr;
    int owned = 0;
    const bool answered = Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", 1000, &reply, "s", name) &&
                          sd_bus_message_read(reply, "b", &owned) >= 0;
    sd_bus_message_unref(reply);
    lost_.store(false); // a bus that does not answer this is no mutter lost: there was none yet
    return answered && owned != 0;
}

bool MutterBus::WatchMutter() {
    return sd_bus_match_signal(bus_, nullptr, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "NameOwnerChanged", &MutterBus::OnMutterLeft,
                               this) >= 0;
}

bool MutterBus::WatchClosed(const char* path, const char* interface) {
    return sd_bus_match_signal(bus_, nullptr, nullptr, path, interface, "Closed", &MutterBus::OnClosed,
                               this) >= 0;
}

int MutterBus::OnMutterLeft(sd_bus_message* message, void* self, sd_bus_error*) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) < 0) return 0;
    if (std::strcmp(name, "org.gnome.Mutter.RemoteDesktop") == 0 && newOwner[0] == '\0')
        static_cast<MutterBus*>(self)->MarkLost();
    return 0;
}

int MutterBus::OnClosed(sd_bus_message*, void* self, sd_bus_error*) {
    static_cast<MutterBus*>(self)->MarkLost();
    return 0;
}

bool MutterBus::Call(const char* destination, const char* path, const char* interface, const char* method,
                     int timeoutMs, sd_bus_message** reply, const char* types, ...) {
    sd_bus_message* call = nullptr;
    int r = sd_bus_message_new_method_call(bus_, &call, destination, path, interface, method);
    if (r >= 0 && types != nullptr && types[0] != '\0') {
        va_list arguments;
        va_start(arguments, types);
        r = sd_bus_message_appendv(call, types, arguments);
        va_end(arguments);
    }
    return Send(call, r, timeoutMs, reply, false);
}

bool MutterBus::CallIfThere(const char* destination, const char* path, const char* interface,
                            const char* method, int timeoutMs) {
    sd_bus_message* call = nullptr;
    const int r = sd_bus_message_new_method_call(bus_, &call, destination, path, interface, method);
    return Send(call, r, timeoutMs, nullptr, true);
}

// Sends a call made (r: how making it went) and waits for its answer; an error that means the other side is
// gone marks the connection lost, except a missing object or method where mayBeMissing allows one.
bool MutterBus::Send(sd_bus_message* call, int r, int timeoutMs, sd_bus_message** reply, bool mayBeMissing) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (r >= 0) r = sd_bus_call(bus_, call, static_cast<uint64_t>(timeoutMs) * 1000, &error, reply);
    sd_bus_message_unref(call);
    if (r >= 0) return true;
    const bool missing = sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_OBJECT) ||
                         sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_METHOD) ||
                         sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_INTERFACE);
    if (!(mayBeMissing && missing) && (MeansGone(error.name) || !sd_bus_is_open(bus_))) lost_.store(true);
    sd_bus_error_free(&error);
    return false;
}

void MutterBus::Pump() {
    for (;;) {
        const int r = sd_bus_process(bus_, nullptr);
        if (r < 0) {
            lost_.store(true);
            return;
        }
        if (r == 0) return;
    }
}

bool MutterBus::WaitOnce(int64_t untilMs) {
    const int64_t left = untilMs - MutterNowMs();
    if (left <= 0) return false;
    if (sd_bus_wait(bus_, static_cast<uint64_t>(left) * 1000) < 0) {
        lost_.store(true);
        return false;
    }
    Pump();
    return true;
}
