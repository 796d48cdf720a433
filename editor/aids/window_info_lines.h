// Ready macro lines from what the window information shows: GETWINID with the names that find exactly the
// window under the pointer, SETWIN to its place, MUS MOVE to the pointer and a GETCOLOR test of its colour.
#pragma once

#include "desktop_platform.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The text as a macro string constant (quotes doubled); nothing when a character cannot stand in a macro
// (a control character, or one without a code in the macro's code page).
std::optional<QString> MacroStringLiteral(const QString& text);

// How GETWINID looks a window up: the first top-level window, topmost first, of the class (and title).
using WindowFinder = std::function<int32_t(const std::u16string& className, const std::u16string* title)>;

// "DIM w" and "w = GETWINID(...)": the class alone when it finds this window first (either part of the class
// on X11), else the class and the title; a comment line says when even that finds another window first or
// the names cannot be written in a macro.
QStringList GetWinIdLines(const WindowDescription& window, const WindowFinder& find);

// "SETWIN w, left, top": the window back to where its frame is now.
QString SetWinLine(const WindowDescription& window);

// "MUSORG 1" and "MUS MOVE, x, y" to the pointer's pixel, in absolute coordinates over the primary monitor,
// with the pixel as a comment.
QStringList MusMoveLines(int32_t x, int32_t y, const ScreenRect& primaryMonitor);

// "IF GETCOLOR(x, y) = colour THEN", an indented empty line for what is to be done then, and "END IF"; the
// colour as GETCOLOR gives it. The caret belongs on the line kGetColorCaretLine, inside the block.
QStringList GetColorLines(int32_t x, int32_t y, int32_t colour);
inline constexpr int kGetColorCaretLine = 1;
