// Storage of the program-wide built-in library state and its reset before a run from the top.
// Everything starts at zero when the program starts.
#include "library_state.h"

namespace LibraryState {

int16_t MouseAbsolute = 0;
int16_t OriginX = 0;
int16_t OriginY = 0;
bool OriginSet = false;
int32_t ImgX = 0;
int32_t ImgY = 0;
int16_t ImgR = 0;
int16_t ImgG = 0;
int16_t ImgB = 0;

void ResetForRunFromTop() {
    MouseAbsolute = 0;
    OriginSet = false;
}

} // namespace LibraryState
