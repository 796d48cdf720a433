// The capture's steps that need no screen: what the check of a captured picture against the live screen
// says, the countdown's text, the rectangle's size label and its place, the editor's place kept across, and
// the picture file's name and writing.
#pragma once

#include "image_search.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// Occurrences counted on the live screen before the check gives up counting.
inline constexpr int32_t kCaptureMatchLimit = 100;
// Seconds of the countdown before a delayed capture, and before a capture taken again.
inline constexpr int kCaptureCountdownSeconds = 3;

// What the editor says after checking a saved picture against the live screen.
struct CaptureCheckReport {
    QString comment;  // the comment of the inserted FINDIMG line
    QStringList log;  // the debug log's lines
    bool offerRetake; // nothing matched: the screen changed since the capture
};

// The report of a check: `matches` is the count on the live screen, or nothing when the picture could not be
// compared (its file not read back, the screen not captured).
CaptureCheckReport CaptureCheckReportOf(const std::optional<ImageMatchCount>& matches);

// The question that offers a new capture after the countdown.
QString CaptureRetakeQuestion(int seconds);

// The countdown window's text with `seconds` left.
QString CaptureCountdownText(int seconds);

// The label beside the rectangle being chosen: its top-left pixel and its size, "(x, y) w×h".
QString CaptureSizeText(const QRect& rect);

// Where a label of `label` size goes for the rectangle `rect` (both in the same units as `area`): just below
// the rectangle's bottom-left corner, else just above it, moved left as needed, always inside `area`.
QPoint CaptureLabelPlace(const QRect& rect, QSize label, const QRect& area);

// A top-level window's place as the user left it: its client area on the screen, whether it was maximised
// or full-screen, and the normal geometry it goes back to from there. The client area, not the frame's
// position, is kept: a window manager that has not yet told the frame's size takes a frame position for the
// client's.
struct WindowPlace {
    QRect geometry;
    QRect normalGeometry;
    Qt::WindowStates state;
};

WindowPlace WindowPlaceOf(const QWidget& window);
// Shows the hidden window again at `place`: the geometry is asked for before it is mapped, so the window
// manager puts it there instead of choosing a place of its own; a maximised window is maximised again over
// its old normal place.
void ShowWindowAt(QWidget& window, const WindowPlace& place);

// "picture1.png", "picture2.png", … : the first name not taken in the folder in any form (a link, even one
// that leads nowhere, takes its name).
QString SuggestedPicturePath(const QString& folder);

// Writes the picture as a PNG file, whole or not at all. A name that is a link is refused (false), never
// written through: the picture goes only where the user chose.
bool WritePng(const QImage& picture, const QString& path);
