// The windowless run's user interface on Windows: the boxes and the message window of platform/win32, the
// stop check on every yield, the thread's message queue every ~10 ms.
#include "console_user_interface.h"

#include "win32_dialogs.h"
#include "win32_message_window.h"

#include <windows.h>
// windows.h names macros after the old cooperative yield of 16-bit Windows and after the A/W forms of the
// message box.
#undef Yield
#undef MessageBox

namespace {
constexpr uint64_t kPumpIntervalMilliseconds = 10;
}

ConsoleUserInterface::ConsoleUserInterface() : messageWindow_(std::make_unique<Win32MessageWindow>()) {}

ConsoleUserInterface::~ConsoleUserInterface() = default;

bool ConsoleUserInterface::CanShowDialogs() const {
    if (!interactive_) interactive_ = Win32Dialogs::DesktopIsInteractive();
    return *interactive_;
}

// The hook runs right after the box, so a stop that closed it ends the run after this statement.
int32_t ConsoleUserInterface::MessageBox(const std::u16string& text, int32_t style,
                                         const std::u16string& title) {
    const int32_t button = Win32Dialogs::ShowMessageBox(text, style, title, stopCheck_);
    RunYieldHook();
    return button;
}

std::u16string ConsoleUserInterface::InputBox(const std::u16string& prompt, const std::u16string& title) {
    std::u16string answer = Win32Dialogs::ShowInputBox(prompt, title, stopCheck_);
    RunYieldHook();
    return answer;
}

void ConsoleUserInterface::ShowMessageWindow() {
    messageWindow_->Show();
}

void ConsoleUserInterface::SetMessageWindowPosition(int32_t leftTwips, int32_t topTwips) {
    messageWindow_->SetPositionTwips(leftTwips, topTwips);
}

void ConsoleUserInterface::SetMessageText(const std::u16string& text) {
    messageWindow_->SetText(text);
}

int32_t ConsoleUserInterface::MessageLabelLeft() const {
    return messageWindow_->LabelLeftTwips();
}

int32_t ConsoleUserInterface::MessageLabelWidth() const {
    return messageWindow_->LabelWidthTwips();
}

void ConsoleUserInterface::SetMessageWindowWidth(int32_t widthTwips) {
    messageWindow_->SetWidthTwips(widthTwips);
}

bool ConsoleUserInterface::IsMessageWindowOpen() const {
    return messageWindow_->IsOpen();
}

void ConsoleUserInterface::CloseMessageWindow() {
    messageWindow_->Close();
}

void ConsoleUserInterface::Yield() {
    RunYieldHook();
    const uint64_t now = GetTickCount64();
    if (now - lastPumpMilliseconds_ < kPumpIntervalMilliseconds) return;
    lastPumpMilliseconds_ = now;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
