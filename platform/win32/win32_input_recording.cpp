// The Windows input recording: WH_KEYBOARD_LL and WH_MOUSE_LL set on a thread with a message loop (the system
// calls a low-level hook on the thread that set it), the virtual key and the physical pointer position from
// the hook, the event's tick count mapped onto the recording clock. WM_QUIT ends the thread and its hooks.
#include "win32_input_recording.h"

#include "recorded_input_buffer.h"

#include <windows.h>

#include <future>
#include <thread>

namespace {

class Win32InputRecording;

// The recording whose hooks run on this thread (each recording has a thread of its own).
thread_local Win32InputRecording* hookOwner = nullptr;

class Win32InputRecording final : public InputRecording {
  public:
    // Starts the hook thread and waits until the hooks are set; Started() tells whether they were.
    Win32InputRecording() {
        std::promise<bool> started;
        std::future<bool> result = started.get_future();
        thread_ = std::thread([this, &started] { Loop(started); });
        started_ = result.get();
    }

    ~Win32InputRecording() override {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

    Win32InputRecording(const Win32InputRecording&) = delete;
    Win32InputRecording& operator=(const Win32InputRecording&) = delete;

    bool Started() const { return started_; }
    void Take(std::vector<RecordedInput>& out) override { buffer_.Take(out, RecordingClockMilliseconds()); }

    void Add(RecordedInput::Kind kind, int32_t code, POINT where, DWORD time) {
        RecordedInput event;
        event.kind = kind;
        event.code = code;
        event.x = where.x;
        event.y = where.y;
        event.milliseconds = times_.ToLocal(time, RecordingClockMilliseconds());
        buffer_.Add(event);
    }

  private:
    void Loop(std::promise<bool>& started) {
        MSG message;
        // The first call gives the thread its message queue, so the quit message cannot be lost.
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        threadId_ = GetCurrentThreadId();
        hookOwner = this;
        const HINSTANCE module = GetModuleHandleW(nullptr);
        const HHOOK keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, module, 0);
        const HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, MouseHook, module, 0);
        const bool hooked = keyboard != nullptr && mouse != nullptr;
        started.set_value(hooked);
        if (hooked)
            while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        if (keyboard != nullptr) UnhookWindowsHookEx(keyboard);
        if (mouse != nullptr) UnhookWindowsHookEx(mouse);
        hookOwner = nullptr;
    }

    static LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM data) {
        if (code == HC_ACTION && hookOwner != nullptr) {
            const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
            const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
            POINT where{};
            GetPhysicalCursorPos(&where);
            if (key->vkCode > 0 && key->vkCode < 256)
                hookOwner->Add(down ? RecordedInput::Kind::KeyDown : RecordedInput::Kind::KeyUp,
                               static_cast<int32_t>(key->vkCode), where, key->time);
        }
        return CallNextHookEx(nullptr, code, message, data);
    }

    static LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data) {
        if (code == HC_ACTION && hookOwner != nullptr) {
            const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
            RecordedInput::Kind kind = RecordedInput::Kind::Motion;
            int32_t button = 0;
            switch (message) {
            case WM_MOUSEMOVE:
                break;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
                button = 1;
                break;
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
                button = 2;
                break;
            case WM_MBUTTONDOWN:
            case WM_MBUTTONUP:
                button = 3;
                break;
            default: // the wheels and the extra buttons are not recorded
                return CallNextHookEx(nullptr, code, message, data);
            }
            if (button != 0)
                kind = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN
                           ? RecordedInput::Kind::ButtonDown
                           : RecordedInput::Kind::ButtonUp;
            hookOwner->Add(kind, button, mouse->pt, mouse->time);
        }
        return CallNextHookEx(nullptr, code, message, data);
    }

    std::thread thread_;
    DWORD threadId_ = 0;
    bool started_ = false;
    EventTimeMapper times_;
    RecordedInputBuffer buffer_;
};

} // namespace

std::unique_ptr<InputRecording> StartWin32InputRecording() {
    auto recording = std::make_unique<Win32InputRecording>();
    if (!recording->Started()) return nullptr;
    return recording;
}
