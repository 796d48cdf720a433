// FuzzDesktop: the recording desktop with answers a fuzzed macro can drive to their end without touching the
// machine: a small fixed screen picture, image files made up from their names, doubles for programs and
// sound.
#pragma once

#include "recording_desktop.h"

#include <cstdint>
#include <string>

namespace fuzzing {

class FuzzDesktop : public testing_support::RecordingDesktop {
  public:
    // The screen picture (a few regions that make the image search take each of its ways) and a few windows
    // for GETWINID, SETWIN and CTRLWIN to find.
    FuzzDesktop();

    static constexpr int32_t kScreenWidth = 96;
    static constexpr int32_t kScreenHeight = 48;

    void ScreenSize(int32_t& width, int32_t& height) override;
    int32_t ReadPixel(int32_t x, int32_t y) override;
    int CaptureScreen(PixelGrid& out) override;
    // No file is read: the name alone chooses a failure, an empty or oversized picture, or a cut of the
    // screen, changed in one pixel for some names so that it is nowhere to be found.
    int LoadImageFile(const std::u16string& path, PixelGrid& out) override;
    // Nothing is started: the command line alone chooses a failure or a made-up process number.
    int StartProcess(const std::u16string& commandLine, int32_t windowStyle, double& processId) override;
    // Moves on half the clock's range at every reading, so every wait is over at its first look at the clock:
    // waits cost no time and never sleep.
    int32_t MillisecondClock() override;
    // Nothing is played: a waiting PLAY takes a few wait turns, and the text chooses the answer.
    int32_t SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) override;

    // Drops what has been recorded once it grows large, so a macro that types in a loop keeps its memory
    // flat.
    void ForgetOldEvents();

  private:
    const PixelGrid& screen_;
    uint32_t fakeClock_ = 0;
};

} // namespace fuzzing
