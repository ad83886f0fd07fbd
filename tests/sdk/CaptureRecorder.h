#pragma once

// Records what a capture callback receives, for tests: the statuses reported, the failures,
// and the frames (checked as they arrive, since their bytes live only during the call). A hook
// lets a test act from inside the callback, on the capture thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sdk/CaptureCallback.h"

namespace simtest {

class CaptureRecorder {
public:
    // Called on the capture thread after each callback was recorded, without the recorder's
    // lock: (images, count, status or null, error or null).
    using Hook = std::function<void(const sdk::ImageInfo*, std::uint32_t, const std::uint32_t*,
                                    const sdk::CaptureError*)>;

    static void callback(void* context, const sdk::ImageInfo* images, std::uint32_t count,
                         const std::uint32_t* status, const sdk::CaptureError* error) {
        static_cast<CaptureRecorder*>(context)->record(images, count, status, error);
    }

    void setHook(Hook hook) {
        std::lock_guard<std::mutex> lock(mutex_);
        hook_ = std::move(hook);
    }

    // Waits (at most `seconds`, as a guard against a hang) until a status of 3 or more arrived.
    bool waitForEnd(int seconds = 30) {
        return waitUntil([this] { return endedLocked(); }, seconds);
    }
    bool waitForFrames(int frames, int seconds = 30) {
        return waitUntil([this, frames] { return frames_ >= frames; }, seconds);
    }

    std::vector<std::uint32_t> statuses() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return statuses_;
    }
    std::vector<CamxStatus> errors() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return errors_;
    }
    int frames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    int badFrames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return badFrames_;
    }
    int callbacks() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return callbacks_;
    }
    // Frames per callback expected: 1 monocular, 2 binocular.
    void expectFramesPerCall(std::uint32_t count) {
        std::lock_guard<std::mutex> lock(mutex_);
        framesPerCall_ = count;
    }

private:
    template <typename Predicate>
    bool waitUntil(Predicate predicate, int seconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(seconds), predicate);
    }

    bool endedLocked() const { return !statuses_.empty() && statuses_.back() >= 3; }

    void record(const sdk::ImageInfo* images, std::uint32_t count, const std::uint32_t* status,
                const sdk::CaptureError* error) {
        Hook hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++callbacks_;
            if (images != nullptr) {
                ++frames_;
                bool good = count == framesPerCall_;
                for (std::uint32_t i = 0; good && i < count; ++i) {
                    const sdk::ImageInfo& image = images[i];
                    good = image.data != nullptr && image.format == 2 && image.width == 640 &&
                           image.height == 480 && image.size == 640u * 480u;
                    if (good) {
                        // Touch the first and last byte: they must be readable during the call.
                        volatile std::uint8_t first = image.data[0];
                        volatile std::uint8_t last = image.data[image.size - 1];
                        (void)first;
                        (void)last;
                    }
                }
                if (!good) {
                    ++badFrames_;
                }
            }
            if (status != nullptr) {
                statuses_.push_back(*status);
            }
            if (error != nullptr) {
                errors_.push_back(error->status);
            }
            hook = hook_;
        }
        changed_.notify_all();
        if (hook) {
            hook(images, count, status, error);
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_.
    std::vector<std::uint32_t> statuses_;
    std::vector<CamxStatus> errors_;
    int frames_ = 0;
    int badFrames_ = 0;
    int callbacks_ = 0;
    std::uint32_t framesPerCall_ = 1;
    Hook hook_;
};

// What a recorder saw, for failure messages.
inline std::string describe(const CaptureRecorder& recorder) {
    std::string text = "statuses:";
    for (std::uint32_t status : recorder.statuses()) {
        text += " " + std::to_string(status);
    }
    text += "; errors:";
    for (CamxStatus error : recorder.errors()) {
        char hex[16];
        std::snprintf(hex, sizeof hex, " 0x%x", error);
        text += hex;
    }
    text += "; frames: " + std::to_string(recorder.frames());
    return text;
}

}  // namespace simtest
