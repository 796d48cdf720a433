// FuzzUserInterface: the fuzz target's user interface. Every dialog answers at once from a fixed cycle, the
// message window is only remembered, and every yield calls the target's hook (which watches the time budget).
#pragma once

#include "user_interface.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

namespace fuzzing {

class FuzzUserInterface : public UserInterface {
  public:
    std::function<void()> onYield;

    bool CanShowDialogs() const override { return true; }
    // The buttons 1 … 7 in turn.
    int32_t MessageBox(const std::u16string&, int32_t, const std::u16string&) override {
        return static_cast<int32_t>(turn_++ % 7) + 1;
    }
    // A cancel, numbers in a few spellings and a plain word in turn: the ComputeLine prompt gets each kind.
    std::u16string InputBox(const std::u16string&, const std::u16string&) override {
        static const char16_t* const kAnswers[] = {u"",    u"1",     u"-2.5E+3", u"&H7F",
                                                   u"ABC", u"1E400", u"\"x\""};
        return kAnswers[turn_++ % std::size(kAnswers)];
    }

    void ShowMessageWindow() override { open_ = true; }
    void SetMessageWindowPosition(int32_t, int32_t) override {}
    // The label is as wide as its text at 90 twips a character, so a long enough text overflows the width.
    void SetMessageText(const std::u16string& text) override {
        labelWidth_ = static_cast<int32_t>(std::min<uint64_t>(text.size() * uint64_t{90}, INT32_MAX));
    }
    int32_t MessageLabelLeft() const override { return 120; }
    int32_t MessageLabelWidth() const override { return labelWidth_; }
    void SetMessageWindowWidth(int32_t) override {}
    bool IsMessageWindowOpen() const override { return open_; }
    void CloseMessageWindow() override { open_ = false; }

    void Yield() override {
        if (onYield) onYield();
    }

  private:
    uint32_t turn_ = 0;
    bool open_ = false;
    int32_t labelWidth_ = 0;
};

} // namespace fuzzing
