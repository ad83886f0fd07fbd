#include "camera/Camx2000Impl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "sdk/CaptureRecorder.h"
#include "sdk/ProductTable.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::CaptureRecorder;
using simtest::SdkSimTest;
using simtest::SimCamera;
using simtest::SimCameraOptions;
using vantrel_camera::Camx2000Impl;
using vantrel_camera::OcuScannerImpl;

class Camx2000ImplTest : public SdkSimTest {
protected:
    void SetUp() override {
        SdkSimTest::SetUp();
        camera = std::make_unique<Camx2000Impl>();
    }
    void TearDown() override {
        camera.reset();
        SdkSimTest::TearDown();
    }

    CaptureRecorder recorder;  // outlives the camera's capture thread
    std::unique_ptr<Camx2000Impl> camera;
};

TEST_F(Camx2000ImplTest, ConstructionMakesTheSdkResetDevicesAtOpen) {
    sdk::SdkConfig config;
    ASSERT_EQ(camera->getSdkConfig(&config), CAMX_OK);
    EXPECT_EQ(config.resetOnOpen, 1);
    EXPECT_EQ(camera->getSdkVersion(), 0x03030000u);
    EXPECT_EQ(camera->getCameraKind(), 1u);
    EXPECT_EQ(camera->getSupportedFlags(), 31u);
    EXPECT_EQ(camera->isOpen(), 0);
}

