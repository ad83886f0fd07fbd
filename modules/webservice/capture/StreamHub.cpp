#include "capture/StreamHub.h"

namespace lensws {

ResultStatus StreamHub::addLocked(const StreamClient& client, const char** message) {
    for (StreamClient& slot : slots_) {
        if (slot.notify == nullptr) {
            slot = client;
            if (client.wantsFrames()) {
                frameClientCount_.fetch_add(1);
            }
            return ResultStatus::success;
        }
    }
    *message = "No more streaming clients allowed.";
    return ResultStatus::failure;
}

void StreamHub::removeStreamClient(const StreamClient& client) {
    if (!client.valid()) {
        return;
    }
    std::lock_guard<std::mutex> lock(hubMutex_);
    for (StreamClient& slot : slots_) {
        if (slot.notify == client.notify && slot.context == client.context) {
            if (slot.wantsFrames()) {
                frameClientCount_.fetch_sub(1);
            }
            slot = StreamClient();
        }
    }
}

void StreamHub::broadcastFrame(const FrameNotification& notification) {
    // A listener of progress only (the capture waiter) has nothing to do with a plain frame:
    // it is not woken for one.
    const bool plainFrame = notification.captureState == FrameNotification::kNoProgress &&
                            notification.status == ResultStatus::success;
    std::lock_guard<std::mutex> lock(hubMutex_);
    for (const StreamClient& slot : slots_) {
        if (slot.notify != nullptr && !(plainFrame && !slot.wantsFrames())) {
            slot.notify(slot.context, notification);
        }
    }
}

}  // namespace lensws
