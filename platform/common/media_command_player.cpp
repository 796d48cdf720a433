// Media commands for SOUND. Not built yet: every command is answered as unrecognised (261); the SOUND
// built-in is not registered until this is in place.
#include "media_command_player.h"

MediaCommandPlayer::MediaCommandPlayer() = default;
MediaCommandPlayer::~MediaCommandPlayer() = default;

int32_t MediaCommandPlayer::Send(const std::u16string&, const DesktopPlatform::WaitTurn&) {
    return 261;
}
