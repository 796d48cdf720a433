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

    // The pixels of a rectangle of desktop pixels, black where no output is: 0, 5 when it cannot be read,
    // 6 when it is too large.
    int Capture(const ScreenRect& rect, PixelGrid& out);

  private:
    // The part of the rectangle (in the compositor's layout coordinates) that one output shows, written at
    // its place in `out`.
    bool CaptureFromOutput(const WlrootsOutput& output, const ScreenRect& part, const ScreenRect& whole,
                           PixelGrid& out);
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

// Copies shared-memory pixels of a wl_shm format into `out` at (left, top), `width` × `height` of them,
// scaling from the buffer's size and turning it upside down when the compositor says it is; false for a
// format this program does not read.
bool WlrootsConvertPixels(const uint8_t* pixels, uint32_t format, int32_t bufferWidth, int32_t bufferHeight,
                          int32_t stride, bool yInverted, int32_t left, int32_t top, int32_t width,
                          int32_t height, PixelGrid& out);
