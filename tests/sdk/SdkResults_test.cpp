// Results, templates and the gallery through the SDK's functions, after a real capture.

#include <cstring>
#include <string>

#include "sdk/CaptureRecorder.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::CaptureRecorder;
using simtest::SdkSimTest;
using simtest::SimCamera;
using simtest::SimCameraOptions;

class SdkResultsTest : public SdkSimTest {
protected:
    // Opens the camera and runs one capture to its end.
    sdk::SdkHandle captured(const char* name = "Tavisor CMX-2000") {
        sdk::SdkHandle handle = nullptr;
        EXPECT_EQ(sdk::sdkOpenDevice(name, &handle), CAMX_OK);
        EXPECT_EQ(sdk::sdkInitCamera(handle, nullptr, nullptr), CAMX_OK);
        EXPECT_EQ(
            sdk::sdkStartCapture(handle, 1, 3, 1, 1, 0, 1, &CaptureRecorder::callback, &recorder),
            CAMX_OK);
        EXPECT_TRUE(recorder.waitForEnd());
        return handle;
    }

    CaptureRecorder recorder;
};

TEST_F(SdkResultsTest, NullOutputsAreRefusedWithoutTraffic) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    const long before = camera.count(0x200C) + camera.count(0x2011) + camera.count(0x2014) +
                        camera.count(0x3005) + camera.count(0x3017) + camera.count(0x10C1);
    std::uint32_t count = 0;
    const sdk::ImageInfo* images = nullptr;
    EXPECT_EQ(sdk::sdkGetResultImage(handle, 1, 2, 50, nullptr, &count), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkGetResultImage(handle, 1, 2, 50, &images, nullptr), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkGetResultQuality(handle, nullptr, &count), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkGetResultIsoImage(handle, 2, 2, 1, 50, 0, nullptr), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkGetResultTemplate(handle, nullptr), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkIdentifyCapture(handle, 1.0f, nullptr, &count), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkSetCameraConfig(handle, nullptr), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkDecodeImageRecord(nullptr, nullptr, 0, nullptr), CAMX_INVALID_PARAMETER);
    const long after = camera.count(0x200C) + camera.count(0x2011) + camera.count(0x2014) +
                       camera.count(0x3005) + camera.count(0x3017) + camera.count(0x10C1);
    EXPECT_EQ(after, before);
    // Nothing reaches a device through a handle that names none.
    EXPECT_EQ(sdk::sdkGetResultImage(nullptr, 1, 2, 50, &images, &count), CAMX_INVALID_HANDLE);
    EXPECT_EQ(sdk::sdkCommitGallery(nullptr), CAMX_INVALID_HANDLE);
}

