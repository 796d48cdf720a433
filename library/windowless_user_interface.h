// WindowlessUserInterface: the user-interface side of a run that has no window to own dialogs (the command
// line on Linux, the console runner on Windows): by itself no dialogs or message window, and a yield hook.
#pragma once

#include "user_interface.h"

#include <cstdint>
#include <functional>

// Each realisation supplies Yield, which calls RunYieldHook and then keeps its own event loop turning, and
// shows the dialogs itself where the desktop allows (Qt's from the editor part on Linux, Win32 windows on
// Windows).
class WindowlessUserInterface : public UserInterface {
  public:
    bool CanShowDialogs() const override { return false; }

    // Never reached while CanShowDialogs is false; they answer like a dialog that was cancelled.
    int32_t MessageBox(const std::u16string&, int32_t, const std::u16string&) override { return 2; }
    std::u16string InputBox(const std::u16string&, const std::u16string&) override { return {}; }

    void ShowMessageWindow() override {}
    void SetMessageWindowPosition(int32_t, int32_t) override {}
    void SetMessageText(const std::u16string&) override {}
    int32_t MessageLabelLeft() const override { return 0; }
    int32_t MessageLabelWidth() const override { return 0; }
    void SetMessageWindowWidth(int32_t) override {}
    bool IsMessageWindowOpen() const override { return false; }
    void CloseMessageWindow() override {}

    // Called on every yield (before each statement of a running macro); cheap checks only.
    void SetYieldHook(std::function<void()> hook) { yieldHook_ = std::move(hook); }

  protected:
    void RunYieldHook() {
        if (yieldHook_) yieldHook_();
    }

  private:
    std::function<void()> yieldHook_;
};
