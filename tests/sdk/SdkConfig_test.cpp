#include "sdk/SdkConfig.h"

#include "sdk/SdkSimFixture.h"

namespace {

using simtest::SdkSimTest;
using simtest::SimCamera;
using simtest::SimCameraOptions;

sdk::SdkConfig serial(std::uint32_t baud, std::uint32_t flow = 0) {
    sdk::SdkConfig config;
    config.connectionKind = sdk::kConnectionSerial;
    config.baudRate = baud;
    config.flowControl = flow;
    return config;
}

TEST(SdkConfigValidation, RefusesWhatNoLinkCanUse) {
    sdk::SdkConfig config;
    EXPECT_EQ(sdk::validateSdkConfig(config), CAMX_OK);
    config.connectionKind = 0;
    EXPECT_EQ(sdk::validateSdkConfig(config), CAMX_INVALID_PARAMETER);
    config.connectionKind = 3;
    EXPECT_EQ(sdk::validateSdkConfig(config), CAMX_INVALID_PARAMETER);

    EXPECT_EQ(sdk::validateSdkConfig(serial(56000)), CAMX_OK);
    EXPECT_EQ(sdk::validateSdkConfig(serial(55999)), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::validateSdkConfig(serial(115200, 1)), CAMX_OK);
    EXPECT_EQ(sdk::validateSdkConfig(serial(115200, 2)), CAMX_INVALID_PARAMETER);

    // Baud rate and flow control matter to serial lines only.
    sdk::SdkConfig usb;
    usb.baudRate = 0;
    usb.flowControl = 7;
    EXPECT_EQ(sdk::validateSdkConfig(usb), CAMX_OK);

    usb.resetOnOpen = 1;
    EXPECT_EQ(sdk::validateSdkConfig(usb), CAMX_OK);
    usb.resetOnOpen = 2;
    EXPECT_EQ(sdk::validateSdkConfig(usb), CAMX_INVALID_PARAMETER);
}

TEST(SdkConfigValidation, WhichChangesCloseTheOpenDevices) {
    const sdk::SdkConfig usb;
    sdk::SdkConfig usbOtherBaud = usb;
    usbOtherBaud.baudRate = 921600;
    EXPECT_FALSE(sdk::configChangeClosesDevices(usb, usbOtherBaud));
    EXPECT_TRUE(sdk::configChangeClosesDevices(usb, serial(115200)));
    EXPECT_TRUE(sdk::configChangeClosesDevices(serial(115200), usb));
    EXPECT_TRUE(sdk::configChangeClosesDevices(serial(115200), serial(921600)));
    EXPECT_FALSE(sdk::configChangeClosesDevices(serial(115200), serial(115200, 1)));
    sdk::SdkConfig reset = usb;
    reset.resetOnOpen = 1;
    EXPECT_FALSE(sdk::configChangeClosesDevices(usb, reset));
}

class SdkConfigTest : public SdkSimTest {};

TEST_F(SdkConfigTest, ReadsBackWhatWasSetWithTheUnusedFlagClear) {
    sdk::SdkConfig config = serial(921600, 1);
    config.unusedFlag = 1;
    config.resetOnOpen = 1;
    ASSERT_EQ(sdk::sdkSetConfig(config), CAMX_OK);
    sdk::SdkConfig read;
    read.unusedFlag = 9;
    ASSERT_EQ(sdk::sdkGetConfig(&read), CAMX_OK);
    EXPECT_EQ(read.connectionKind, sdk::kConnectionSerial);
    EXPECT_EQ(read.baudRate, 921600u);
    EXPECT_EQ(read.flowControl, 1u);
    EXPECT_EQ(read.resetOnOpen, 1);
    EXPECT_EQ(read.unusedFlag, 0);
    EXPECT_EQ(sdk::sdkGetConfig(nullptr), CAMX_INVALID_PARAMETER);
    // A refused configuration changes nothing.
    EXPECT_EQ(sdk::sdkSetConfig(serial(1200)), CAMX_INVALID_PARAMETER);
    ASSERT_EQ(sdk::sdkGetConfig(&read), CAMX_OK);
    EXPECT_EQ(read.baudRate, 921600u);
}

TEST_F(SdkConfigTest, SameKindKeepsDevicesOpenAndAnotherKindClosesThem) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);

    sdk::SdkConfig config;
    config.resetOnOpen = 1;
    ASSERT_EQ(sdk::sdkSetConfig(config), CAMX_OK);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_OK);
    EXPECT_EQ(camera.state("open"), "1");

    ASSERT_EQ(sdk::sdkSetConfig(serial(115200)), CAMX_OK);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_INVALID_HANDLE);
    EXPECT_TRUE(released(camera));
    EXPECT_EQ(camera.count(0x5001), 1);  // closed as a close does
}

TEST_F(SdkConfigTest, SerialBaudChangeClosesAndFlowControlChangeDoesNot) {
    SimCameraOptions options = serialCamera("ttyCam");
    SimCamera& camera = addCamera(options);
    useSerial();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice(options.serialLink.c_str(), &handle), CAMX_OK);

    ASSERT_EQ(sdk::sdkSetConfig(serial(115200, 1)), CAMX_OK);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_OK);

    ASSERT_EQ(sdk::sdkSetConfig(serial(230400)), CAMX_OK);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_INVALID_HANDLE);
    EXPECT_TRUE(released(camera));
}

TEST_F(SdkConfigTest, KindChangeEmptiesTheScanList) {
    SimCamera& first = addCamera(serialNumbered(1));
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::sdkScanDevices(&names, &count), CAMX_OK);
    first.stop();
    addCamera(serialNumbered(2));
    ASSERT_EQ(sdk::sdkSetConfig(serial(115200)), CAMX_OK);
    ASSERT_EQ(sdk::sdkSetConfig(sdk::SdkConfig()), CAMX_OK);
    // With the old list gone, the open scans again and finds the camera present now.
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #1", &handle), CAMX_OK);
    sdk::DeviceInfo info;
    ASSERT_EQ(sdk::sdkGetDeviceInfo(handle, &info), CAMX_OK);
    EXPECT_STREQ(info.serialNumber, "SIM00002");
}

}  // namespace
