#include "capture/InitializeHandler.h"

#include <gtest/gtest.h>

#include <memory>

#include "access/TestServer.h"
#include "camera/Camx2000Impl.h"
#include "capture/ManualClock.h"
#include "capture/ServiceContext.h"
#include "sdk/SdkSimFixture.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

// The real camera, except that its device information cannot be read once it is initialized,
// as when the camera stops answering right after initialization.
class ForgetfulCamera : public vantrel_camera::Camx2000Impl {
public:
    CamxStatus initCamera(std::uint32_t* width, std::uint32_t* height) override {
        initialized_ = true;
        return Camx2000Impl::initCamera(width, height);
    }
    CamxStatus getDeviceInfo(vantrel_camera::DeviceInfo* info) override {
        return initialized_ ? CAMX_DEVICE_NOT_FOUND : Camx2000Impl::getDeviceInfo(info);
    }

private:
    bool initialized_ = false;
};

// The handler over a camera holder of its own, against a simulated USB camera.
class InitializeHandlerTest : public simtest::SdkSimTest {
protected:
    void SetUp() override {
        SdkSimTest::SetUp();
        addCamera();
        server.add("/1.0/initialize", &handler);
        ASSERT_EQ(context.sessionManager().registerSession(session), ResultStatus::success);
        ASSERT_EQ(context.sessionManager().acquireLock(session), ResultStatus::success);
    }
    // The server goes before the handler, the camera before the simulator.
    void TearDown() override {
        server.stop();
        SdkSimTest::TearDown();
    }

    vantrel_camera::CameraHolder holder{
        [](std::uint32_t) -> std::unique_ptr<vantrel_camera::OcuScanner> {
            return std::make_unique<ForgetfulCamera>();
        }};
    testsupport::ManualClock clock{1'700'000'000};
    ServiceContext context{clock, holder};
    InitializeHandler handler{&context};
    testsupport::TestServer server;
    SessionManager::SessionId session;
};

// The sensor is up, so the client is told so, with what can be said without the device
// information: an unknown modality and the one stream every camera has.
TEST_F(InitializeHandlerTest, UnreadableDeviceInformationStillAnswersSuccess) {
    HttpAnswer answer =
        server.request("POST", std::string("/1.0/initialize?session_id=") + session);
    EXPECT_EQ(answer.body,
              "{\n"
              "    \"status\": \"success\",\n"
              "    \"cameraModality\": \"unknown\",\n"
              "    \"streamUrls\": [\n"
              "        \"stream\"\n"
              "    ]\n"
              "}");
    EXPECT_EQ(context.cameraController().stateFlags(), CameraController::kInitialized);
}

}  // namespace
}  // namespace lensws
