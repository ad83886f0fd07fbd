#include "capture/StreamHub.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "capture/FrameReceiver.h"
#include "web/WSMemPool.h"

namespace lensws {
namespace {

// What one listening request saw, consuming on its own thread as the preview loop does.
struct Listener {
    explicit Listener(std::chrono::milliseconds delay) : pause(delay) {}

    void consume() {
        for (;;) {
            receiver.waitPending(platform::Event::kInfinite);
            if (receiver.hasFrames()) {
                ++frames;
                lastFrameByte = receiver.frame(0)[0];
            }
            const std::int32_t state = receiver.captureState();
            receiver.acknowledge();
            if (state >= FrameNotification::kCaptureComplete) {
                finalState = state;
                return;
            }
            std::this_thread::sleep_for(pause);
        }
    }

    std::chrono::milliseconds pause;
    FrameReceiver receiver{true, (WSMemPool::create(), WSMemPool::access())};
    int frames = 0;
    std::uint8_t lastFrameByte = 0;
    std::int32_t finalState = -1;
};

// The camera thread broadcasts frames as fast as it can and then the end of the capture: a
// listener that keeps up sees many frames, a slow one fewer, and both see the end; the slow one
// never holds up the broadcasts of plain frames.
TEST(StreamHubConcurrency, SlowListenersLoseFramesButNeverTheEnd) {
    StreamHub hub;
    Listener fast(std::chrono::milliseconds(0));
    Listener slow(std::chrono::milliseconds(20));
    const char* message = nullptr;
    const StreamClient fastClient = fast.receiver.client(StreamClient::kPreview);
    const StreamClient slowClient = slow.receiver.client(StreamClient::kPreview);
    ASSERT_EQ(hub.addStreamClient(fastClient, &message), ResultStatus::success);
    ASSERT_EQ(hub.addStreamClient(slowClient, &message), ResultStatus::success);
    EXPECT_EQ(hub.frameClientCount(), 2u);

    std::thread fastThread(&Listener::consume, &fast);
    std::thread slowThread(&Listener::consume, &slow);
    constexpr int kFrames = 300;
    std::vector<std::uint8_t> jpeg(20000);
    const auto started = std::chrono::steady_clock::now();
    for (int i = 1; i <= kFrames; ++i) {
        jpeg[0] = static_cast<std::uint8_t>(i);
        FrameNotification frame;
        frame.hasFrames = true;
        frame.frames[0] = jpeg.data();
        frame.frameSizes[0] = jpeg.size();
        hub.broadcastFrame(frame);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto broadcasting = std::chrono::steady_clock::now() - started;
    FrameNotification end;
    end.captureState = FrameNotification::kCaptureComplete;
    hub.broadcastFrame(end);
    fastThread.join();
    slowThread.join();

    EXPECT_EQ(fast.finalState, FrameNotification::kCaptureComplete);
    EXPECT_EQ(slow.finalState, FrameNotification::kCaptureComplete);
    EXPECT_GT(fast.frames, slow.frames);
    EXPECT_LT(slow.frames, kFrames / 4);
    // The slow listener's 20 ms per frame would have cost the broadcasts 6 s.
    EXPECT_LT(broadcasting, std::chrono::seconds(3));

    hub.removeStreamClient(fastClient);
    hub.removeStreamClient(slowClient);
    EXPECT_EQ(hub.frameClientCount(), 0u);
}

// Listeners come and go while the camera thread broadcasts; the hub never calls a removed
// listener, and a full hub refuses the fourth.
TEST(StreamHubConcurrency, ListenersComeAndGoDuringBroadcasts) {
    StreamHub hub;
    std::atomic<bool> running{true};
    std::thread camera([&] {
        std::uint8_t byte = 1;
        while (running.load()) {
            FrameNotification frame;
            frame.hasFrames = true;
            frame.frames[0] = &byte;
            frame.frameSizes[0] = 1;
            hub.broadcastFrame(frame);
        }
    });
    std::vector<std::thread> requests;
    for (int r = 0; r < 4; ++r) {
        requests.emplace_back([&] {
            for (int round = 0; round < 200; ++round) {
                FrameReceiver receiver(true, (WSMemPool::create(), WSMemPool::access()));
                const StreamClient client = receiver.client(StreamClient::kFrames);
                const char* message = nullptr;
                if (hub.addStreamClient(client, &message) != ResultStatus::success) {
                    EXPECT_STREQ(message, "No more streaming clients allowed.");
                    continue;
                }
                if (receiver.waitPending(1000)) {
                    EXPECT_EQ(receiver.frameSize(0), 1u);
                    receiver.acknowledge();
                }
                hub.removeStreamClient(client);
            }
        });
    }
    for (std::thread& request : requests) {
        request.join();
    }
    running.store(false);
    camera.join();
    EXPECT_EQ(hub.frameClientCount(), 0u);
}

}  // namespace
}  // namespace lensws
