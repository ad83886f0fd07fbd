#include <string>

#include "platform/UsbDeviceDirectory.h"
#include "platform/UsbDriver.h"
#include "sdk/ProductTable.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::SdkSimTest;
using simtest::SimCamera;
using simtest::SimCameraOptions;

class SdkOpenTest : public SdkSimTest {
protected:
    static SimCameraOptions withFirmware(const std::string& firmware) {
        SimCameraOptions options;
        options.firmware = firmware;
        return options;
    }
};

TEST_F(SdkOpenTest, SameNameTwiceAnswersAlreadyOpenWithTheSameHandle) {
    addCamera();
    sdk::SdkHandle first = nullptr;
    sdk::SdkHandle second = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #1", &first), CAMX_OK);
    EXPECT_EQ(sdk::sdkOpenDevice("tavisor cmx-2000 #1", &second), CAMX_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(second, first);
    // The model name finds the same camera.
    EXPECT_EQ(sdk::sdkOpenDevice("TAVISOR CMX-2000", &second), CAMX_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(second, first);
}

TEST_F(SdkOpenTest, ThirdDistinctCameraIsTooMany) {
    for (int n = 1; n <= 3; ++n) {
        addCamera(serialNumbered(n));
    }
    sdk::SdkHandle handles[3] = {};
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #1", &handles[0]), CAMX_OK);
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #2", &handles[1]), CAMX_OK);
    EXPECT_NE(handles[0], handles[1]);
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #3", &handles[2]), CAMX_TOO_MANY_OPEN_DEVICES);
    // The refused camera is not left held.
    EXPECT_TRUE(released(*cameras[2]));
    ASSERT_EQ(sdk::sdkCloseDevice(handles[0]), CAMX_OK);
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #3", &handles[2]), CAMX_OK);
}

TEST_F(SdkOpenTest, UnknownNamesAndBadArguments) {
    addCamera();
    sdk::SdkHandle handle = nullptr;
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2100 #1", &handle), CAMX_DEVICE_NOT_FOUND);
    EXPECT_EQ(sdk::sdkOpenDevice("", &handle), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkOpenDevice(nullptr, &handle), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #1", nullptr), CAMX_INVALID_PARAMETER);
    const std::string tooLong(5000, 'x');
    EXPECT_EQ(sdk::sdkOpenDevice(tooLong.c_str(), &handle), CAMX_DEVICE_NOT_FOUND);
}

TEST_F(SdkOpenTest, OpenWithoutCameraAnswersNotFound) {
    sdk::SdkHandle handle = nullptr;
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000 #1", &handle), CAMX_DEVICE_NOT_FOUND);
}

TEST_F(SdkOpenTest, FirmwareMajorsOneAndFiveAreRefused) {
    addCamera(withFirmware("0x10005"));
    sdk::SdkHandle handle = nullptr;
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_VERSION_INCOMPATIBLE);
    EXPECT_TRUE(released(*cameras[0]));
    cameras[0]->stop();

    addCamera(withFirmware("0x50000"));
    sdk::sdkInit();
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_VERSION_INCOMPATIBLE);
}

TEST_F(SdkOpenTest, FirmwareWithoutMinorCountsAsItsMajor) {
    addCamera(withFirmware("0x00000003"));
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    sdk::DeviceInfo info;
    EXPECT_EQ(sdk::sdkGetDeviceInfo(handle, &info), CAMX_OK);
}

TEST_F(SdkOpenTest, SupportedMajorsOpen) {
    for (const char* firmware : {"0x20000", "0x2001c", "0x30017", "0x40003"}) {
        SCOPED_TRACE(firmware);
        SimCamera& camera = addCamera(withFirmware(firmware));
        sdk::SdkHandle handle = nullptr;
        EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
        EXPECT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
        camera.stop();
        sdk::sdkInit();
    }
}

TEST_F(SdkOpenTest, ResetOnOpenSendsStopEyeOptionAndReset) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    EXPECT_EQ(camera.count(0x200A), 0);
    EXPECT_EQ(camera.count(0x9005), 0);
    ASSERT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
    ASSERT_TRUE(released(camera));

    sdk::SdkConfig config;
    config.resetOnOpen = 1;
    ASSERT_EQ(sdk::sdkSetConfig(config), CAMX_OK);
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    EXPECT_EQ(camera.count(0x200A), 1);
    EXPECT_EQ(camera.count(0x200B), 1);
    EXPECT_EQ(camera.count(0x9005), 1);
}

