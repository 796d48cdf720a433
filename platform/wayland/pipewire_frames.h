// PipeWireFrames: the screen-cast streams of mutter received through PipeWire, one per monitor, keeping the
// latest frame of each in memory so that reading the screen needs no round trip to the compositor.
#pragma once

#include "desktop_platform.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct pw_thread_loop;
struct pw_context;
struct pw_core;
struct spa_hook;

class PipeWireFrames {
  public:
    PipeWireFrames();
    ~PipeWireFrames();
    PipeWireFrames(const PipeWireFrames&) = delete;
    PipeWireFrames& operator=(const PipeWireFrames&) = delete;

    // Connects to the session's PipeWire and to one stream per node; false when PipeWire cannot be
    // reached or a stream cannot be set up.
    bool Start(const std::vector<uint32_t>& nodes);
    // Waits until each of the streams `which` (all when empty) has a frame received after `afterMs`
    // (MutterNowMs), at most timeoutMs; true when they all have one.
    bool WaitForFrames(int64_t afterMs, int timeoutMs, const std::vector<size_t>& which = {});
    // Paints what stream `index` shows into `out`, which holds the desktop rectangle `area`; the stream
    // shows the desktop rectangle `monitor` (a frame of another size is scaled to it). False when the
    // stream has no frame yet.
    bool Paint(size_t index, const ScreenRect& monitor, const ScreenRect& area, PixelGrid& out);
    // Waits for every stream's first frame, which may take seconds on a loaded machine, in slices for as long
    // as `compositorAnswers` holds (asked between slices), up to kFirstFrameLimitMs; true when they came.
    static constexpr int kFirstFrameSliceMs = 500;
    static constexpr int kFirstFrameLimitMs = 30000;
    bool WaitForFirstFrames(const std::function<bool()>& compositorAnswers);
    // The pixels of the desktop rectangle `rect`, the part no stream shows black; stream i shows
    // `monitors[i]`. After a key or pointer event (`lastInputMs`, MutterNowMs) the first capture waits
    // kFreshFrameMs at most for newer frames, so a change the event caused is seen (a screen that does not
    // change sends none). 0, or 5 for an empty rectangle or when the streams cannot be read.
    static constexpr int kFreshFrameMs = 50;
    int Capture(const std::vector<ScreenRect>& monitors, const ScreenRect& rect, int64_t lastInputMs,
                PixelGrid& out);
    // True once PipeWire or a stream has failed (the compositor or PipeWire gone).
    bool Failed() const { return failed_.load(); }

    // What PipeWire's thread reports: a stream's frame (rows `stride` bytes apart), a failure.
    struct Stream;
    void Received(Stream& stream, const uint8_t* data, int32_t stride);
    void Fail();

  private:
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    std::unique_ptr<spa_hook> coreListener_;
    std::vector<std::unique_ptr<Stream>> streams_;
    std::atomic<bool> failed_{false};
    int64_t waitedAfter_ = -1; // the input event the last capture waited for a fresh frame after
    std::mutex mutex_;         // guards the frames of the streams
    std::condition_variable frameCame_;
};
