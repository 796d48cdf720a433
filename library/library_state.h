// Program-wide state of the built-in library: the mouse mode and window origin used by MUS, and the results
// remembered by FINDIMG and GETCOLOR. One set for the whole program, shared by every facade.
#pragma once

#include <cstdint>

namespace LibraryState {

extern int16_t MouseAbsolute; // 0: MUS moves relatively; 1: MUS coordinates are absolute (MUSORG)
extern int16_t OriginX;       // window origin in screen pixels (SETWIN)
extern int16_t OriginY;
extern bool OriginSet; // true after a successful SETWIN: every MUS first places the pointer at the origin
extern int32_t ImgX;   // position of the last FINDIMG match
extern int32_t ImgY;
extern int16_t ImgR; // the three colour fields of the last GETCOLOR
extern int16_t ImgG;
extern int16_t ImgB;

// Before a run from the top: back to relative mouse coordinates and no window origin. The remembered image
// results and the origin coordinates stay.
void ResetForRunFromTop();

} // namespace LibraryState
