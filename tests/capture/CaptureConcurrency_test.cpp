#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "camera/CreateCamera.h"
#include "capture/CameraController.h"
#include "capture/FrameReceiver.h"
#include "sdk/SdkSimFixture.h"
#include "web/ResultDocument.h"
#include "web/WSMemPool.h"

namespace lensws {
namespace {

// A capture against the simulated camera with everything else a client may do meanwhile: two
// previews, snapshots, busy checks and a cancel.
class CaptureConcurrency : public simtest::SdkSimTest {
protected:
    void SetUp() override {
        SdkSimTest::SetUp();
        WSMemPool::create();
        camera = &addCamera();
        holder = std::make_unique<vantrel_camera::CameraHolder>(vantrel_camera::createCamera);
        controller = std::make_unique<CameraController>(*holder);
        const char* message = nullptr;
        ASSERT_EQ(controller->initialize(&message), ResultStatus::success);
        ASSERT_EQ(controller->configure(1.05f, 1.1f, 0, 50, 80), ResultStatus::success);
    }
    void TearDown() override {
        controller.reset();
        holder.reset();
        SdkSimTest::TearDown();
    }

    // A preview listener on its own thread: the frames it took in, until the capture's end.
    std::future<int> preview() {
        auto started = std::make_shared<std::promise<void>>();
        std::future<int> frames = std::async(std::launch::async, [this, started] {
            FrameReceiver receiver(true, WSMemPool::access());
            const StreamClient client = receiver.client(StreamClient::kPreview);
            const char* message = nullptr;
            if (controller->addStreamClient(client, &message) != ResultStatus::success) {
                started->set_value();
                return -1;
            }
            started->set_value();
            int count = 0;
            for (bool end = false; !end;) {
                receiver.waitPending(platform::Event::kInfinite);
                count += receiver.hasFrames() && receiver.frameSize(0) > 0 ? 1 : 0;
                end = receiver.captureState() >= FrameNotification::kCaptureComplete;
                receiver.acknowledge();
            }
            controller->removeStreamClient(client);
            return count;
        });
        started->get_future().wait();
        return frames;
    }

    // The whole capture on a request thread of its own; returns once the capture runs.
    std::future<ResultStatus> startCapture() {
        std::future<ResultStatus> capture = std::async(std::launch::async, [this] {
            ResultDocument result;
            const char* message = nullptr;
            return controller->runCapture(result, CapturePurpose::Enrollment, &message);
        });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((controller->stateFlags() & CameraController::kCapturing) == 0 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        return capture;
    }

    simtest::SimCamera* camera = nullptr;
    std::unique_ptr<vantrel_camera::CameraHolder> holder;
    std::unique_ptr<CameraController> controller;
};

TEST_F(CaptureConcurrency, CaptureWithPreviewsSnapshotsAndBusyChecks) {
    ASSERT_EQ(camera->control("capture-ms 1500"), "ok");
    std::future<ResultStatus> capture = startCapture();
    std::future<int> first = preview();
    std::future<int> second = preview();
    std::atomic<int> snapshots{0};
    std::thread client([&] {
        while ((controller->stateFlags() & CameraController::kCapturing) != 0) {
            Base64Text entries[2];
            std::size_t count = 0;
            if (controller->getStreamSnapshot(entries, count) == ResultStatus::success &&
                count == 1) {
                ++snapshots;
            }
            EXPECT_TRUE(controller->isBusy() ||
                        (controller->stateFlags() & CameraController::kCapturing) == 0);
            // Each snapshot takes a frame from the camera that the previews then miss.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    EXPECT_EQ(capture.get(), ResultStatus::success);
    client.join();
    // How many depends on the machine's speed (the sanitizers slow every encode down).
    EXPECT_GT(first.get(), 0);
    EXPECT_GT(second.get(), 0);
    EXPECT_GT(snapshots.load(), 0);
    EXPECT_FALSE(controller->isBusy());
}

TEST_F(CaptureConcurrency, CancelFromAnotherThread) {
    ASSERT_EQ(camera->control("capture-ms 30000"), "ok");
    std::future<ResultStatus> capture = startCapture();
    std::future<int> watching = preview();
    EXPECT_EQ(controller->cancelCapture(), ResultStatus::success);
    EXPECT_EQ(capture.get(), ResultStatus::canceled);
    EXPECT_GE(watching.get(), 0);
    EXPECT_FALSE(controller->isBusy());
    EXPECT_EQ(camera->state("capturing"), "0");
}

}  // namespace
}  // namespace lensws