TEST_F(SdkResultsTest, ImagesQualityAndIsoRecordsOfABinocularCapture) {
    SimCameraOptions options;
    options.model = "bino";
    addCamera(options);
    recorder.expectFramesPerCall(2);
    sdk::SdkHandle handle = captured("Tavisor CMX-2000D");
    const sdk::ImageInfo* images = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::sdkGetResultImage(handle, 1, 10, 50, &images, &count), CAMX_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(images[0].format, 10);
    EXPECT_EQ(images[0].width, 0u);  // encoded: size only
    EXPECT_GT(images[0].size, 0u);
    EXPECT_GT(images[1].size, 0u);
    EXPECT_EQ(sdk::sdkGetResultImage(handle, 1, 10, 0, &images, &count), CAMX_INVALID_PARAMETER);

    const sdk::QualityPair* pairs = nullptr;
    ASSERT_EQ(sdk::sdkGetResultQuality(handle, &pairs, &count), CAMX_OK);
    EXPECT_EQ(count, 2u);

    sdk::DataBlock record;
    ASSERT_EQ(sdk::sdkGetResultIsoImage(handle, 1, 2, 1, 50, 1, &record), CAMX_OK);
    ASSERT_GT(record.size, 4u);
    EXPECT_EQ(std::memcmp(record.data, "IIR", 4), 0);
    // Kind 0x1007 is kind 7 in JPEG 2000 at a fixed ratio: only with format 10.
    EXPECT_EQ(sdk::sdkGetResultIsoImage(handle, 2, 2, 0x1007, 50, 0, &record),
              CAMX_INVALID_PARAMETER);
    ASSERT_EQ(sdk::sdkGetResultIsoImage(handle, 2, 10, 0x1007, 50, 3, &record), CAMX_OK);
    EXPECT_GT(record.size, 0u);
    // Revision 2005 knows kinds 1 and 2 only.
    EXPECT_EQ(sdk::sdkGetResultIsoImage(handle, 1, 2, 3, 50, 0, &record), CAMX_INVALID_PARAMETER);

    const sdk::DataBlock request{4, reinterpret_cast<const std::uint8_t*>("abcd")};
    ASSERT_EQ(sdk::sdkGetResultImageWithData(handle, 1, 2, 50, &request, &images, &count), CAMX_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_GT(images[0].size, 8u);
}

TEST_F(SdkResultsTest, TemplatesAndTheGallery) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = captured();
    std::uint32_t count = 7;
    std::uint32_t used = 7;
    std::uint32_t maximum = 0;
    sdk::NameList names = nullptr;
    EXPECT_EQ(sdk::sdkLoadGallery(handle, &names, &count, &used, &maximum), CAMX_GAL_EMPTY);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(names, nullptr);
    EXPECT_GT(maximum, 0u);
    EXPECT_EQ(sdk::sdkLoadGallery(handle, &names, nullptr, nullptr, nullptr),
              CAMX_INVALID_PARAMETER);

    sdk::DataBlock block;
    ASSERT_EQ(sdk::sdkGetResultTemplate(handle, &block), CAMX_OK);
    ASSERT_GT(block.size, 0u);
    const std::string captured(reinterpret_cast<const char*>(block.data), block.size);
    const sdk::DataBlock capturedBlock{static_cast<std::uint32_t>(captured.size()),
                                       reinterpret_cast<const std::uint8_t*>(captured.data())};
    float distance = 9;
    ASSERT_EQ(sdk::sdkCompareWithTemplate(handle, &capturedBlock, &distance), CAMX_OK);
    EXPECT_LT(distance, 1.05f);
    sdk::MatchRecord match;
    ASSERT_EQ(sdk::sdkMatchTemplateBlock(handle, &capturedBlock, &match), CAMX_OK);
    ASSERT_EQ(sdk::sdkGetTemplateFromData(handle, nullptr, &block), CAMX_OK);
    EXPECT_GT(block.size, 0u);

    ASSERT_EQ(sdk::sdkAddTemplate(handle, "carol", &capturedBlock), CAMX_OK);
    ASSERT_EQ(sdk::sdkEnrollCapture(handle, "dave"), CAMX_OK);
    EXPECT_EQ(sdk::sdkEnrollCapture(handle, std::string(32, 'a').c_str()), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(camera.count(0x8007), 1);
    ASSERT_EQ(sdk::sdkListEnrollees(handle, &names, &count, &used, &maximum), CAMX_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(std::string(names[0]) + "," + names[1], "carol,dave");
    EXPECT_GT(used, 0u);
    ASSERT_EQ(sdk::sdkListEnrolleesOtherForm(handle, nullptr, &count, nullptr, nullptr), CAMX_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(camera.count(0x9008), 1);

    ASSERT_EQ(sdk::sdkGetEnrolleeTemplate(handle, "carol", &block), CAMX_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data), block.size), captured);
    ASSERT_EQ(sdk::sdkCompareWithEnrollee(handle, "dave", &distance), CAMX_OK);
    EXPECT_LT(distance, 1.05f);
    const sdk::IdentifyCandidate* candidates = nullptr;
    ASSERT_EQ(sdk::sdkIdentifyCapture(handle, 1.05f, &candidates, &count), CAMX_OK);
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(sdk::sdkGetEnrolleeRecord(handle, "dave", &match), CAMX_OK);
    EXPECT_GE(match.words[5], 1u);

    ASSERT_EQ(sdk::sdkUnenroll(handle, "carol"), CAMX_OK);
    EXPECT_EQ(sdk::sdkGetEnrolleeRecord(handle, "carol", &match), CAMX_GAL_ID_NOT_EXIST);
    ASSERT_EQ(sdk::sdkUnenroll(handle, nullptr), CAMX_OK);
    EXPECT_EQ(camera.count(0x8015), 1);
    ASSERT_EQ(sdk::sdkCommitGallery(handle), CAMX_OK);
    EXPECT_EQ(sdk::sdkListEnrollees(handle, nullptr, &count, nullptr, nullptr), CAMX_GAL_EMPTY);
    EXPECT_EQ(count, 0u);
}

TEST_F(SdkResultsTest, CameraConfigurationRoundTrip) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    sdk::CameraConfig config;
    ASSERT_EQ(sdk::sdkGetCameraConfig(handle, &config), CAMX_OK);
    EXPECT_EQ(config.field9, 2);  // USB
    config.imposterThreshold = 1.5f;
    ASSERT_EQ(sdk::sdkSetCameraConfig(handle, &config), CAMX_OK);
    sdk::CameraConfig read;
    ASSERT_EQ(sdk::sdkGetCameraConfig(handle, &read), CAMX_OK);
    EXPECT_FLOAT_EQ(read.imposterThreshold, 1.5f);
    config.field9 = 6;  // the serial value on a USB camera
    EXPECT_EQ(sdk::sdkSetCameraConfig(handle, &config), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(camera.count(0x10C1), 1);
}

}  // namespace
