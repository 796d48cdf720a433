// The emergency-stop key on sway: no Wayland client can take a key from the others, so while a run holds
// the key, sway itself binds Pause to "QuillonMacro --stop", which raises the shared stop counter.
#pragma once

#include "stop_hotkey.h"

#include <memory>
#include <string>

// The sway commands, in one line, that bind Pause in every state of Shift, Control, Alt and the logo key to
// run `program` with "--stop", and that remove those bindings again. The binding is empty when the
// program's path would need quoting, which sway's exec does not reliably keep.
std::string SwayStopBindCommands(const std::string& program);
std::string SwayStopUnbindCommands();

// True when the sway configuration text binds Pause itself (a user's own binding is never replaced).
bool SwayConfigBindsPause(const std::string& config);

// The key for the sway session that SWAYSOCK names; its TakePressed never reports a press, since the key
// reaches every run through the stop counter.
std::unique_ptr<StopHotkey> CreateSwayStopKey();
