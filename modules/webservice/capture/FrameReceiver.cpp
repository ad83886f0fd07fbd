#include "capture/FrameReceiver.h"

#include <cstring>
#include <new>

namespace lensws {

FrameReceiver::FrameReceiver(bool copyFrames, vtl_base_type::ServiceMemoryPool* pool)
    : copyFrames_(copyFrames), pool_(pool) {}

FrameReceiver::~FrameReceiver() {
    for (Buffer& buffer : buffers_) {
        if (buffer.bytes != nullptr) {
            pool_->release(buffer.bytes);
        }
    }
}

bool FrameReceiver::waitPending(std::uint32_t milliseconds) {
    return pending_.wait(milliseconds) == platform::Event::WaitResult::Signalled;
}

void FrameReceiver::take(void* receiver, const FrameNotification& notification) {
    static_cast<FrameReceiver*>(receiver)->takeIn(notification);
}

void FrameReceiver::takeIn(const FrameNotification& notification) {
    const bool mustArrive =
        notification.captureState >= 0 || notification.status != ResultStatus::success;
    if (ready_.wait(mustArrive ? kProgressWaitMs : 0) != platform::Event::WaitResult::Signalled) {
        return;
    }
    if (copyFrames_) {
        described_ = notification.hasFrames;
        if (notification.hasFrames) {
            described_ = copyFrame(0, notification.frames[0], notification.frameSizes[0]);
            if (described_ && notification.frameSizes[1] > 0) {
                described_ = copyFrame(1, notification.frames[1], notification.frameSizes[1]);
            }
        }
    }
    captureState_ = notification.captureState;
    aborted_ = notification.aborted;
    status_ = notification.status;
    ready_.reset();
    pending_.set();
}

bool FrameReceiver::copyFrame(std::size_t index, const std::uint8_t* bytes, std::size_t size) {
    Buffer& buffer = buffers_[index];
    if (buffer.length < size) {
        const std::size_t grown = buffer.length + buffer.length / 2;
        const std::size_t length = grown > size ? grown : 3 * size;
        void* bigger = nullptr;
        try {
            bigger = pool_->reallocate(buffer.bytes, buffer.length, length);
        } catch (const std::bad_alloc&) {
            return false;
        }
        buffer.bytes = static_cast<std::uint8_t*>(bigger);
        std::memset(buffer.bytes + buffer.length, 0, length - buffer.length);
        buffer.length = length;
    }
    if (size > 0) {
        std::memcpy(buffer.bytes, bytes, size);
    }
    frameSizes_[index] = size;
    return true;
}

}  // namespace lensws
