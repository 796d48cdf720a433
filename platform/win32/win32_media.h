// The media-control command texts of SOUND on Windows, sent to the system's MCI.
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <string>

namespace Win32Media {

// mciSendStringA (the wide form when the text has no exact ANSI code); returns the MCI error number, 0 on
// success. A "play" with the "wait" flag is played without it and waited for here, turn by turn through
// waitTurn, so the GUI stays live and a stopped run stops the sound instead of waiting for its end. A file to
// open whose name is not plain ASCII is given by its short name where the system has one.
int32_t Send(const std::u16string& command, const DesktopPlatform::WaitTurn& waitTurn);

} // namespace Win32Media
