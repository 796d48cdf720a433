// The desktop-wide keys on Windows (the stop key Pause, and the keys of the editor's aids): registered with
// RegisterHotKey on a thread of their own, whose message loop notes each press, so a key works whatever
// window is active and however busy the GUI thread is.
#include "stop_hotkey.h"

#include <windows.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

constexpr int kHotkeyId = 1;
constexpr UINT kGrabMessage = WM_APP + 1;
constexpr UINT kReleaseMessage = WM_APP + 2;

class Win32GlobalHotkey final : public StopHotkey {
  public:
    // `modifiers` are RegisterHotKey's MOD_ bits.
    Win32GlobalHotkey(UINT virtualKey, UINT modifiers) : virtualKey_(virtualKey), modifiers_(modifiers) {
        std::promise<DWORD> started;
        std::future<DWORD> threadId = started.get_future();
        thread_ = std::thread([this, &started] { Loop(started); });
        threadId_ = threadId.get();
    }

    ~Win32GlobalHotkey() override {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

    bool Grab() override { return Ask(kGrabMessage); }
    void Release() override { Ask(kReleaseMessage); }
    bool TakePressed() override { return pressed_.exchange(false, std::memory_order_relaxed); }

  private:
    // A hotkey belongs to the thread that registered it: the request goes to the key's thread, and the caller
    // waits for its answer so that a grab is in force when Grab returns.
    bool Ask(UINT message) {
        std::promise<bool> answer;
        std::future<bool> result = answer.get_future();
        if (!PostThreadMessageW(threadId_, message, 0, reinterpret_cast<LPARAM>(&answer))) return false;
        return result.get();
    }

    void Loop(std::promise<DWORD>& started) {
        MSG message;
        // The first call gives the thread its message queue, so no request posted later can be lost.
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        started.set_value(GetCurrentThreadId());
        bool grabbed = false;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_HOTKEY && message.wParam == kHotkeyId) {
                pressed_.store(true, std::memory_order_relaxed);
            } else if (message.message == kGrabMessage) {
                if (!grabbed)
                    grabbed = RegisterHotKey(nullptr, kHotkeyId, modifiers_ | MOD_NOREPEAT, virtualKey_) != 0;
                reinterpret_cast<std::promise<bool>*>(message.lParam)->set_value(grabbed);
            } else if (message.message == kReleaseMessage) {
                if (grabbed) UnregisterHotKey(nullptr, kHotkeyId);
                grabbed = false;
                reinterpret_cast<std::promise<bool>*>(message.lParam)->set_value(true);
            }
        }
        if (grabbed) UnregisterHotKey(nullptr, kHotkeyId);
    }

    UINT virtualKey_;
    UINT modifiers_;
    std::thread thread_;
    DWORD threadId_ = 0;
    std::atomic<bool> pressed_{false};
};

} // namespace

std::unique_ptr<StopHotkey> CreateStopHotkey() {
    return CreateGlobalHotkey(VK_PAUSE, 0);
}

std::unique_ptr<StopHotkey> CreateEmergencyStopKey() {
    return CreateStopHotkey();
}

std::unique_ptr<StopHotkey> CreateGlobalHotkey(uint8_t virtualKey, unsigned modifiers) {
    UINT mod = 0;
    if ((modifiers & kHotkeyShift) != 0) mod |= MOD_SHIFT;
    if ((modifiers & kHotkeyControl) != 0) mod |= MOD_CONTROL;
    if ((modifiers & kHotkeyAlt) != 0) mod |= MOD_ALT;
    return std::make_unique<Win32GlobalHotkey>(virtualKey, mod);
}
