#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "capture/StreamClient.h"

namespace lensws {

// Hands each notification of the camera's capture thread to up to three listeners: the
// request waiting for its capture, and the preview streams.
//
// `hubMutex_` guards the slots. The capture thread holds it for a whole broadcast, across the
// listeners' calls (each may wait for its reader, see FrameReceiver), so a listener being
// added or removed waits for the broadcast to end and is never called after its removal
// returned. The frame-listener count is also read without the mutex, to decide whether a
// camera frame needs encoding at all.
class StreamHub {
public:
    static constexpr std::size_t kSlots = 3;

    StreamHub() = default;
    StreamHub(const StreamHub&) = delete;
    StreamHub& operator=(const StreamHub&) = delete;

    // Puts the client into the lowest free slot. badValue for a client without a function or
    // with an unknown kind; failure with `message` "No more streaming clients allowed." when
    // every slot is taken. With `admit`, the client is added only when admit() holds, checked
    // under the hub's mutex; otherwise failure with "No capturing is going on.".
    template <class Admit>
    ResultStatus addStreamClient(const StreamClient& client, const char** message, Admit admit);
    ResultStatus addStreamClient(const StreamClient& client, const char** message) {
        return addStreamClient(client, message, [] { return true; });
    }
    // Empties every slot that holds this client's function and context.
    void removeStreamClient(const StreamClient& client);
    // Calls every listener in slot order, holding the hub's mutex throughout; a plain frame
    // (no progress, no error) goes only to the listeners that want frames.
    void broadcastFrame(const FrameNotification& notification);

    // Listeners that want preview frames.
    std::uint32_t frameClientCount() const { return frameClientCount_.load(); }

private:
    ResultStatus addLocked(const StreamClient& client, const char** message);

    std::mutex hubMutex_;
    StreamClient slots_[kSlots];  // guarded by hubMutex_
    std::atomic<std::uint32_t> frameClientCount_{0};
};

template <class Admit>
ResultStatus StreamHub::addStreamClient(const StreamClient& client, const char** message,
                                        Admit admit) {
    if (!client.valid()) {
        return ResultStatus::badValue;
    }
    std::lock_guard<std::mutex> lock(hubMutex_);
    if (!admit()) {
        *message = "No capturing is going on.";
        return ResultStatus::failure;
    }
    return addLocked(client, message);
}

}  // namespace lensws
