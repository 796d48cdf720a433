// The command-line run's user interface: each dialog operation goes to the dialogs once they are open, and
// otherwise answers as a run without a window does.
#include "terminal_user_interface.h"

UserInterface* TerminalUserInterface::Dialogs() const {
    if (openDialogs_) {
        const DialogOpener open = std::move(openDialogs_);
        openDialogs_ = nullptr; // one attempt: a desktop that is not there now is not waited for
        dialogs_ = open();
    }
    return dialogs_.get();
}

// A stop asked for while the box waited (which cancels the box) ends the run right after this statement: the
// hook is run at once instead of at the next yield.
int32_t TerminalUserInterface::MessageBox(const std::u16string& text, int32_t style,
                                          const std::u16string& title) {
    UserInterface* dialogs = Dialogs();
    if (dialogs == nullptr) return WindowlessUserInterface::MessageBox(text, style, title);
    const int32_t button = dialogs->MessageBox(text, style, title);
    RunYieldHook();
    return button;
}

std::u16string TerminalUserInterface::InputBox(const std::u16string& prompt, const std::u16string& title) {
    UserInterface* dialogs = Dialogs();
    if (dialogs == nullptr) return WindowlessUserInterface::InputBox(prompt, title);
    std::u16string answer = dialogs->InputBox(prompt, title);
    RunYieldHook();
    return answer;
}

void TerminalUserInterface::ShowMessageWindow() {
    if (UserInterface* dialogs = Dialogs()) dialogs->ShowMessageWindow();
}

void TerminalUserInterface::SetMessageWindowPosition(int32_t leftTwips, int32_t topTwips) {
    if (UserInterface* dialogs = Dialogs()) dialogs->SetMessageWindowPosition(leftTwips, topTwips);
}

void TerminalUserInterface::SetMessageText(const std::u16string& text) {
    if (UserInterface* dialogs = Dialogs()) dialogs->SetMessageText(text);
}

// The queries and the closing never open the dialogs: without them there is no message window.
int32_t TerminalUserInterface::MessageLabelLeft() const {
    return dialogs_ ? dialogs_->MessageLabelLeft() : WindowlessUserInterface::MessageLabelLeft();
}

int32_t TerminalUserInterface::MessageLabelWidth() const {
    return dialogs_ ? dialogs_->MessageLabelWidth() : WindowlessUserInterface::MessageLabelWidth();
}

void TerminalUserInterface::SetMessageWindowWidth(int32_t widthTwips) {
    if (dialogs_) dialogs_->SetMessageWindowWidth(widthTwips);
}

bool TerminalUserInterface::IsMessageWindowOpen() const {
    return dialogs_ && dialogs_->IsMessageWindowOpen();
}

void TerminalUserInterface::CloseMessageWindow() {
    if (dialogs_) dialogs_->CloseMessageWindow();
}

void TerminalUserInterface::Yield() {
    RunYieldHook();
    if (dialogs_) dialogs_->Yield();
}
