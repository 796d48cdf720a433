// Screen reading on a wlroots compositor: a region capture per output (so a single pixel costs a 1×1
// copy), a shared-memory buffer kept from one capture to the next, and the formats wlroots offers
// (XRGB/ARGB and XBGR/ABGR, possibly upside down) turned into blue, green, red, 0.
#include "wlroots_screencopy.h"

#include "wlr-screencopy-unstable-v1-client.h"
#include "wlroots_connection.h"

#include <wayland-client.h>

#include <algorithm>
#include <climits>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// What the compositor tells of one frame.
struct FrameState {
    bool described = false; // all buffer kinds announced
    bool hasShm = false;
    uint32_t format = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    bool yInverted = false;
    bool ready = false;
    bool failed = false;
    bool waitsForDone = false; // version 3 ends the buffer kinds with buffer_done
};

bool Readable(uint32_t format) {
    return format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888 ||
           format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

void OnBuffer(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height,
              uint32_t stride) {
    auto* frame = static_cast<FrameState*>(data);
    if (!frame->hasShm && Readable(format)) {
        frame->hasShm = true;
        frame->format = format;
        frame->width = static_cast<int32_t>(width);
        frame->height = static_cast<int32_t>(height);
        frame->stride = static_cast<int32_t>(stride);
    }
    if (!frame->waitsForDone) frame->described = true;
}

void OnFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
    static_cast<FrameState*>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}

void OnReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
    static_cast<FrameState*>(data)->ready = true;
}

void OnFailed(void* data, zwlr_screencopy_frame_v1*) {
    static_cast<FrameState*>(data)->failed = true;
}

void OnDamage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {}

void OnDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {}

void OnBufferDone(void* data, zwlr_screencopy_frame_v1*) {
    static_cast<FrameState*>(data)->described = true;
}

const zwlr_screencopy_frame_v1_listener kFrameListener = {OnBuffer, OnFlags,  OnReady,     OnFailed,
                                                          OnDamage, OnDmabuf, OnBufferDone};

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
    const int32_t left = std::max(a.left, b.left);
    const int32_t top = std::max(a.top, b.top);
    const int32_t right = std::min(a.left + a.width, b.left + b.width);
    const int32_t bottom = std::min(a.top + a.height, b.top + b.height);
    if (right <= left || bottom <= top) return ScreenRect{};
    return ScreenRect{left, top, right - left, bottom - top};
}

} // namespace

bool WlrootsConvertPixels(const ShmPicture& from, const ScreenRect& source, const ScreenRect& target,
                          PixelGrid& out) {
    // Both kinds are 32-bit words in the machine's (little-endian) order: XRGB has blue in the lowest byte,
    // XBGR red.
    const bool redFirst = from.format == WL_SHM_FORMAT_XBGR8888 || from.format == WL_SHM_FORMAT_ABGR8888;
    if (!Readable(from.format) || source.width <= 0 || source.height <= 0 || target.width <= 0 ||
        target.height <= 0)
        return false;
    if (source.left < 0 || source.top < 0 || source.left + source.width > from.width ||
        source.top + source.height > from.height)
        return false;
    for (int32_t y = 0; y < target.height; ++y) {
        int32_t sourceY =
            source.top + static_cast<int32_t>(static_cast<int64_t>(y) * source.height / target.height);
        if (from.yInverted) sourceY = from.height - 1 - sourceY;
        const uint8_t* row = from.pixels + static_cast<size_t>(sourceY) * static_cast<size_t>(from.stride);
        uint8_t* pixel =
            out.bgra.data() + (static_cast<size_t>(target.top + y) * static_cast<size_t>(out.width) +
                               static_cast<size_t>(target.left)) *
                                  4;
        for (int32_t x = 0; x < target.width; ++x, pixel += 4) {
            const int32_t sourceX =
                source.left + static_cast<int32_t>(static_cast<int64_t>(x) * source.width / target.width);
            const uint8_t* p = row + static_cast<size_t>(sourceX) * 4;
            pixel[0] = redFirst ? p[2] : p[0];
            pixel[1] = p[1];
            pixel[2] = redFirst ? p[0] : p[2];
            pixel[3] = 0;
        }
    }
    return true;
}

WlrootsScreencopy::WlrootsScreencopy(WlrootsConnection& connection) : connection_(connection) {}

WlrootsScreencopy::~WlrootsScreencopy() {
    DropBuffer();
}

void WlrootsScreencopy::DropBuffer() {
    if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
    if (pixels_ != nullptr) munmap(pixels_, size_);
    buffer_ = nullptr;
    pixels_ = nullptr;
    size_ = 0;
}

