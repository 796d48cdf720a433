// Screen reading on X11: the root window's size, single pixels through a one-pixel image request, and whole
// captures through a shared-memory image (MIT-SHM) kept between captures, falling back to a plain request.
#include "x11_screen.h"

#include "x11_pixel_format.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <climits>

namespace {

// Collects the X errors of the requests made while it lives (an attach the server refuses, an image request
// on a screen that just shrank) instead of letting the default handler end the program.
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        failed_ = false;
        previous_ = XSetErrorHandler(&ErrorTrap::Handler);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // True when one of the requests so far failed.
    bool Failed() {
        XSync(display_, False);
        return failed_;
    }

  private:
    static int Handler(Display*, XErrorEvent*) {
        failed_ = true;
        return 0;
    }
    static inline bool failed_ = false;
    Display* display_;
    XErrorHandler previous_ = nullptr;
};

ScreenPixelFormat FormatOf(const XImage* image) {
    ScreenPixelFormat format;
    format.bitsPerPixel = image->bits_per_pixel;
    format.mostSignificantFirst = image->byte_order == MSBFirst;
    format.redMask = static_cast<uint32_t>(image->red_mask);
    format.greenMask = static_cast<uint32_t>(image->green_mask);
    format.blueMask = static_cast<uint32_t>(image->blue_mask);
    return format;
}

bool Convert(const XImage* image, PixelGrid& out) {
    return ConvertScreenRows(reinterpret_cast<const uint8_t*>(image->data), image->bytes_per_line,
                             image->width, image->height, FormatOf(image), out);
}

} // namespace

// A shared-memory image of the whole screen, attached to the server once and reused while the size stays.
struct X11Screen::SharedImage {
    Display* display = nullptr;
    XShmSegmentInfo segment{};
    XImage* image = nullptr;
    bool attached = false;

    SharedImage() { segment.shmid = -1; }
    ~SharedImage() {
        if (attached) XShmDetach(display, &segment);
        if (image != nullptr) XDestroyImage(image);
        if (segment.shmaddr != nullptr && segment.shmaddr != reinterpret_cast<char*>(-1))
            shmdt(segment.shmaddr);
        if (segment.shmid >= 0) shmctl(segment.shmid, IPC_RMID, nullptr);
    }
    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    bool Create(Display* d, int32_t width, int32_t height) {
        display = d;
        if (!XShmQueryExtension(display)) return false;
        XWindowAttributes root{};
        if (!XGetWindowAttributes(display, DefaultRootWindow(display), &root)) return false;
        image = XShmCreateImage(display, root.visual, static_cast<unsigned>(root.depth), ZPixmap, nullptr,
                                &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (image == nullptr) return false;
        segment.shmid =
            shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height),
                   IPC_CREAT | 0600);
        if (segment.shmid < 0) return false;
        segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
        if (segment.shmaddr == reinterpret_cast<char*>(-1)) return false;
        image->data = segment.shmaddr;
        segment.readOnly = False;
        ErrorTrap trap(display);
        attached = XShmAttach(display, &segment) && !trap.Failed();
        // Once the server holds it, the segment goes away by itself when both sides let go.
        shmctl(segment.shmid, IPC_RMID, nullptr);
        segment.shmid = -1;
        return attached;
    }
};

X11Screen::X11Screen(Display* display) : display_(display), monitors_(display) {}
X11Screen::~X11Screen() = default;

void X11Screen::Size(int32_t& width, int32_t& height) {
    width = 0;
    height = 0;
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned w = 0;
    unsigned h = 0;
    unsigned border = 0;
    unsigned depth = 0;
    // Asked each time, so that a screen resized at run time (monitors added or removed) is seen as it is.
    if (XGetGeometry(display_, DefaultRootWindow(display_), &root, &x, &y, &w, &h, &border, &depth)) {
        width = static_cast<int32_t>(w);
        height = static_cast<int32_t>(h);
    }
}

int32_t X11Screen::ReadPixel(int32_t x, int32_t y) {
    int32_t width = 0;
    int32_t height = 0;
    Size(width, height);
    if (x < 0 || y < 0 || x >= width || y >= height || !monitors_.Shows(x, y)) return -1;
    PixelGrid pixel;
    if (!CapturePlain(x, y, 1, 1, pixel)) return -1;
    const uint8_t* p = pixel.Pixel(0, 0);
    return static_cast<int32_t>(p[2] | (p[1] << 8) | (p[0] << 16));
}

int X11Screen::Capture(PixelGrid& out) {
    lastShared_ = false;
    int32_t width = 0;
    int32_t height = 0;
    Size(width, height);
    if (width <= 0 || height <= 0) return 5;
    if (static_cast<int64_t>(width) * height * 4 > INT32_MAX) return 6;
    if (sharedAllowed_ && CaptureShared(width, height, out)) {
        lastShared_ = true;
        return 0;
    }
    if (CapturePlain(0, 0, width, height, out)) return 0;
    out = PixelGrid{};
    return 5;
}

int X11Screen::CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) {
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    Size(screenWidth, screenHeight);
    const int64_t area = static_cast<int64_t>(width) * height;
    if (width <= 0 || height <= 0 || area > kMaxRegionScreens * screenWidth * screenHeight ||
        area * 4 > INT32_MAX)
        return 5;
    PixelGrid region;
    region.width = width;
    region.height = height;
    region.bgra.assign(static_cast<size_t>(area) * 4, 0);
    // Only the part on the screen is asked for; the server refuses a request reaching outside the root.
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(left) + width, screenWidth);
    const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(top) + height, screenHeight);
    if (x0 < x1 && y0 < y1) {
        PixelGrid shown;
        if (!CapturePlain(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
                          static_cast<int32_t>(y1 - y0), shown))
            return 5;
        const size_t rowBytes = static_cast<size_t>(shown.width) * 4;
        for (int32_t row = 0; row < shown.height; ++row) {
            const uint8_t* from = shown.Pixel(0, row);
            uint8_t* to = region.bgra.data() + ((static_cast<size_t>(y0 - top) + static_cast<size_t>(row)) *
                                                    static_cast<size_t>(width) +
                                                static_cast<size_t>(x0 - left)) *
                                                   4;
            std::copy(from, from + rowBytes, to);
        }
    }
    out = std::move(region);
    return 0;
}

void X11Screen::ForgetServer() {
    if (shared_) shared_->attached = false; // the segment is detached and freed here only
    shared_.reset();
}

void X11Screen::UseSharedMemory(bool use) {
    sharedAllowed_ = use;
    if (!use) shared_.reset();
}

bool X11Screen::CaptureShared(int32_t width, int32_t height, PixelGrid& out) {
    if (!shared_ || shared_->image->width != width || shared_->image->height != height) {
        shared_ = std::make_unique<SharedImage>();
        if (!shared_->Create(display_, width, height)) {
            // No shared memory with this server (a remote display, or the extension refused): stay with
            // plain requests from now on.
            shared_.reset();
            sharedAllowed_ = false;
            return false;
        }
    }
    ErrorTrap trap(display_);
    if (!XShmGetImage(display_, DefaultRootWindow(display_), shared_->image, 0, 0, AllPlanes) ||
        trap.Failed()) {
        shared_.reset();
        return false;
    }
    return Convert(shared_->image, out);
}

bool X11Screen::CapturePlain(int32_t x, int32_t y, int32_t width, int32_t height, PixelGrid& out) {
    ErrorTrap trap(display_);
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (trap.Failed() || image == nullptr) {
        if (image != nullptr) XDestroyImage(image);
        return false;
    }
    bool ok = Convert(image, out);
    XDestroyImage(image);
    return ok;
}
