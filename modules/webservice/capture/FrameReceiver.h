#pragma once

#include <cstddef>
#include <cstdint>

#include "capture/StreamClient.h"
#include "platform/Event.h"
#include "web/MemoryPool.h"

namespace lensws {

// Where one listening request takes in the stream hub's notifications: the capture waiter
// (progress only) or a preview stream (progress and copies of the frames).
//
// Hand-over between the camera's capture thread and the request's thread: `ready_` set means
// the receiver may take the next notification; the capture thread then writes the receiver,
// clears `ready_` and sets `pending_`. The request's thread waits for `pending_`, reads, and
// sets `ready_` again (acknowledge). Each side touches the receiver's data only in its own turn.
// A plain preview frame that arrives while the request is still busy with the previous one is
// dropped at once; progress and errors are waited for (up to 20 s), so no listener misses the
// end of a capture.
//
// The frame buffers come from `pool`, which must outlive the receiver; they grow geometrically
// and are reused from frame to frame. The receiver must be removed from the hub before it is
// destroyed.
class FrameReceiver {
public:
    static constexpr std::uint32_t kProgressWaitMs = 20000;

    FrameReceiver(bool copyFrames, vtl_base_type::ServiceMemoryPool* pool);
    ~FrameReceiver();
    FrameReceiver(const FrameReceiver&) = delete;
    FrameReceiver& operator=(const FrameReceiver&) = delete;

    // The hub client that feeds this receiver.
    StreamClient client(std::uint32_t kind) { return StreamClient{&take, this, kind}; }

    // Waits up to `milliseconds` (platform::Event::kInfinite: without limit) for a
    // notification; true when one is pending. A waiting thread uses no processor.
    bool waitPending(std::uint32_t milliseconds);
    // Done with the pending notification: the receiver takes the next one.
    void acknowledge() { ready_.set(); }

    // The pending notification's values.
    std::int32_t captureState() const { return captureState_; }
    bool aborted() const { return aborted_; }
    ResultStatus status() const { return status_; }
    // Whether the frames below describe the pending notification: false after a notification
    // without frames, or when the last copy ran out of memory.
    bool hasFrames() const { return described_; }
    // The last frame copied in at `index` (0 or 1); size 0 when there is none.
    const std::uint8_t* frame(std::size_t index) const { return buffers_[index].bytes; }
    std::size_t frameSize(std::size_t index) const { return frameSizes_[index]; }

private:
    struct Buffer {
        std::uint8_t* bytes = nullptr;
        std::size_t length = 0;
    };

    static void take(void* receiver, const FrameNotification& notification);
    void takeIn(const FrameNotification& notification);
    // Copies one frame, growing its buffer when needed; false when the pool has no room.
    bool copyFrame(std::size_t index, const std::uint8_t* bytes, std::size_t size);

    const bool copyFrames_;
    vtl_base_type::ServiceMemoryPool* pool_;
    platform::Event ready_{true, true};
    platform::Event pending_{false, false};
    // Written by the capture thread while ready_ is set, read by the request's thread while a
    // notification is pending.
    Buffer buffers_[2];
    std::size_t frameSizes_[2] = {0, 0};
    bool described_ = false;
    std::int32_t captureState_ = FrameNotification::kNoProgress;
    bool aborted_ = false;
    ResultStatus status_ = ResultStatus::success;
};

}  // namespace lensws