wl_buffer* WlrootsScreencopy::BufferFor(uint32_t format, int32_t width, int32_t height, int32_t stride) {
    if (buffer_ != nullptr && format == format_ && width == width_ && height == height_ && stride == stride_)
        return buffer_;
    DropBuffer();
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    if (size == 0 || size > INT32_MAX) return nullptr;
    const int fd = memfd_create("quillonmacro-screen", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return nullptr;
    }
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(connection_.Shm(), fd, static_cast<int32_t>(size));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    close(fd);
    pixels_ = pixels;
    size_ = size;
    format_ = format;
    width_ = width;
    height_ = height;
    stride_ = stride;
    return buffer_;
}

// An output at a whole scale is read as the layout region covering the part, whose buffer has the scale's
// pixels per layout pixel; at a fractional scale the output is read whole, at its mode's size. Either way
// the part's pixels are copied one to one; a buffer of a size not foreseen (a turned output) is scaled to
// the part as a last resort.
bool WlrootsScreencopy::CaptureFromOutput(const WlrootsOutput& output, const ScreenRect& shown,
                                          const ScreenRect& part, const ScreenRect& whole, PixelGrid& out) {
    const ScreenRect layout = output.Layout();
    const ScreenRect local{part.left - shown.left, part.top - shown.top, part.width, part.height};
    const int32_t scale = std::max(1, shown.width / layout.width);
    const bool wholeScale = shown.width == layout.width * scale && shown.height == layout.height * scale;
    ScreenRect region{0, 0, layout.width, layout.height};
    if (wholeScale) {
        region.left = local.left / scale;
        region.top = local.top / scale;
        region.width = (local.left + local.width + scale - 1) / scale - region.left;
        region.height = (local.top + local.height + scale - 1) / scale - region.top;
    }
    FrameState state;
    state.waitsForDone = connection_.ScreencopyVersion() >= 3;
    zwlr_screencopy_frame_v1* frame =
        wholeScale ? zwlr_screencopy_manager_v1_capture_output_region(connection_.Screencopy(), 0,
                                                                      output.output, region.left, region.top,
                                                                      region.width, region.height)
                   : zwlr_screencopy_manager_v1_capture_output(connection_.Screencopy(), 0, output.output);
    zwlr_screencopy_frame_v1_add_listener(frame, &kFrameListener, &state);
    bool copied = false;
    if (connection_.WaitUntil([&] { return state.described || state.failed; }) && state.hasShm &&
        !state.failed) {
        wl_buffer* buffer = BufferFor(state.format, state.width, state.height, state.stride);
        if (buffer != nullptr) {
            zwlr_screencopy_frame_v1_copy(frame, buffer);
            const ShmPicture picture{static_cast<const uint8_t*>(pixels_),
                                     state.format,
                                     state.width,
                                     state.height,
                                     state.stride,
                                     state.yInverted};
            // The buffer foreseen: the region at the output's scale, or the whole output.
            const int32_t expectedWidth = wholeScale ? region.width * scale : shown.width;
            const int32_t expectedHeight = wholeScale ? region.height * scale : shown.height;
            ScreenRect source{local.left - (wholeScale ? region.left * scale : 0),
                              local.top - (wholeScale ? region.top * scale : 0), local.width, local.height};
            if (state.width != expectedWidth || state.height != expectedHeight)
                source = ScreenRect{source.left * state.width / expectedWidth,
                                    source.top * state.height / expectedHeight,
                                    std::max(1, source.width * state.width / expectedWidth),
                                    std::max(1, source.height * state.height / expectedHeight)};
            const ScreenRect target{part.left - whole.left, part.top - whole.top, part.width, part.height};
            copied = connection_.WaitUntil([&] { return state.ready || state.failed; }) && state.ready &&
                     WlrootsConvertPixels(picture, source, target, out);
        }
    }
    zwlr_screencopy_frame_v1_destroy(frame);
    return copied;
}

int WlrootsScreencopy::Capture(const ScreenRect& rect, PixelGrid& out) {
    if (rect.width <= 0 || rect.height <= 0) return 5;
    if (static_cast<int64_t>(rect.width) * rect.height * 4 > INT32_MAX) return 6;
    std::vector<const WlrootsOutput*> shown;
    const PhysicalLayout layout = connection_.Outputs().Physical(&shown);
    PixelGrid grid;
    grid.width = rect.width;
    grid.height = rect.height;
    grid.bgra.assign(static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height) * 4, 0);
    for (size_t i = 0; i < shown.size(); ++i) {
        const ScreenRect part = Intersection(rect, layout.DesktopRect(i));
        if (part.width <= 0) continue;
        if (!CaptureFromOutput(*shown[i], layout.DesktopRect(i), part, rect, grid)) return 5;
    }
    out = std::move(grid);
    return 0;
}
