// QtUserInterface: the editor's realisation of the library's user interface — Qt message and input boxes,
// the MesFrm message window, and a cheap yield to Qt's event loop during runs.
#pragma once

#include "mes_frm.h"
#include "user_interface.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QtUserInterface : public UserInterface {
  public:
    // Dialogs are centred on `owner` when it is given.
    explicit QtUserInterface(QWidget* owner = nullptr) : owner_(owner) {}
    ~QtUserInterface() override;

    bool CanShowDialogs() const override { return true; }
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

    // Processes pending Qt events at most once every few milliseconds (reading the clock only every few
    // calls), so a tight macro loop spends its time in the macro while menus, Stop and repaints still work.
    // The pump hook runs each time the events are processed.
    void Yield() override;
    void SetPumpHook(std::function<void()> hook) { pumpHook_ = std::move(hook); }

    // The message window, or nullptr before the first MES and after it was closed.
    MesFrm* MessageWindow() const { return mesFrm_.data(); }

  private:
    MesFrm& EnsureMessageWindow();

    QWidget* owner_;
    QPointer<MesFrm> mesFrm_;
    std::function<void()> pumpHook_;
    int64_t lastPumpNanoseconds_ = 0;
};
