#pragma once

#include <cstdint>

#include "capture/FrameNotification.h"

namespace lensws {

// One listener of the stream hub: the function the hub calls with each notification, the
// context handed back to it, and what the listener wants.
struct StreamClient {
    // Bits of `kind`.
    static constexpr std::uint32_t kFrames = 1;    // preview frames (makes the camera encode)
    static constexpr std::uint32_t kProgress = 2;  // capture progress
    static constexpr std::uint32_t kPreview = kFrames | kProgress;

    using Notify = void (*)(void* context, const FrameNotification& notification);

    Notify notify = nullptr;
    void* context = nullptr;
    std::uint32_t kind = 0;

    bool valid() const { return notify != nullptr && kind >= kFrames && kind <= kPreview; }
    bool wantsFrames() const { return (kind & kFrames) != 0; }
};

}  // namespace lensws
