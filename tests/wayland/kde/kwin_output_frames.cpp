// Loaded into the headless KWin 5.27 of the tests (LD_PRELOAD, run-with-kwin.sh): makes its virtual outputs
// report each painted frame the way its DRM outputs do, so that the screen cast of an output sends frames.
//
// KWin 5.27 sends a frame of an output's screen cast only when the output emits Output::outputChange with
// the region painted, and only its DRM and nested-Wayland (EGL) outputs emit it; both need a graphics device,
// which a test machine lacks. The virtual outputs never emit it, so the stream starts and stays empty. The
// cast then reads the output through AbstractEglBackend::textureForOutput, which copies the framebuffer
// bound at that moment: KWin's DRM backend has its own, but on a virtual output it is only right while the
// output's own framebuffer is bound.
//
// So: Output::setContentType, which the compositor calls on the output it is about to paint, notes that
// output; when the painting lets go of its framebuffer (GLFramebuffer::popFramebuffer empties the stack),
// the framebuffer is bound again for a moment and the output emits outputChange for its whole area, which
// has KWin's screen cast copy the frame just painted and send it. The declarations below mirror KWin's and
// Qt's own, so that these functions take the place of KWin's and call its others by the same names.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

class QRegion {
  public:
    enum RegionType { Rectangle, Ellipse };
    QRegion(int x, int y, int w, int h, RegionType t = Rectangle);
    ~QRegion();
    QRegion(const QRegion&) = delete;
    QRegion& operator=(const QRegion&) = delete;

  private:
    void* d_;
};

// Qt's QRect: its corners, both inclusive.
struct QRect {
    int x1, y1, x2, y2;
};

namespace KWin {

enum class ContentType { None = 0, Photo = 1, Video = 2, Game = 3 };

class Output {
  public:
    QRect geometry() const;
    void setContentType(ContentType contentType);
    void outputChange(const QRegion& damagedRegion); // the signal
};

class GLFramebuffer {
  public:
    static GLFramebuffer* currentFramebuffer();
    static void pushFramebuffer(GLFramebuffer* fbo);
    static GLFramebuffer* popFramebuffer();
};

} // namespace KWin

namespace {

KWin::Output* paintedOutput = nullptr;

// KWin's own function of that name, which this library's one stands in front of.
template <typename Function> Function Original(const char* name) {
    void* found = dlsym(RTLD_NEXT, name);
    if (found == nullptr) {
        std::fprintf(stderr, "kwin_output_frames: KWin has no %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(found);
}

} // namespace

void KWin::Output::setContentType(ContentType contentType) {
    using Function = void (*)(Output*, ContentType);
    static const Function original = Original<Function>("_ZN4KWin6Output14setContentTypeENS_11ContentTypeE");
    paintedOutput = this;
    original(this, contentType);
}

KWin::GLFramebuffer* KWin::GLFramebuffer::popFramebuffer() {
    using Function = GLFramebuffer* (*)();
    static const Function original = Original<Function>("_ZN4KWin13GLFramebuffer14popFramebufferEv");
    GLFramebuffer* popped = original();
    if (paintedOutput != nullptr && currentFramebuffer() == nullptr) {
        Output* output = paintedOutput;
        paintedOutput = nullptr;
        pushFramebuffer(popped);
        const QRect area = output->geometry();
        output->outputChange(QRegion(area.x1, area.y1, area.x2 - area.x1 + 1, area.y2 - area.y1 + 1));
        original();
    }
    return popped;
}
