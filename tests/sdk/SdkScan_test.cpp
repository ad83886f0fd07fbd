#include <string>

#include "sdk/ProductTable.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::SdkSimTest;

class SdkScanTest : public SdkSimTest {};

TEST_F(SdkScanTest, NoCameraAnswersNotFoundWithoutNames) {
    sdk::NameList names = reinterpret_cast<sdk::NameList>(this);
    std::uint32_t count = 7;
    EXPECT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_DEVICE_NOT_FOUND);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(count, 0u);
}

TEST_F(SdkScanTest, OneCameraIsListedByModelAndPosition) {
    addCamera();
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(names[0], "Tavisor CMX-2000 #1");
}

TEST_F(SdkScanTest, SixthCameraIsIgnored) {
    for (int n = 1; n <= 6; ++n) {
        addCamera(serialNumbered(n));
    }
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_OK);
    ASSERT_EQ(count, 5u);
    for (std::uint32_t i = 0; i < count; ++i) {
        EXPECT_EQ(std::string(names[i]), "Tavisor CMX-2000 #" + std::to_string(i + 1));
    }
    // The five kept are the first five in the platform's order; the sixth has no name.
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #5", &handle), CAMX_OK);
    sdk::DeviceInfo info;
    ASSERT_EQ(sdk::sdkGetDeviceInfo(handle, &info), CAMX_OK);
    EXPECT_STREQ(info.serialNumber, "SIM00005");
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #6", &handle), CAMX_DEVICE_NOT_FOUND);
}

TEST_F(SdkScanTest, CamerasOfOtherMakersAndProductsAreNotListed) {
    simtest::SimCameraOptions foreign = serialNumbered(1);
    foreign.vendorId = "0x1234";
    addCamera(foreign);
    simtest::SimCameraOptions unknown = serialNumbered(2);
    unknown.productId = "0x2999";
    addCamera(unknown);
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    EXPECT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_DEVICE_NOT_FOUND);

    addCamera(serialNumbered(3, "bino"));
    ASSERT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(names[0], "Tavisor CMX-2000D #1");
}

TEST_F(SdkScanTest, ScanOnSerialConfigurationIsUnsupported) {
    addCamera();
    useSerial();
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    EXPECT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_UNSUPPORTED_COMMAND);
}

TEST_F(SdkScanTest, NullOutputsAreInvalidParameters) {
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    EXPECT_EQ(sdk::sdkScanDevices(nullptr, &count), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkScanDevices(&names, nullptr), CAMX_INVALID_PARAMETER);
}

TEST_F(SdkScanTest, ScanClosesDevicesWhoseCameraIsGone) {
    simtest::SimCamera& first = addCamera(serialNumbered(1));
    addCamera(serialNumbered(2));
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #1", &handle), CAMX_OK);
    ASSERT_EQ(sdk::sdkCheckHandle(handle), CAMX_OK);

    first.stop();  // unplugged: its device interface disappears
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_INVALID_HANDLE);
    sdk::DeviceInfo info;
    EXPECT_EQ(sdk::sdkGetDeviceInfo(handle, &info), CAMX_INVALID_HANDLE);
}

TEST_F(SdkScanTest, ScanFindingNothingKeepsOpenDevices) {
    simtest::SimCamera& camera = addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    camera.stop();
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    EXPECT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_DEVICE_NOT_FOUND);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_OK);
    EXPECT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
}

}  // namespace
