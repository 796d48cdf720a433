// UserInterface: what the built-in library needs from the program's user-facing side — the modal message and
// input boxes, the non-modal message window of MES, and the yield to the GUI message loop.
#pragma once

#include <cstdint>
#include <string>

// The editor supplies the Qt realisation; tests supply scripted doubles. Every call happens on the GUI
// thread.
class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // False when no dialog or window can be shown (no display). Dialog built-ins then fail at once instead of
    // waiting for an answer that can never come.
    virtual bool CanShowDialogs() const = 0;

    // Modal message box. style is the message-box style number (buttons + icon + default button); returns the
    // number of the button pressed (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No).
    virtual int32_t MessageBox(const std::u16string& text, int32_t style, const std::u16string& title) = 0;
    // Modal input box with an empty edit field; returns the text typed, or "" when cancelled.
    virtual std::u16string InputBox(const std::u16string& prompt, const std::u16string& title) = 0;

    // The message window: one for the whole program, created on first use. Positions and sizes are in twips
    // (1/1440 inch) on the screen.
    virtual void ShowMessageWindow() = 0;
    virtual void SetMessageWindowPosition(int32_t leftTwips, int32_t topTwips) = 0;
    virtual void SetMessageText(const std::u16string& text) = 0;
    virtual int32_t MessageLabelLeft() const = 0;
    virtual int32_t MessageLabelWidth() const = 0;
    virtual void SetMessageWindowWidth(int32_t widthTwips) = 0;
    virtual bool IsMessageWindowOpen() const = 0;
    virtual void CloseMessageWindow() = 0;

    // Processes all pending window messages, then returns. A running macro calls it before every
    // kStatementsPerYield-th statement (a statement costs far less than a look at the clock), and a waiting
    // built-in on every turn of its wait.
    virtual void Yield() = 0;
    static constexpr int32_t kStatementsPerYield = 16;
};
