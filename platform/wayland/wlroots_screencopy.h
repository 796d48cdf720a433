// WlrootsScreencopy: what the outputs of a wlroots compositor show, read with zwlr_screencopy_manager_v1
// (one region capture per output the rectangle touches) into shared-memory buffers and made PixelGrid BGRA.
#pragma once

#include "desktop_platform.h"

#include <cstddef>
#include <cstdint>

class WlrootsConnection;
struct WlrootsOutput;
struct wl_buffer;

class WlrootsScreencopy {
  public:
    explicit WlrootsScreencopy(WlrootsConnection& connection);
    ~WlrootsScreencopy();
    WlrootsScreencopy(const WlrootsScreencopy&) = delete;
    WlrootsScreencopy& operator=(const WlrootsScreencopy&) = delete;

    // The pixels of a rectangle of desktop (physical) pixels, black where no output is: 0, 5 when it cannot
    // be read, 6 when it is too large.
    int Capture(const ScreenRect& rect, PixelGrid& out);

  private:
    // The part of the rectangle that one output shows (`shown` is where the output lies, both in desktop
    // pixels), read at the output's full resolution and written at its place in `out`.
    bool CaptureFromOutput(const WlrootsOutput& output, const ScreenRect& shown, const ScreenRect& part,
                           const ScreenRect& whole, PixelGrid& out);
    // A buffer of the size and format the compositor asks for; the last one is kept for the next capture.
    wl_buffer* BufferFor(uint32_t format, int32_t width, int32_t height, int32_t stride);
    void DropBuffer();

    WlrootsConnection& connection_;
    wl_buffer* buffer_ = nullptr;
    void* pixels_ = nullptr;
    size_t size_ = 0;
    uint32_t format_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
};

// A frame the compositor wrote into shared memory.
struct ShmPicture {
    const uint8_t* pixels = nullptr;
    uint32_t format = 0; // a wl_shm format
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    bool yInverted = false; // the rows are stored bottom first
};

// Copies the `source` rectangle of a picture (counted from its top, whichever way it is stored) into the
// `target` rectangle of `out`, scaled when the two sizes differ; false for a format this program does not
// read or a source outside the picture.
bool WlrootsConvertPixels(const ShmPicture& from, const ScreenRect& source, const ScreenRect& target,
                          PixelGrid& out);
