// MutterBus: this program's session-bus connection to mutter's services — method calls with a time limit,
// and the watch that notices mutter leaving (its name losing its owner, a session's Closed signal).
#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <memory>

class MutterBus {
  public:
    // The session bus, or null when there is none.
    static std::unique_ptr<MutterBus> Connect();
    ~MutterBus();
    MutterBus(const MutterBus&) = delete;
    MutterBus& operator=(const MutterBus&) = delete;

    // Whether someone owns the name on the bus (one call; false when the bus does not answer).
    bool HasOwner(const char* name);
    // From now on, mutter giving up its remote-desktop name counts as mutter gone.
    bool WatchMutter();
    // A session object whose Closed signal counts as mutter gone (its sessions end only with it or by us).
    bool WatchClosed(const char* path, const char* interface);

    // A method call waiting at most timeoutMs for the answer; *reply (when given) holds it. The arguments
    // are appended as sd_bus_message_append takes them. Errors that mean mutter or the bus is gone mark the
    // connection lost.
    bool Call(const char* destination, const char* path, const char* interface, const char* method,
              int timeoutMs, sd_bus_message** reply, const char* types, ...);
    // The same call, without arguments and without a reply, to an object that may not exist (its path
    // differs between versions of the other side): a missing object or method is a plain failure.
    bool CallIfThere(const char* destination, const char* path, const char* interface, const char* method,
                     int timeoutMs);

    // Handles the signals that came in, without waiting.
    void Pump();
    // Handles signals until ready() holds, the connection is lost, or timeoutMs passes; ready()'s last
    // answer.
    template <typename Ready> bool WaitUntil(Ready ready, int timeoutMs);

    bool Lost() const { return lost_.load(); }
    void MarkLost() { lost_.store(true); }
    sd_bus* Bus() const { return bus_; }

  private:
    bool Send(sd_bus_message* call, int r, int timeoutMs, sd_bus_message** reply, bool mayBeMissing);
    explicit MutterBus(sd_bus* bus) : bus_(bus) {}
    bool WaitOnce(int64_t untilMs);
    static int OnMutterLeft(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnClosed(sd_bus_message* message, void* self, sd_bus_error* error);

    sd_bus* bus_;
    std::atomic<bool> lost_{false};
};

int64_t MutterNowMs();

template <typename Ready> bool MutterBus::WaitUntil(Ready ready, int timeoutMs) {
    const int64_t until = MutterNowMs() + timeoutMs;
    Pump();
    while (!ready() && !Lost())
        if (!WaitOnce(until)) break;
    return ready();
}
