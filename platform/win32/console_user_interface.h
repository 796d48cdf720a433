// The user-interface side of a windowless run on Windows: the Win32 message box, input box and MES window,
// and a yield that keeps the thread's window messages flowing and lets a stop request reach the run.
#pragma once

#include "windowless_user_interface.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Win32MessageWindow;

class ConsoleUserInterface : public WindowlessUserInterface {
  public:
    ConsoleUserInterface();
    ~ConsoleUserInterface() override;

    // True on a desktop someone sees; asked once, on the first dialog of the run.
    bool CanShowDialogs() const override;
    // A stop asked for while a box waits closes the box, and the run's hook then stops the run at once.
    int32_t MessageBox(const std::u16string& text, int32_t style, const std::u16string& title) override;
    std::u16string InputBox(const std::u16string& prompt, const std::u16string& title) override;

    void ShowMessageWindow() override;
    void SetMessageWindowPosition(int32_t leftTwips, int32_t topTwips) override;
    void SetMessageText(const std::u16string& text) override;
    int32_t MessageLabelLeft() const override;
    int32_t MessageLabelWidth() const override;
    void SetMessageWindowWidth(int32_t widthTwips) override;
    bool IsMessageWindowOpen() const override;
    void CloseMessageWindow() override;

    // Whether the run was asked to stop; asked again and again by a box while it waits, so it must keep
    // answering true once it has.
    void SetStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }

    // Calls the yield hook, then handles the pending window messages of the thread (the MES window's among
    // them), at most once every ~10 ms so a tight macro loop does not spend its time there.
    void Yield() override;

  private:
    mutable std::optional<bool> interactive_;
    std::function<bool()> stopCheck_;
    std::unique_ptr<Win32MessageWindow> messageWindow_;
    uint64_t lastPumpMilliseconds_ = 0;
};
