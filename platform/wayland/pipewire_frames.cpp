// The screen-cast streams through PipeWire: a thread loop of PipeWire's own receives the raw video frames
// (any 32-bit RGB order, in memory or memfd buffers) and keeps each stream's latest frame as it came; reading
// turns only the pixels asked for into the library's blue-green-red order.
#include "pipewire_frames.h"

#include "mutter_bus.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <algorithm>
#include <chrono>
#include <cstring>

struct PipeWireFrames::Stream {
    PipeWireFrames* owner = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    bool streaming = false;
    uint32_t format = 0; // the negotiated SPA video format
    int32_t width = 0;
    int32_t height = 0;
    // The latest frame, rows packed (width * 4 bytes), in `frameFormat`'s byte order; under the mutex.
    std::vector<uint8_t> frame;
    uint32_t frameFormat = 0;
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    int64_t receivedMs = -1;
};

namespace {

// Where blue, green and red lie in the four bytes of a pixel of each accepted format.
struct ByteOrder {
    uint32_t format;
    int blue, green, red;
};
constexpr ByteOrder kOrders[] = {
    {SPA_VIDEO_FORMAT_BGRx, 0, 1, 2}, {SPA_VIDEO_FORMAT_BGRA, 0, 1, 2}, {SPA_VIDEO_FORMAT_RGBx, 2, 1, 0},
    {SPA_VIDEO_FORMAT_RGBA, 2, 1, 0}, {SPA_VIDEO_FORMAT_xRGB, 3, 2, 1}, {SPA_VIDEO_FORMAT_ARGB, 3, 2, 1},
    {SPA_VIDEO_FORMAT_xBGR, 1, 2, 3}, {SPA_VIDEO_FORMAT_ABGR, 1, 2, 3},
};

const ByteOrder* OrderOf(uint32_t format) {
    for (const ByteOrder& order : kOrders)
        if (order.format == format) return &order;
    return nullptr;
}

// The formats the stream may offer: raw video of any size and rate in one of the orders above.
const spa_pod* FormatsWanted(spa_pod_builder& b) {
    spa_pod_frame object{};
    spa_pod_frame choice{};
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(&b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
                        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), 0);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Enum, 0);
    spa_pod_builder_id(&b, kOrders[0].format); // the default
    for (const ByteOrder& order : kOrders) spa_pod_builder_id(&b, order.format);
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_size, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_rectangle(&b, 1280, 800);
    spa_pod_builder_rectangle(&b, 1, 1);
    spa_pod_builder_rectangle(&b, 16384, 16384);
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_framerate, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_fraction(&b, 60, 1);
    spa_pod_builder_fraction(&b, 0, 1);
    spa_pod_builder_fraction(&b, 1000, 1);
    spa_pod_builder_pop(&b, &choice);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&b, &object));
}

// Buffers this program can read without a graphics device: plain memory or a memfd it maps.
const spa_pod* BuffersWanted(spa_pod_builder& b) {
    spa_pod_frame object{};
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers);
    spa_pod_builder_add(&b, SPA_PARAM_BUFFERS_dataType,
                        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd)), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&b, &object));
}

void OnStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto* s = static_cast<PipeWireFrames::Stream*>(data);
    if (state == PW_STREAM_STATE_STREAMING) s->streaming = true;
    // A stream that fails, or whose node goes away after it streamed, has lost the compositor.
    if (state == PW_STREAM_STATE_ERROR || (state == PW_STREAM_STATE_UNCONNECTED && s->streaming))
        s->owner->Fail();
}

void OnParamChanged(void* data, uint32_t id, const spa_pod* param) {
    auto* s = static_cast<PipeWireFrames::Stream*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) return;
    uint32_t mediaType = 0;
    uint32_t mediaSubtype = 0;
    if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
        mediaSubtype != SPA_MEDIA_SUBTYPE_raw)
        return;
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(param, &info) < 0) return;
    s->format = info.format;
    s->width = static_cast<int32_t>(info.size.width);
    s->height = static_cast<int32_t>(info.size.height);
    uint8_t buffer[256];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* params[] = {BuffersWanted(b)};
    pw_stream_update_params(s->stream, params, 1);
}

