// The user-interface side of a run from the command line: no window of its own, and the dialogs of MSGBOX,
// INPUTBOX and MES opened only when a macro first asks for one, so a run without dialogs loads no Qt.
#pragma once

#include "windowless_user_interface.h"

#include <functional>
#include <memory>

class TerminalUserInterface : public WindowlessUserInterface {
  public:
    // Opens the dialogs' user interface (Qt's, from the editor part), or answers nullptr when there is no
    // desktop to show them on. Called at most once, on the first dialog.
    using DialogOpener = std::function<std::unique_ptr<UserInterface>()>;

    explicit TerminalUserInterface(DialogOpener openDialogs = {}) : openDialogs_(std::move(openDialogs)) {}

    // Asking whether dialogs can be shown is what every dialog built-in does first: the dialogs open here.
    bool CanShowDialogs() const override {
        const UserInterface* dialogs = Dialogs();
        return dialogs != nullptr && dialogs->CanShowDialogs();
    }
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

    // The run's own hook (the stop signals), then the dialogs' events once they are open.
    void Yield() override;

  private:
    // The opened dialogs, opening them on the first call; nullptr when they cannot be opened.
    UserInterface* Dialogs() const;

    mutable DialogOpener openDialogs_;
    mutable std::unique_ptr<UserInterface> dialogs_;
};
