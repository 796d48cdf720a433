// The recorder's macro lines: the user's recorded keyboard and mouse events turned into KBD, MUS and WAIT
// lines that do the same again, with the pointer's path thinned to the points that matter.
#pragma once

#include "desktop_platform.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct RecordingOptions {
    // MUSORG 1 positions (0..65535 across the primary monitor, beyond those ends on the other monitors) or
    // relative motions from where the pointer was when the recording started.
    bool absolute = true;
    ScreenRect primaryMonitor;
    // A pause between two written actions longer than this becomes a WAIT line.
    int32_t waitThresholdMs = 200;
    // A key released within this time, with no other key or button in between, is written as one PRESS.
    int32_t pressWithinMs = 500;
    // A button released within this distance of where it went down is a click; farther, a drag.
    int32_t clickTolerancePixels = 4;
    // A drag's path is written as a MOVE each time the pointer has gone this far from the last written point.
    int32_t dragStepPixels = 24;
    // Keys never written (the key that ends the recording).
    std::vector<int32_t> ignoredKeys;
};

// The lines, MUSORG first. Left and right Shift, Ctrl and Alt are written as the plain keys; a key held
// down by its auto-repeat is written once; keys and buttons still down at the end are released by the last
// lines, so a replay never leaves one held. Each MUS line ends with the screen pixel it goes to as a
// comment.
QStringList RecordedMacroLines(const std::vector<RecordedInput>& events, const RecordingOptions& options);