// Takes the newest buffer waiting (older ones go straight back) and keeps its pixels.
void OnProcess(void* data) {
    auto* s = static_cast<PipeWireFrames::Stream*>(data);
    pw_buffer* newest = nullptr;
    while (pw_buffer* b = pw_stream_dequeue_buffer(s->stream)) {
        if (newest != nullptr) pw_stream_queue_buffer(s->stream, newest);
        newest = b;
    }
    if (newest == nullptr) return;
    const spa_buffer* buffer = newest->buffer;
    if (buffer->n_datas > 0 && buffer->datas[0].data != nullptr && buffer->datas[0].chunk != nullptr) {
        const spa_data& d = buffer->datas[0];
        const int32_t stride = d.chunk->stride > 0 ? d.chunk->stride : s->width * 4;
        const bool whole = (d.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0 && d.chunk->size > 0 &&
                           static_cast<int64_t>(d.chunk->offset) + int64_t{stride} * s->height <= d.maxsize;
        if (whole && s->width > 0 && s->height > 0 && OrderOf(s->format) != nullptr)
            s->owner->Received(*s, static_cast<const uint8_t*>(d.data) + d.chunk->offset, stride);
    }
    pw_stream_queue_buffer(s->stream, newest);
}

void OnCoreError(void* data, uint32_t id, int, int res, const char*) {
    // The connection to PipeWire itself broke (the daemon gone).
    if (id == PW_ID_CORE && res == -EPIPE) static_cast<PipeWireFrames*>(data)->Fail();
}

const pw_stream_events kStreamEvents = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = OnStateChanged;
    e.param_changed = OnParamChanged;
    e.process = OnProcess;
    return e;
}();

const pw_core_events kCoreEvents = [] {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = OnCoreError;
    return e;
}();

} // namespace

PipeWireFrames::PipeWireFrames() = default;

PipeWireFrames::~PipeWireFrames() {
    if (loop_ != nullptr) pw_thread_loop_stop(loop_);
    for (auto& s : streams_)
        if (s->stream != nullptr) pw_stream_destroy(s->stream);
    if (core_ != nullptr) pw_core_disconnect(core_);
    if (context_ != nullptr) pw_context_destroy(context_);
    if (loop_ != nullptr) pw_thread_loop_destroy(loop_);
}