TEST_F(Camx2000ImplTest, CameraConfigurationIsReadOnceUntilWritten) {
    SimCamera& sim = addCamera();
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    vantrel_camera::CameraConfig first;
    vantrel_camera::CameraConfig second;
    ASSERT_EQ(camera->getCameraConfig(&first), CAMX_OK);
    ASSERT_EQ(camera->getCameraConfig(&second), CAMX_OK);
    EXPECT_EQ(sim.count(0x10C0), 1);
    EXPECT_EQ(std::memcmp(&first.imposterThreshold, &second.imposterThreshold, sizeof(float)), 0);

    first.deduplicateOnEnroll = first.deduplicateOnEnroll ? 0 : 1;
    first.imposterThreshold = 1.25f;
    ASSERT_EQ(camera->setCameraConfig(first), CAMX_OK);
    ASSERT_EQ(camera->getCameraConfig(&second), CAMX_OK);
    EXPECT_EQ(sim.count(0x10C0), 2);  // the write made the next read go to the camera
    EXPECT_EQ(second.deduplicateOnEnroll, first.deduplicateOnEnroll);
    EXPECT_FLOAT_EQ(second.imposterThreshold, 1.25f);

    // A refused write still drops the cache.
    vantrel_camera::CameraConfig bad = second;
    bad.imposterThreshold = 3.0f;
    EXPECT_EQ(camera->setCameraConfig(bad), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(camera->getLastResult(), CAMX_INVALID_PARAMETER);
    ASSERT_EQ(camera->getCameraConfig(nullptr), CAMX_OK);
    EXPECT_EQ(sim.count(0x10C0), 3);
}

TEST_F(Camx2000ImplTest, CloseClearsBothCaches) {
    SimCamera& sim = addCamera();
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    vantrel_camera::DeviceInfo info;
    ASSERT_EQ(camera->getDeviceInfo(&info), CAMX_OK);
    ASSERT_EQ(camera->getDeviceInfo(nullptr), CAMX_OK);
    ASSERT_EQ(camera->getCameraConfig(nullptr), CAMX_OK);
    EXPECT_EQ(sim.count(0x1005), 1);
    EXPECT_EQ(sim.count(0x10C0), 1);
    EXPECT_STREQ(info.serialNumber, "SIM00001");

    ASSERT_EQ(camera->closeDevice(), CAMX_OK);
    EXPECT_EQ(camera->isOpen(), 0);
    ASSERT_TRUE(released(sim));
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    ASSERT_EQ(camera->getDeviceInfo(&info), CAMX_OK);
    ASSERT_EQ(camera->getCameraConfig(nullptr), CAMX_OK);
    EXPECT_EQ(sim.count(0x1005), 2);
    EXPECT_EQ(sim.count(0x10C0), 2);
}

TEST_F(Camx2000ImplTest, BinocularAnswersMinusOneWhenInformationCannotBeRead) {
    SimCamera& sim = addCamera();
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    ASSERT_EQ(sim.control("fail 1005 1005"), "ok");
    EXPECT_EQ(camera->isBinocular(), -1);
    EXPECT_EQ(camera->getLastResult(), CAMX_DEV_IO_FAILED);
    EXPECT_THROW(
        {
            ASSERT_EQ(sim.control("fail 1005 1005"), "ok");
            camera->getFeatures();
        },
        std::runtime_error);
    // The failures were used up; the answer is read and kept.
    EXPECT_EQ(camera->isBinocular(), 0);
    EXPECT_EQ(camera->getFeatures() & 0x40000000u, 0x40000000u);
    EXPECT_EQ(sim.count(0x1005), 3);
}

TEST_F(Camx2000ImplTest, FeaturesCarryBitThirty) {
    addCamera();
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    vantrel_camera::DeviceInfo info;
    ASSERT_EQ(camera->getDeviceInfo(&info), CAMX_OK);
    EXPECT_EQ(camera->getFeatures(), info.features | 0x40000000u);
    try {
        Camx2000Impl closed;
        closed.getFeatures();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot query camera's features.");
    }
}

TEST_F(Camx2000ImplTest, EnabledFlagsFollowTheConfiguration) {
    SimCamera& sim = addCamera();
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    vantrel_camera::CameraConfig config;
    ASSERT_EQ(camera->getCameraConfig(&config), CAMX_OK);
    config.field1 = 1;
    config.deduplicateOnEnroll = 1;
    config.field5 = 1;
    config.field6 = 1;
    config.field7 = 1;
    ASSERT_EQ(camera->setCameraConfig(config), CAMX_OK);
    EXPECT_EQ(camera->getEnabledFlags(), 31u);
    config.field7 = 0;               // bit 0
    config.deduplicateOnEnroll = 0;  // bit 3
    ASSERT_EQ(camera->setCameraConfig(config), CAMX_OK);
    EXPECT_EQ(camera->getEnabledFlags(), 31u & ~0x01u & ~0x08u);
    config.field1 = 0;  // bit 2
    config.field5 = 0;  // bit 4
    config.field6 = 0;  // bit 1
    ASSERT_EQ(camera->setCameraConfig(config), CAMX_OK);
    EXPECT_EQ(camera->getEnabledFlags(), 0u);

    ASSERT_EQ(camera->setCameraConfig(config), CAMX_OK);
    ASSERT_EQ(sim.control("fail 10c0 1005"), "ok");
    try {
        camera->getEnabledFlags();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot query camera's config.");
    }
}

TEST_F(Camx2000ImplTest, CaptureOnAMonocularCameraSendsEyeSubtypeZero) {
    addCamera();
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    ASSERT_EQ(camera->initCamera(nullptr, nullptr), CAMX_OK);
    // The SDK refuses eye subtype 1 on a monocular camera; the camera sends 0 instead.
    ASSERT_EQ(camera->startCapture(&CaptureRecorder::callback, &recorder, 1, 3, 1, 1, 1, 1),
              CAMX_OK);
    EXPECT_EQ(camera->isCapturing(), 1u);
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_EQ(recorder.statuses().back(), 3u);
    EXPECT_EQ(camera->isCapturing(), 0u);  // the final status cleared it
    EXPECT_GT(recorder.frames(), 0);
    EXPECT_EQ(recorder.badFrames(), 0);
}

TEST_F(Camx2000ImplTest, StoppedCaptureClearsCapturingAndRefusedStartLeavesItClear) {
    SimCameraOptions options;
    options.captureMs = 600000;
    addCamera(options);
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    EXPECT_EQ(camera->startCapture(&CaptureRecorder::callback, &recorder, 1, 3, 1, 1, 0, 1),
              CAMX_SE_NOT_INIT);
    EXPECT_EQ(camera->isCapturing(), 0u);
    ASSERT_EQ(camera->initCamera(nullptr, nullptr), CAMX_OK);
    EXPECT_EQ(camera->startCapture(&CaptureRecorder::callback, &recorder, 1, 0, 1, 1, 0, 1),
              CAMX_INVALID_PARAMETER);
    EXPECT_EQ(camera->isCapturing(), 0u);
    ASSERT_EQ(camera->startCapture(&CaptureRecorder::callback, &recorder, 1, 3, 1, 1, 0, 1),
              CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(2));
    EXPECT_EQ(camera->isCapturing(), 1u);
    EXPECT_EQ(camera->stopCapture(), CAMX_OK);
    EXPECT_EQ(recorder.statuses().back(), 5u);
    EXPECT_EQ(camera->isCapturing(), 0u);
}

TEST_F(Camx2000ImplTest, ShutdownStopsDeinitialisesAndCloses) {
    SimCameraOptions options;
    options.captureMs = 600000;
    SimCamera& sim = addCamera(options);
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    ASSERT_EQ(camera->initCamera(nullptr, nullptr), CAMX_OK);
    ASSERT_EQ(camera->startCapture(&CaptureRecorder::callback, &recorder, 1, 3, 1, 1, 0, 1),
              CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(1));
    const long eyeOptions = sim.count(0x200B);
    EXPECT_EQ(camera->shutdownCamera(), CAMX_OK);
    EXPECT_EQ(camera->isOpen(), 0);
    EXPECT_EQ(recorder.statuses().back(), 5u);
    EXPECT_EQ(sim.count(0x200A), 2);  // the reset at open, then the stop
    EXPECT_EQ(sim.count(0x200B), eyeOptions + 1);
    EXPECT_EQ(sim.count(0x2007), 1);
    EXPECT_TRUE(released(sim));
    EXPECT_EQ(camera->shutdownCamera(), CAMX_OK);  // closed: nothing to do
}

TEST_F(Camx2000ImplTest, FamilyWithoutGalleryAnswersNotSupported) {
    EXPECT_EQ(camera->OcuScannerImpl::enrollCapture("alice"), OcuScannerImpl::kNotSupported);
    EXPECT_EQ(camera->getLastResult(), 0x0F000000u);
    EXPECT_EQ(camera->OcuScannerImpl::commitGallery(), 0x0F000000u);
    EXPECT_EQ(camera->OcuScannerImpl::loadGallery(nullptr, nullptr, nullptr, nullptr), 0x0F000000u);
    float distance = 0;
    EXPECT_EQ(camera->OcuScannerImpl::compareWithEnrollee("alice", &distance), 0x0F000000u);
    EXPECT_EQ(camera->OcuScannerImpl::getTemplateFromData(nullptr, nullptr), 0x0F000000u);
}

TEST_F(Camx2000ImplTest, ImageRecordsDecodeIntoTheCamerasBuffer) {
    // Long form, version 1, kind 1, no attached data, raw 4 x 3.
    std::vector<std::uint8_t> record = {0xFF, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0,
                                        7,    0, 2, 0, 4, 0, 0, 0, 3, 0, 0, 0};
    record.insert(record.end(), 32, 0);
    for (std::uint8_t pixel = 0; pixel < 12; ++pixel) {
        record.push_back(static_cast<std::uint8_t>(100 + pixel));
    }
    const vantrel_camera::DataBlock block{static_cast<std::uint32_t>(record.size()), record.data()};
    vantrel_camera::ImageInfo info;
    ASSERT_EQ(camera->decodeImageRecord(block, &info), CAMX_OK);
    EXPECT_EQ(info.kind, 7);
    EXPECT_EQ(info.format, 2);
    EXPECT_EQ(info.width, 4u);
    EXPECT_EQ(info.height, 3u);
    ASSERT_EQ(info.size, 12u);
    ASSERT_NE(info.data, nullptr);
    EXPECT_NE(info.data, record.data() + record.size() - 12);  // a copy, not the record
    EXPECT_EQ(info.data[0], 100);
    EXPECT_EQ(info.data[11], 111);
    camera->releaseImageBuffer();

    record.resize(record.size() - 1);  // one pixel short
    const vantrel_camera::DataBlock cut{static_cast<std::uint32_t>(record.size()), record.data()};
    EXPECT_EQ(camera->decodeImageRecord(cut, &info), CAMX_IMAGE_CORRUPTED);
}

TEST_F(Camx2000ImplTest, ResultsAndGalleryAfterACapture) {
    addCamera();
    ASSERT_EQ(camera->openDevice("Tavisor CMX-2000"), CAMX_OK);
    ASSERT_EQ(camera->initCamera(nullptr, nullptr), CAMX_OK);
    std::uint32_t count = 99;
    EXPECT_EQ(camera->loadGallery(nullptr, &count, nullptr, nullptr), CAMX_GAL_EMPTY);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(camera->startCapture(&CaptureRecorder::callback, &recorder, 1, 3, 1, 1, 0, 1),
              CAMX_OK);
    ASSERT_TRUE(recorder.waitForEnd());

    const vantrel_camera::ImageInfo* images = nullptr;
    ASSERT_EQ(camera->getResultImage(1, 2, 50, &images, &count), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(images[0].size, 640u * 480u);
    const vantrel_camera::QualityPair* pairs = nullptr;
    ASSERT_EQ(camera->getResultQuality(&pairs, &count), CAMX_OK);
    EXPECT_EQ(count, 1u);
    vantrel_camera::DataBlock iso;
    ASSERT_EQ(camera->getResultIsoImage(2, 2, 1, 50, 0, &iso), CAMX_OK);
    ASSERT_GT(iso.size, 640u * 480u);
    EXPECT_EQ(std::memcmp(iso.data, "IIR", 4), 0);
    vantrel_camera::DataBlock block;
    ASSERT_EQ(camera->getResultTemplate(&block), CAMX_OK);
    EXPECT_GT(block.size, 0u);

    ASSERT_EQ(camera->enrollCapture("alice"), CAMX_OK);
    ASSERT_EQ(camera->commitGallery(), CAMX_OK);
    vantrel_camera::NameList names = nullptr;
    std::uint32_t used = 0;
    std::uint32_t maximum = 0;
    ASSERT_EQ(camera->listEnrollees(&names, &count, &used, &maximum), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(names[0], "alice");
    EXPECT_GT(maximum, 0u);
    float distance = 9;
    ASSERT_EQ(camera->compareWithEnrollee("alice", &distance), CAMX_OK);
    EXPECT_LT(distance, 1.05f);
    const vantrel_camera::IdentifyCandidate* candidates = nullptr;
    ASSERT_EQ(camera->identifyCapture(1.05f, &candidates, &count), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(candidates[0].userId, "alice");
    vantrel_camera::MatchRecord enrollee;
    ASSERT_EQ(camera->getEnrolleeRecord("alice", &enrollee), CAMX_OK);
    EXPECT_GE(enrollee.words[5], 1u);
    EXPECT_EQ(camera->getEnrolleeRecord("bob", &enrollee), CAMX_GAL_ID_NOT_EXIST);
    EXPECT_EQ(camera->enrollCapture("no-hyphens"), CAMX_INVALID_PARAMETER);
    ASSERT_EQ(camera->unenroll("alice"), CAMX_OK);
    EXPECT_EQ(camera->compareWithEnrollee("alice", &distance), CAMX_GAL_ID_NOT_EXIST);
}

}  // namespace
