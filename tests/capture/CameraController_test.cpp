#include "capture/CameraController.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "camera/CreateCamera.h"
#include "sdk/SdkSimFixture.h"
#include "web/IdentifiedList.h"
#include "web/InlineAllocator.h"
#include "web/TextList.h"
#include "web/WSMemPool.h"

namespace lensws {
namespace {

using vantrel_camera::CameraHolder;
using Operation = std::function<ResultStatus(CameraController&)>;

constexpr ResultStatus kSuccess = ResultStatus::success;
constexpr ResultStatus kBusy = ResultStatus::sensorBusy;
constexpr ResultStatus kInitNeeded = ResultStatus::initializationNeeded;
constexpr ResultStatus kConfigNeeded = ResultStatus::configurationNeeded;
constexpr ResultStatus kInvalidId = ResultStatus::invalidId;
constexpr ResultStatus kSensorFailure = ResultStatus::sensorFailure;
constexpr char kUnknownCapture[] = "00000000-0000-4000-8000-000000000000";

// The controller's operations, each with whatever arguments it needs.
struct NamedOperation {
    const char* name;
    Operation run;
};

const std::vector<NamedOperation>& operations() {
    static const std::vector<NamedOperation> list = {
        {"initialize",
         [](CameraController& c) {
             const char* message = nullptr;
             return c.initialize(&message);
         }},
        {"uninitialize", [](CameraController& c) { return c.uninitialize(); }},
        {"configure", [](CameraController& c) { return c.configure(1.0f, 1.2f, 1, 40, 90); }},
        {"getFrameSize",
         [](CameraController& c) {
             std::uint32_t width = 0;
             std::uint32_t height = 0;
             return c.getFrameSize(width, height);
         }},
        {"getQualities",
         [](CameraController& c) {
             std::uint8_t streaming = 0;
             std::uint8_t sample = 0;
             return c.getQualities(streaming, sample);
         }},
        {"getMatchSettings",
         [](CameraController& c) {
             bool dedup = false;
             float genuine = 0;
             float imposter = 0;
             return c.getMatchSettings(dedup, genuine, imposter);
         }},
        {"getDeviceInfo",
         [](CameraController& c) {
             vantrel_camera::DeviceInfo info;
             return c.getDeviceInfo(info);
         }},
        {"scanDevices",
         [](CameraController& c) {
             CameraController::DeviceNames names;
             return c.scanDevices(names);
         }},
        {"beginCapture",
         [](CameraController& c) { return c.beginCapture(CapturePurpose::Enrollment); }},
        {"sampleQuality",
         [](CameraController& c) {
             CameraController::SampleScores scores;
             return c.sampleQuality(kUnknownCapture, scores);
         }},
        {"getStreamSnapshot",
         [](CameraController& c) {
             Base64Text entries[2];
             std::size_t count = 0;
             return c.getStreamSnapshot(entries, count);
         }},
        {"downloadImage",
         [](CameraController& c) {
             CameraController::Download out;
             return c.downloadImage(kUnknownCapture, 1, 6, 80, out);
         }},
        {"downloadIsoImage",
         [](CameraController& c) {
             CameraController::Download out;
             return c.downloadIsoImage(kUnknownCapture, 2, 1, 2, 80, out);
         }},
        {"downloadTemplate",
         [](CameraController& c) {
             CameraController::Download out;
             return c.downloadTemplate(kUnknownCapture, out);
         }},
        {"downloadDefaultImage",
         [](CameraController& c) {
             CameraController::Download out;
             return c.downloadDefaultImage(kUnknownCapture, out);
         }},
        {"enrollUser",
         [](CameraController& c) {
             const char* message = nullptr;
             return c.enrollUser("alice", &message);
         }},
        {"verifyUser",
         [](CameraController& c) {
             const char* message = nullptr;
             bool matched = false;
             return c.verifyUser("alice", &message, matched);
         }},
        {"identifyUser",
         [](CameraController& c) {
             vtl_base_type::InlineAllocator<256> pool;
             IdentifiedList identified(pool);
             return c.identifyUser(identified);
         }},
        {"getGalleryCounts",
         [](CameraController& c) {
             CameraController::GalleryCounts counts;
             return c.getGalleryCounts(counts);
         }},
        {"listUsers",
         [](CameraController& c) {
             vtl_base_type::InlineAllocator<256> pool;
             TextList users(pool);
             return c.listUsers(users);
         }},
        {"deleteUser", [](CameraController& c) { return c.deleteUser(nullptr); }},
        {"getTemplateInfo",
         [](CameraController& c) {
             CameraController::TemplateInfo info;
             const char* message = nullptr;
             return c.getTemplateInfo("alice", info, &message);
         }},
    };
    return list;
}

enum class State { Fresh, Initialized, Configured, Capturing, HeldByAnotherThread };

const char* stateName(State state) {
    switch (state) {
        case State::Fresh:
            return "fresh";
        case State::Initialized:
            return "initialized";
        case State::Configured:
            return "configured";
        case State::Capturing:
            return "capturing";
        case State::HeldByAnotherThread:
            return "held by another thread";
    }
    return "?";
}

// The controller over a camera holder of its own, against a simulated USB camera.
class CameraControllerTest : public simtest::SdkSimTest {
protected:
    void SetUp() override {
        SdkSimTest::SetUp();
        WSMemPool::create();
        camera = &addCamera();
        makeController();
    }