bool PipeWireFrames::Start(const std::vector<uint32_t>& nodes) {
    static const bool initialised = [] {
        pw_init(nullptr, nullptr);
        return true;
    }();
    (void)initialised;
    loop_ = pw_thread_loop_new("quillonmacro-screen", nullptr);
    if (loop_ == nullptr) return false;
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    if (context_ == nullptr) return false;
    pw_thread_loop_lock(loop_);
    core_ = pw_context_connect(context_, nullptr, 0);
    bool ok = core_ != nullptr;
    coreListener_ = std::make_unique<spa_hook>();
    if (ok) pw_core_add_listener(core_, coreListener_.get(), &kCoreEvents, this);
    for (uint32_t node : nodes) {
        if (!ok) break;
        auto s = std::make_unique<Stream>();
        s->owner = this;
        s->stream = pw_stream_new(core_, "QuillonMacro screen",
                                  pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                    "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        ok = s->stream != nullptr;
        if (!ok) break;
        pw_stream_add_listener(s->stream, &s->listener, &kStreamEvents, s.get());
        uint8_t buffer[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
        const spa_pod* params[] = {FormatsWanted(b)};
        ok = pw_stream_connect(
                 s->stream, PW_DIRECTION_INPUT, node,
                 static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
                 params, 1) >= 0;
        streams_.push_back(std::move(s));
    }
    pw_thread_loop_unlock(loop_);
    return ok && pw_thread_loop_start(loop_) >= 0;
}

void PipeWireFrames::Fail() {
    failed_.store(true);
    std::lock_guard<std::mutex> lock(mutex_);
    frameCame_.notify_all();
}

void PipeWireFrames::Received(Stream& stream, const uint8_t* data, int32_t stride) {
    const int32_t width = stream.width;
    const int32_t height = stream.height;
    const size_t row = static_cast<size_t>(width) * 4;
    const int64_t now = MutterNowMs();
    std::lock_guard<std::mutex> lock(mutex_);
    stream.frame.resize(row * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(stream.frame.data() + row * static_cast<size_t>(y),
                    data + static_cast<size_t>(stride) * static_cast<size_t>(y), row);
    stream.frameFormat = stream.format;
    stream.frameWidth = width;
    stream.frameHeight = height;
    stream.receivedMs = now;
    frameCame_.notify_all();
}

bool PipeWireFrames::WaitForFrames(int64_t afterMs, int timeoutMs, const std::vector<size_t>& which) {
    const auto fresh = [&](size_t i) { return i < streams_.size() && streams_[i]->receivedMs > afterMs; };
    std::unique_lock<std::mutex> lock(mutex_);
    return frameCame_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        if (Failed()) return true;
        for (size_t i = 0; i < (which.empty() ? streams_.size() : which.size()); ++i)
            if (!fresh(which.empty() ? i : which[i])) return false;
        return true;
    }) && !Failed();
}

bool PipeWireFrames::WaitForFirstFrames(const std::function<bool()>& compositorAnswers) {
    const int64_t until = MutterNowMs() + kFirstFrameLimitMs;
    while (!WaitForFrames(-1, kFirstFrameSliceMs))
        if (Failed() || MutterNowMs() >= until || !compositorAnswers()) return false;
    return true;
}

int PipeWireFrames::Capture(const std::vector<ScreenRect>& monitors, const ScreenRect& rect,
                            int64_t lastInputMs, PixelGrid& out) {
    if (rect.width <= 0 || rect.height <= 0 || Failed()) return 5;
    std::vector<size_t> shown;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& m = monitors[i];
        if (rect.left < m.left + m.width && m.left < rect.left + rect.width && rect.top < m.top + m.height &&
            m.top < rect.top + rect.height)
            shown.push_back(i);
    }
    if (lastInputMs > waitedAfter_) {
        WaitForFrames(lastInputMs, kFreshFrameMs, shown);
        waitedAfter_ = lastInputMs;
    }
    if (Failed()) return 5;
    out.width = rect.width;
    out.height = rect.height;
    out.bgra.assign(static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height) * 4, 0);
    for (size_t i : shown)
        if (!Paint(i, monitors[i], rect, out)) return 5;
    return 0;
}

bool PipeWireFrames::Paint(size_t index, const ScreenRect& monitor, const ScreenRect& area, PixelGrid& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= streams_.size() || streams_[index]->receivedMs < 0) return false;
    const Stream& s = *streams_[index];
    const ByteOrder* order = OrderOf(s.frameFormat);
    if (order == nullptr || monitor.width <= 0 || monitor.height <= 0) return false;
    const int32_t left = std::max(area.left, monitor.left);
    const int32_t top = std::max(area.top, monitor.top);
    const int32_t right = std::min(area.left + area.width, monitor.left + monitor.width);
    const int32_t bottom = std::min(area.top + area.height, monitor.top + monitor.height);
    for (int32_t y = top; y < bottom; ++y) {
        const int64_t sy = int64_t{y - monitor.top} * s.frameHeight / monitor.height;
        const uint8_t* srcRow =
            s.frame.data() + static_cast<size_t>(sy) * static_cast<size_t>(s.frameWidth) * 4;
        uint8_t* dst = out.bgra.data() + (static_cast<size_t>(y - area.top) * static_cast<size_t>(out.width) +
                                          static_cast<size_t>(left - area.left)) *
                                             4;
        for (int32_t x = left; x < right; ++x, dst += 4) {
            const int64_t sx = int64_t{x - monitor.left} * s.frameWidth / monitor.width;
            const uint8_t* p = srcRow + static_cast<size_t>(sx) * 4;
            dst[0] = p[order->blue];
            dst[1] = p[order->green];
            dst[2] = p[order->red];
            dst[3] = 0;
        }
    }
    return true;
}
