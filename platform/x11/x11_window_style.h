// ApplyWindowStyleLater: gives the first top-level window of a program SHELL started the window style it
// asked for (hidden, minimised or maximised), by watching the X display for a while in the background.
#pragma once

#include <cstdint>
#include <sys/types.h>

// Does nothing for styles 1 and 4 (a normal window) or without a display. Otherwise one background thread,
// with one connection to DISPLAY for all the programs it watches, looks for up to 20 s for a top-level
// window whose _NET_WM_PID is pid; the first one found is withdrawn (0), minimised (2, 6) or maximised (3).
void ApplyWindowStyleLater(pid_t pid, int32_t style);
