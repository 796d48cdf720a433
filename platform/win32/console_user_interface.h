// The user-interface side of the Windows console runner: no dialogs or message window, and a yield that keeps
// the thread's window messages flowing and lets a stop request reach the run.
#pragma once

#include "user_interface.h"

#include <cstdint>
#include <functional>

class ConsoleUserInterface : public UserInterface {
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

    // Calls the yield hook, then handles the pending window messages of the thread, at most once every
    // ~10 ms so a tight macro loop does not spend its time there.
    void Yield() override;

    // Called on every yield (before each statement of a running macro); cheap checks only.
    void SetYieldHook(std::function<void()> hook) { yieldHook_ = std::move(hook); }

  private:
    static constexpr int kYieldsPerClockRead = 16;
    int yieldsSinceClock_ = 0;
    uint64_t lastPumpMilliseconds_ = 0;
    std::function<void()> yieldHook_;
};
