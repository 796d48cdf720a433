// What the window parts of every desktop share: the window commands of a system-command number, and the
// waits that let a command or a move finish before the next call reads the window.
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <functional>

// The system commands the desktops carry out: SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE, SC_CLOSE.
enum class WindowCommand { Other, Maximize, Minimize, Restore, Close };

// As with the system-command message of Windows, the low four bits are not part of the command and only the
// low 16 bits count, so &HF060 (which a macro reads as -4000) is the close command too.
WindowCommand WindowCommandOf(int32_t command);

// The same show state and rectangle.
bool SamePlacement(const WindowPlacement& a, const WindowPlacement& b);

// Asks the condition every `stepMs` until it holds or `limitMs` has passed; true when it held.
bool PollUntil(const std::function<bool()>& condition, int limitMs = 1000, int stepMs = 5);

// Waits until a moved window has its new place: `read` finds it at `target`, or finds no window, or finds
// it changed from `before` and then still for 100 ms (the desktop or the program settled on a place of its
// own, as a terminal keeps its size to whole character cells). Show states count where `read` gives them.
void WaitForNewPlacement(const std::function<bool(WindowPlacement&)>& read, const WindowPlacement& target,
                         const WindowPlacement& before, int limitMs = 1000);