    // The controller and its camera go before the simulators stop.
    void TearDown() override {
        controller.reset();
        holder.reset();
        SdkSimTest::TearDown();
    }

    void makeController(CameraHolder::CameraFactory factory = vantrel_camera::createCamera) {
        controller.reset();
        holder = std::make_unique<CameraHolder>(std::move(factory));
        controller = std::make_unique<CameraController>(*holder);
    }

    void enter(State state) {
        makeController();
        if (state == State::Fresh) {
            return;
        }
        const char* message = nullptr;
        ASSERT_EQ(controller->initialize(&message), kSuccess) << (message ? message : "");
        if (state == State::Configured || state == State::Capturing) {
            ASSERT_EQ(controller->configure(1.05f, 1.1f, 0, 50, 80), kSuccess);
        }
        if (state == State::Capturing) {
            ASSERT_EQ(camera->control("capture-ms 60000"), "ok");
            ASSERT_EQ(controller->beginCapture(CapturePurpose::Enrollment), kSuccess);
        }
    }

    simtest::SimCamera* camera = nullptr;
    std::unique_ptr<CameraHolder> holder;
    std::unique_ptr<CameraController> controller;
};

// Every operation in every state, and the controller free again afterwards (a capture keeps
// the sensor busy until it ends).
TEST_F(CameraControllerTest, AdmissionTable) {
    struct Row {
        const char* operation;
        ResultStatus fresh, initialized, configured, capturing;
    };
    const Row table[] = {
        {"initialize", kSuccess, kSuccess, kSuccess, kBusy},
        {"uninitialize", kSuccess, kSuccess, kSuccess, kBusy},
        {"configure", kInitNeeded, kSuccess, kSuccess, kBusy},
        {"getFrameSize", kInitNeeded, kSuccess, kSuccess, kBusy},
        {"getQualities", kInitNeeded, kSuccess, kSuccess, kBusy},
        {"getMatchSettings", kInitNeeded, kSuccess, kSuccess, kBusy},
        {"getDeviceInfo", kInitNeeded, kSuccess, kSuccess, kBusy},
        // Before the first initialize there is no camera object to scan with.
        {"scanDevices", kSensorFailure, kSuccess, kSuccess, kBusy},
        {"beginCapture", kInitNeeded, kConfigNeeded, kSuccess, kBusy},
        {"sampleQuality", kInitNeeded, kConfigNeeded, kInvalidId, kBusy},
        {"getStreamSnapshot", kInitNeeded, kConfigNeeded, ResultStatus::nocapturing, kSuccess},
        {"downloadImage", kInitNeeded, kConfigNeeded, kInvalidId, kBusy},
        {"downloadIsoImage", kInitNeeded, kConfigNeeded, kInvalidId, kBusy},
        {"downloadTemplate", kInitNeeded, kConfigNeeded, kInvalidId, kBusy},
        {"downloadDefaultImage", kInitNeeded, kConfigNeeded, kInvalidId, kBusy},
        // With no capture taken the camera has nothing to enroll or match.
        {"enrollUser", kInitNeeded, kConfigNeeded, kSensorFailure, kBusy},
        // Matching follows a capture and checks only for a camera object.
        {"verifyUser", kSensorFailure, kInvalidId, kInvalidId, kBusy},
        {"identifyUser", kSensorFailure, kSensorFailure, kSensorFailure, kBusy},
        // The gallery needs no configuration; the simulator's gallery starts empty.
        {"getGalleryCounts", kInitNeeded, kSuccess, kSuccess, kBusy},
        {"listUsers", kInitNeeded, kSuccess, kSuccess, kBusy},
        {"deleteUser", kInitNeeded, kSuccess, kSuccess, kBusy},
        {"getTemplateInfo", kInitNeeded, kInvalidId, kInvalidId, kBusy},
    };
    ASSERT_EQ(std::size(table), operations().size());
    for (std::size_t i = 0; i < operations().size(); ++i) {
        const NamedOperation& op = operations()[i];
        ASSERT_STREQ(op.name, table[i].operation);
        const ResultStatus expected[] = {table[i].fresh, table[i].initialized, table[i].configured,
                                         table[i].capturing};
        for (State state :
             {State::Fresh, State::Initialized, State::Configured, State::Capturing}) {
            enter(state);
            EXPECT_EQ(op.run(*controller), expected[static_cast<int>(state)])
                << op.name << " when " << stateName(state);
            const bool capturing =
                state == State::Capturing ||
                (state == State::Configured && std::string(op.name) == "beginCapture");
            EXPECT_EQ(controller->isBusy(), capturing) << op.name << " when " << stateName(state);
        }
    }
}

// While another thread's operation is inside the camera, everything else answers sensorBusy at
// once, the scan included, and nothing waits for it.
TEST_F(CameraControllerTest, EveryOperationIsBusyWhileAnotherThreadHoldsTheController) {
    enter(State::Initialized);
    ASSERT_EQ(camera->control("delay 10C1 1500"), "ok");
    std::future<ResultStatus> other = std::async(
        std::launch::async, [this] { return controller->configure(1.05f, 1.1f, 0, 50, 80); });
    while (!controller->isBusy()) {
        ASSERT_NE(other.wait_for(std::chrono::milliseconds(1)), std::future_status::ready);
    }
    for (const NamedOperation& op : operations()) {
        EXPECT_EQ(op.run(*controller), kBusy)
            << op.name << " when " << stateName(State::HeldByAnotherThread);
    }
    EXPECT_EQ(other.get(), kSuccess);
    EXPECT_FALSE(controller->isBusy());
}

TEST_F(CameraControllerTest, InitializeKeepsTheCameraFigures) {
    enter(State::Initialized);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_EQ(controller->getFrameSize(width, height), kSuccess);
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(height, 480u);
    bool dedup = true;
    float genuine = 0;
    float imposter = 0;
    ASSERT_EQ(controller->getMatchSettings(dedup, genuine, imposter), kSuccess);
    EXPECT_EQ(genuine, CameraController::kDefaultGenuineThreshold);
    ASSERT_EQ(controller->configure(0.9f, 1.3f, 1, 10, 20), kSuccess);
    ASSERT_EQ(controller->getMatchSettings(dedup, genuine, imposter), kSuccess);
    EXPECT_TRUE(dedup);
    EXPECT_EQ(genuine, 0.9f);
    EXPECT_EQ(imposter, 1.3f);  // read back from the camera
    std::uint8_t streaming = 0;
    std::uint8_t sample = 0;
    ASSERT_EQ(controller->getQualities(streaming, sample), kSuccess);
    EXPECT_EQ(streaming, 10);
    EXPECT_EQ(sample, 20);
}

// An exception thrown by the camera holder passes through and leaves the controller free.
TEST_F(CameraControllerTest, AnExceptionReleasesTheController) {
    makeController([](std::uint32_t) { return std::unique_ptr<vantrel_camera::OcuScanner>(); });
    const char* message = nullptr;
    EXPECT_THROW(controller->initialize(&message), std::runtime_error);
    EXPECT_FALSE(controller->isBusy());
    EXPECT_EQ(controller->stateFlags(), 0u);
}

TEST_F(CameraControllerTest, InitializeWithoutACameraSaysSensorNotFound) {
    camera->stop();
    const char* message = nullptr;
    EXPECT_EQ(controller->initialize(&message), ResultStatus::failure);
    EXPECT_STREQ(message, "Sensor not found.");
    EXPECT_EQ(controller->stateFlags(), 0u);
}

}  // namespace
}  // namespace lensws
