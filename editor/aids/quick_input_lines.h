// Macro lines written by the quick-input dialog: the KBD line of a key press with its modifier wrapping, the
// MUS line of the mouse settings, the text applied to the editor, and pointer positions in MUS coordinates.
#pragma once

#include "desktop_platform.h"

#include <QPoint>
#include <QString>

#include <optional>

// Line break between the dialog's lines, as macro files have it.
inline const QString kQuickInputLineEnd = QStringLiteral("\r\n");

// Key actions of the dialog's option group, in its order.
enum class QuickInputKeyAction { Down = 0, Up = 1, Press = 2 };

// "KBD name,action,wait", wrapped in DOWN/UP lines of the checked modifiers: Shift innermost, then Alt,
// then Ctrl outermost. The modifier lines carry no wait. Lines are joined by CR LF, with none at the end.
QString KeyInputLines(const QString& keyName, QuickInputKeyAction action, const QString& waitText, bool shift,
                      bool alt, bool ctrl);

// The MUS action of the mouse option `option` (0..6): LEFTDOWN, LEFTUP, LEFTPRESS, RIGHTDOWN, RIGHTUP,
// RIGHTPRESS, and MOVE for anything else.
QString MouseActionName(int option);

// "MUS action,x,y,wait" with the texts as typed.
QString MouseInputLine(int option, const QString& xText, const QString& yText, const QString& waitText);

// " ' (x, y)": the screen pixel a MUS line brings the pointer to, as a comment at the end of the line, so
// the reader of a macro sees where a click goes.
QString PixelComment(int32_t x, int32_t y);

// The pixel that MUS's absolute position given as two texts lands on over the primary monitor; nothing when
// a text is not a whole number.
std::optional<QPoint> PixelOfAbsoluteTexts(const QString& xText, const QString& yText,
                                           const ScreenRect& primary);

// The lines in capitals or in small letters, as the dialog's case setting asks.
QString CasedLines(const QString& lines, bool upperCase);

// The text inserted into the editor: "MUSORG 1" and a line end first when coordinates are absolute.
QString AppliedText(const QString& inputText, bool absoluteCoordinates);

// A screen pixel position (0 .. extent - 1 along one axis of a monitor at 0) in MUS's absolute space,
// where 0 is the first pixel and 65535 the last. Rounded up, so a mapping back to pixels by either common
// rule (scaling by extent / 65536 or by (extent - 1) / 65535, cut or rounded) lands on the same pixel.
int AbsoluteMouseCoordinate(int pixel, int extent);

// A screen pixel in MUS's absolute space over the primary monitor (the platform's PrimaryMonitor): its
// first pixel 0, its last 65535, and a pixel on another monitor outside 0..65535 at the same scale, so that
// MUSORG 1 plays the line back at that pixel.
QPoint AbsoluteMousePosition(int32_t x, int32_t y, const ScreenRect& primary);
