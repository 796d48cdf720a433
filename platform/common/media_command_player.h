// MediaCommandPlayer: the media-control command texts of SOUND ("open \"file\" alias mysound", "play
// mysound", …) played through the system's audio library.
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <memory>
#include <string>

class MediaCommandPlayer {
  public:
    MediaCommandPlayer();
    ~MediaCommandPlayer();
    MediaCommandPlayer(const MediaCommandPlayer&) = delete;
    MediaCommandPlayer& operator=(const MediaCommandPlayer&) = delete;

    // Runs one command text; returns its media-control error number (0 success). A command that waits
    // calls waitTurn on every turn and ends early when it returns false.
    int32_t Send(const std::u16string& command, const DesktopPlatform::WaitTurn& waitTurn);

  private:
    struct State;
    std::unique_ptr<State> state_;
};