TEST_F(SdkOpenTest, CloseReleasesTheCameraAndTheHandle) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    ASSERT_EQ(camera.state("open"), "1");
    EXPECT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
    EXPECT_EQ(camera.count(0x5001), 1);
    EXPECT_TRUE(released(camera));
    EXPECT_EQ(sdk::sdkCloseDevice(handle), CAMX_INVALID_HANDLE);
    sdk::DeviceInfo info;
    EXPECT_EQ(sdk::sdkGetDeviceInfo(handle, &info), CAMX_INVALID_HANDLE);
    EXPECT_EQ(sdk::sdkGetDeviceInfo(nullptr, &info), CAMX_INVALID_HANDLE);
    EXPECT_EQ(sdk::sdkGetDeviceInfo(reinterpret_cast<sdk::SdkHandle>(~std::uintptr_t(0)), &info),
              CAMX_INVALID_HANDLE);
}

TEST_F(SdkOpenTest, CloseDeinitialisesAnInitialisedCamera) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_EQ(sdk::sdkInitCamera(handle, &width, &height), CAMX_OK);
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(height, 480u);
    ASSERT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
    EXPECT_EQ(camera.count(0x2007), 1);
}

TEST_F(SdkOpenTest, CameraHeldByAnotherHostIsAccessDenied) {
    addCamera();
    std::vector<std::string> paths;
    ASSERT_EQ(platform::listDeviceInterfaces(dir.path(), paths), platform::EnumerationResult::Ok);
    ASSERT_EQ(paths.size(), 1u);
    platform::UsbDriver otherHost;
    ASSERT_EQ(otherHost.open(paths[0]), platform::UsbOpenResult::Ok);
    sdk::SdkHandle handle = nullptr;
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_DEVICE_ACCESS_DENIED);
    otherHost.close();
    ASSERT_TRUE(released(*cameras[0]));
    EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
}

TEST_F(SdkOpenTest, DeviceInformationComesFromTheCameraAndTheProductTable) {
    SimCameraOptions options = serialNumbered(7, "bino");
    addCamera(options);
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000D", &handle), CAMX_OK);
    sdk::DeviceInfo info;
    ASSERT_EQ(sdk::sdkGetDeviceInfo(handle, &info), CAMX_OK);
    const sdk::ProductEntry& product = sdk::defaultProduct(true);
    EXPECT_EQ(info.productId, product.productId);
    EXPECT_STREQ(info.modelName, product.modelName);
    EXPECT_EQ(info.typeCode, product.typeCode);
    EXPECT_EQ(info.binocular, 1);
    EXPECT_STREQ(info.serialNumber, "SIM00007");
    EXPECT_EQ(sdk::sdkGetDeviceInfo(handle, nullptr), CAMX_INVALID_PARAMETER);
}

class SdkSerialOpenTest : public SdkSimTest {};

TEST_F(SdkSerialOpenTest, PortOpensByPathAndTellsItsProduct) {
    SimCameraOptions options = serialCamera("ttyCam");
    options.model = "bino";
    SimCamera& camera = addCamera(options);
    useSerial();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice(options.serialLink.c_str(), &handle), CAMX_OK);
    EXPECT_EQ(camera.count(0x10A0), 1);
    sdk::DeviceInfo info;
    ASSERT_EQ(sdk::sdkGetDeviceInfo(handle, &info), CAMX_OK);
    EXPECT_EQ(info.binocular, 1);
    EXPECT_STREQ(info.modelName, sdk::defaultProduct(true).modelName);
    sdk::SdkHandle again = nullptr;
    EXPECT_EQ(sdk::sdkOpenDevice(options.serialLink.c_str(), &again), CAMX_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(again, handle);
    EXPECT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
}

TEST_F(SdkSerialOpenTest, MissingPortIsNotFound) {
    useSerial();
    sdk::SdkHandle handle = nullptr;
    const std::string port = dir.path() + "/nothing";
    EXPECT_EQ(sdk::sdkOpenDevice(port.c_str(), &handle), CAMX_DEVICE_NOT_FOUND);
}

TEST_F(SdkSerialOpenTest, FailedProductQueryFailsTheOpen) {
    SimCameraOptions options = serialCamera("ttyCam");
    SimCamera& camera = addCamera(options);
    useSerial();
    ASSERT_EQ(camera.control("fail 10a0 1008"), "ok");
    sdk::SdkHandle handle = nullptr;
    EXPECT_EQ(sdk::sdkOpenDevice(options.serialLink.c_str(), &handle), CAMX_DEV_BAD_DATA);
    ASSERT_TRUE(released(camera));
    EXPECT_EQ(sdk::sdkOpenDevice(options.serialLink.c_str(), &handle), CAMX_OK);
}

}  // namespace
