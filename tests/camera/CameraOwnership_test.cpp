// One camera object holds at most one device, and only one it opened itself.

#include <gtest/gtest.h>

#include "camera/Camx2000Impl.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::SdkSimTest;
using simtest::SimCamera;
using vantrel_camera::Camx2000Impl;

class CameraOwnershipTest : public SdkSimTest {};

TEST_F(CameraOwnershipTest, OpeningAnotherNameClosesTheDeviceHeld) {
    SimCamera& first = addCamera(serialNumbered(1));
    SimCamera& second = addCamera(serialNumbered(2));
    Camx2000Impl camera;
    ASSERT_EQ(camera.openDevice("Tavisor CMX-2000 #1"), CAMX_OK);
    ASSERT_EQ(camera.openDevice("Tavisor CMX-2000 #2"), CAMX_OK);
    EXPECT_TRUE(released(first));
    EXPECT_EQ(second.state("open"), "1");
    vantrel_camera::DeviceInfo info;
    ASSERT_EQ(camera.getDeviceInfo(&info), CAMX_OK);
    EXPECT_STREQ(info.serialNumber, "SIM00002");
    // The first camera's registry slot is free again: two others can be open at once.
    addCamera(serialNumbered(3));
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(camera.scanDevices(&names, &count), CAMX_OK);
    Camx2000Impl other;
    EXPECT_EQ(other.openDevice("Tavisor CMX-2000 #3"), CAMX_OK);
}

TEST_F(CameraOwnershipTest, AnotherObjectsDeviceIsNotTakenOver) {
    SimCamera& sim = addCamera();
    Camx2000Impl owner;
    Camx2000Impl intruder;
    ASSERT_EQ(owner.openDevice("Tavisor CMX-2000"), CAMX_OK);
    EXPECT_EQ(intruder.openDevice("Tavisor CMX-2000"), CAMX_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(intruder.isOpen(), 0);
    // The intruder cannot close or use the owner's device.
    EXPECT_EQ(intruder.closeDevice(), CAMX_INVALID_HANDLE);
    EXPECT_EQ(sim.state("open"), "1");
    vantrel_camera::DeviceInfo info;
    EXPECT_EQ(owner.getDeviceInfo(&info), CAMX_OK);
    // Opening its own camera again keeps it.
    EXPECT_EQ(owner.openDevice("Tavisor CMX-2000"), CAMX_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(owner.isOpen(), 1);
}

TEST_F(CameraOwnershipTest, DeviceClosedByAScanIsDropped) {
    SimCamera& first = addCamera(serialNumbered(1));
    addCamera(serialNumbered(2));
    Camx2000Impl camera;
    ASSERT_EQ(camera.openDevice("Tavisor CMX-2000 #1"), CAMX_OK);
    first.stop();  // unplugged
    sdk::NameList names = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(camera.scanDevices(&names, &count), CAMX_OK);
    EXPECT_EQ(camera.isOpen(), 0);

    // Another object's device, perhaps at the address the dropped one had, is out of reach.
    Camx2000Impl other;
    ASSERT_EQ(other.openDevice("Tavisor CMX-2000 #1"), CAMX_OK);
    EXPECT_EQ(camera.closeDevice(), CAMX_INVALID_HANDLE);
    vantrel_camera::DeviceInfo info;
    EXPECT_EQ(other.getDeviceInfo(&info), CAMX_OK);
    EXPECT_STREQ(info.serialNumber, "SIM00002");
}

TEST_F(CameraOwnershipTest, ConnectionChangeDropsTheDevice) {
    addCamera();
    Camx2000Impl camera;
    ASSERT_EQ(camera.openDevice("Tavisor CMX-2000"), CAMX_OK);
    sdk::SdkConfig config;
    ASSERT_EQ(camera.getSdkConfig(&config), CAMX_OK);
    config.connectionKind = sdk::kConnectionSerial;
    ASSERT_EQ(camera.setSdkConfig(config), CAMX_OK);
    EXPECT_EQ(camera.isOpen(), 0);
}

TEST_F(CameraOwnershipTest, HandleFoundStaleByAnyCallIsDropped) {
    addCamera();
    Camx2000Impl camera;
    ASSERT_EQ(camera.openDevice("Tavisor CMX-2000"), CAMX_OK);
    sdk::sdkInit();  // closes every device behind the object's back
    EXPECT_EQ(camera.isOpen(), 1);
    std::uint8_t status = 0;
    EXPECT_EQ(camera.getCaptureStatus(&status), CAMX_INVALID_HANDLE);
    EXPECT_EQ(camera.isOpen(), 0);
}

}  // namespace
