// DiskPlayer: a MediaCommandPlayer whose sound goes through SDL's disk driver into a file of the test's
// folder instead of a sound card, so the media tests hear exactly what was played.
#pragma once

#include "media_command_player.h"
#include "process_sound_test_support.h"

#include "codepage.h"

#include <cstdlib>
#include <memory>

namespace process_sound_testing {

// One player writing to its own disk file; the file is complete once the player is gone.
class DiskPlayer {
  public:
    explicit DiskPlayer(const TemporaryFolder& folder) : output_(folder / "output.raw") {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        player_ = std::make_unique<MediaCommandPlayer>();
    }
    int32_t Send(const std::string& command, const DesktopPlatform::WaitTurn& turn = {}) {
        return player_->Send(FromUtf8(command), turn);
    }
    // Ends the player and reads what reached the device.
    SoundFrames Finish() {
        player_.reset();
        return NonSilentFrames(ReadFile(output_));
    }

  private:
    fs::path output_;
    std::unique_ptr<MediaCommandPlayer> player_;
};

} // namespace process_sound_testing
