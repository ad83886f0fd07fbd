#include "sdk/CCommUSB.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/FakeUsbDevice.h"
#include "platform/UsbWire.h"
#include "sdk/Exchange.h"
#include "sdk/FakeTransport.h"
#include "support/TempDir.h"

namespace {

using fakes::Bytes;
using fakes::Out;

class CCommUSBTest : public ::testing::Test {
protected:
    std::vector<std::string> controlLog() {
        std::vector<std::string> lines;
        for (const std::string& line : device.log()) {
            if (line.rfind("control", 0) == 0 || line.rfind("transfer", 0) == 0 ||
                line.rfind("vendor", 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    testsupport::TempDir dir;
    std::string path =
        dir.file("usb#vid_2e4b&pid_2001#S#" + std::string(platform::usbwire::kInterfaceClassGuid));
    fakes::FakeUsbDevice device{path};
    sdk::CCommUSB usb;
};

TEST_F(CCommUSBTest, OpenMapsTheDriversAnswers) {
    ASSERT_TRUE(usb.initialise());
    EXPECT_EQ(usb.open(dir.file("absent").c_str(), nullptr), CAMX_DEVICE_OPEN_FAILED);

    device.accept = false;
    EXPECT_EQ(usb.open(path.c_str(), nullptr), CAMX_DEVICE_ACCESS_DENIED);
    device.accept = true;

    device.driverVersion = 0x30000;
    EXPECT_EQ(usb.open(path.c_str(), nullptr), CAMX_VERSION_INCOMPATIBLE);
    EXPECT_FALSE(usb.isOpen());
    EXPECT_TRUE(device.waitForLog("disconnected"));

    device.clearLog();
    device.failControl(platform::usbwire::kIoctlDriverVersion, true);
    EXPECT_EQ(usb.open(path.c_str(), nullptr), CAMX_DEVICE_IO_FAILED);
    EXPECT_FALSE(usb.isOpen());
    EXPECT_TRUE(device.waitForLog("disconnected"));
    device.failControl(platform::usbwire::kIoctlDriverVersion, false);

    device.driverVersion = 0x30001;
    const std::uint32_t baud = 9600;  // ignored on USB
    ASSERT_EQ(usb.open(path.c_str(), &baud), CAMX_OK);
    EXPECT_TRUE(usb.isOpen());
    EXPECT_EQ(usb.path(), path);
    EXPECT_EQ(usb.blockSize(), 88u);
    EXPECT_EQ(usb.close(), CAMX_OK);
    EXPECT_TRUE(usb.path().empty());
    EXPECT_EQ(usb.close(), CAMX_DEVICE_NOT_OPEN);
}

TEST_F(CCommUSBTest, TransfersMapToStatuses) {
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    ASSERT_TRUE(usb.setTimeout(40));
    Bytes block(88, 0);
    EXPECT_EQ(usb.write(block.data(), 88), CAMX_OK);
    EXPECT_EQ(usb.lastStatus(), CAMX_OK);
    device.sendTransfer(Bytes(88, 1));
    EXPECT_EQ(usb.read(block.data(), 88), CAMX_OK);

    EXPECT_EQ(usb.read(block.data(), 88), CAMX_DEVICE_IO_TIMEOUT);
    EXPECT_EQ(usb.lastStatus(), CAMX_DEVICE_IO_TIMEOUT);
    EXPECT_EQ(usb.write(block.data(), 88), CAMX_OK);  // recovers first, see below

    device.sendTransfer(Bytes(50, 1));
    EXPECT_EQ(usb.read(block.data(), 88), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(usb.write(block.data(), 88), CAMX_OK);

    device.sendTransfer({});
    EXPECT_EQ(usb.read(block.data(), 88), CAMX_DEVICE_IO_TIMEOUT);  // 0 bytes: 9, not 10
    EXPECT_EQ(usb.write(block.data(), 88), CAMX_OK);

    device.dropConnection();
    EXPECT_EQ(usb.write(block.data(), 88), CAMX_DEVICE_IO_FAILED);
    EXPECT_EQ(usb.read(block.data(), 88), CAMX_DEVICE_IO_FAILED);
}

TEST_F(CCommUSBTest, ReadsAfterAFailureRecoverFirstToo) {
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    ASSERT_TRUE(usb.setTimeout(40));
    Bytes block(88, 0);
    ASSERT_EQ(usb.read(block.data(), 88), CAMX_DEVICE_IO_TIMEOUT);
    device.sendTransfer(Bytes(88, 0xEE));  // late, and drained by the recovery
    device.clearLog();
    EXPECT_EQ(usb.read(block.data(), 88), CAMX_DEVICE_IO_TIMEOUT);
    EXPECT_EQ(controlLog(), (std::vector<std::string>{"control 5500a01c 1", "control 5500a01c 40",
                                                      "control 5500a020 3", "control 5500a024 3"}));
}

TEST_F(CCommUSBTest, AReadThatTimedOutMakesTheNextWriteDrainAndResetThePipes) {
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    ASSERT_TRUE(usb.setTimeout(40));
    Bytes block(88, 0);
    ASSERT_EQ(usb.read(block.data(), 88), CAMX_DEVICE_IO_TIMEOUT);
    // A late answer arrives: 3000 stale bytes the next exchange must not see.
    device.sendTransfer(Bytes(3000, 0xEE));
    device.clearLog();

    ASSERT_EQ(usb.write(block.data(), 88), CAMX_OK);
    ASSERT_TRUE(device.waitForLog("transfer 88"));
    EXPECT_EQ(controlLog(), (std::vector<std::string>{"control 5500a01c 1", "control 5500a01c 40",
                                                      "control 5500a020 3", "control 5500a024 3",
                                                      "transfer 88"}));
    EXPECT_EQ(usb.lastStatus(), CAMX_OK);
    device.sendTransfer(Bytes(88, 0x11));
    ASSERT_EQ(usb.read(block.data(), 88), CAMX_OK);
    EXPECT_EQ(block, Bytes(88, 0x11));

    // A success leaves nothing to recover.
    device.clearLog();
    ASSERT_EQ(usb.write(block.data(), 88), CAMX_OK);
    ASSERT_TRUE(device.waitForLog("transfer 88"));
    EXPECT_EQ(controlLog(), (std::vector<std::string>{"transfer 88"}));
}

TEST_F(CCommUSBTest, AnInvalidReplyAlsoRecoversBeforeTheNextCommand) {
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    device.onTransfer([](fakes::FakeUsbDevice& d, const Bytes& transfer) {
        if (transfer.size() == 88) {
            d.sendTransfer(fakes::replyBlock(0x2007, 0));  // echoes the wrong code
        }
    });
    sdk::DeviceLink link;
    link.transport = &usb;
    link.firmwareVersion = 0x2001C;
    EXPECT_EQ(sdk::exchange(link, 0x2003, 0, 0), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(usb.lastStatus(), CAMX_DEVICE_IO_DATA_INVALID);
    device.clearLog();
    EXPECT_EQ(sdk::exchange(link, 0x2007, 0, 0), CAMX_OK);
    ASSERT_TRUE(device.waitForLog("transfer 88"));
    // The command's own time-out first, then the recovery inside its write.
    EXPECT_EQ(controlLog(), (std::vector<std::string>{"control 5500a01c 0", "control 5500a01c 1",
                                                      "control 5500a01c 0", "control 5500a020 3",
                                                      "control 5500a024 3", "transfer 88"}));
}

TEST_F(CCommUSBTest, FirmwareVersionAsksForTheSecondWordOfFirmware30017) {
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    std::uint32_t first = 0;
    std::uint32_t second = 9;
    device.firmwareVersion = 0x2001C;
    ASSERT_EQ(usb.firmwareVersion(&first, &second), CAMX_OK);
    EXPECT_EQ(first, 0x2001Cu);
    EXPECT_EQ(second, 0u);

    device.firmwareVersion = 0x30017;
    device.secondFirmwareWord = 0x40002;
    device.clearLog();
    ASSERT_EQ(usb.firmwareVersion(&first, &second), CAMX_OK);
    EXPECT_EQ(second, 0x40002u);
    EXPECT_TRUE(device.waitForLog("vendor 2 2 225"));

    device.failControl(platform::usbwire::kIoctlVendorRequest, true);
    ASSERT_EQ(usb.firmwareVersion(&first, &second), CAMX_OK);
    EXPECT_EQ(second, 0u);

    device.failControl(platform::usbwire::kIoctlFirmwareVersion, true);
    EXPECT_EQ(usb.firmwareVersion(&first, &second), CAMX_DEVICE_IO_FAILED);
}

TEST_F(CCommUSBTest, VendorRequestsCarryDirectionAndRequest) {
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    device.queueWakeAnswers({7});
    std::uint32_t answer = 0;
    ASSERT_EQ(usb.vendorRequest(false, 224, &answer), CAMX_OK);
    EXPECT_EQ(answer, 7u);
    ASSERT_EQ(usb.vendorRequest(true, 224, &answer), CAMX_OK);
    EXPECT_TRUE(device.waitForLog("vendor 2 2 224"));
    EXPECT_TRUE(device.waitForLog("vendor 2 1 224"));
    device.failControl(platform::usbwire::kIoctlVendorRequest, true);
    answer = 5;
    EXPECT_EQ(usb.vendorRequest(false, 224, &answer), CAMX_DEVICE_IO_FAILED);
    EXPECT_EQ(answer, 5u);
}

TEST_F(CCommUSBTest, PipeControlSelectorsAndDrain) {
    EXPECT_EQ(usb.pipeControl(0, 3, nullptr), CAMX_DEVICE_NOT_OPEN);
    EXPECT_EQ(usb.driverCommand(), CAMX_DEVICE_NOT_OPEN);
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    device.clearLog();
    EXPECT_EQ(usb.pipeControl(2, 7, nullptr), CAMX_OK);
    EXPECT_EQ(usb.pipeControl(3, 8, nullptr), CAMX_OK);
    EXPECT_EQ(usb.pipeControl(4, 0, nullptr), CAMX_OK);
    EXPECT_EQ(usb.pipeControl(5, 0, nullptr), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(usb.driverCommand(), CAMX_OK);
    EXPECT_EQ(controlLog(), (std::vector<std::string>{"control 5500a028 7", "control 5500a02c 8",
                                                      "control 5500a010 0", "control 5500a004 0"}));

    device.sendTransfer(Bytes(100, 0x42));
    sdk::DataBuffer drain;
    ASSERT_TRUE(drain.reserve(256));
    device.clearLog();
    EXPECT_EQ(usb.pipeControl(1, 3, &drain), CAMX_OK);
    EXPECT_EQ(drain.length(), 100u);
    EXPECT_EQ(drain.data()[99], 0x42);
    EXPECT_EQ(controlLog(), (std::vector<std::string>{"control 5500a01c 1", "control 5500a01c 0",
                                                      "control 5500a024 3"}));

    device.failControl(platform::usbwire::kIoctlPipe0, true);
    device.failControl(platform::usbwire::kIoctlPipeReset, true);
    device.failControl(platform::usbwire::kIoctlDriverCommand, true);
    EXPECT_EQ(usb.pipeControl(0, 3, nullptr), CAMX_DEVICE_IO_FAILED);
    EXPECT_EQ(usb.pipeControl(4, 0, nullptr), CAMX_OK);  // selector 4 always answers 0
    EXPECT_EQ(usb.driverCommand(), CAMX_DEVICE_IO_FAILED);
}

TEST_F(CCommUSBTest, TheWakeUpStepPollsTheCameraOverTheDriver) {
    ASSERT_EQ(usb.open(path.c_str(), nullptr), CAMX_OK);
    device.queueWakeAnswers({1, 1, 0});
    device.onTransfer([](fakes::FakeUsbDevice& d, const Bytes& transfer) {
        if (transfer.size() == 88) {
            d.sendTransfer(fakes::replyBlock(0x200A, 0));
        }
    });
    sdk::DeviceLink link;
    link.transport = &usb;
    link.firmwareVersion = 0x40000;
    device.clearLog();
    ASSERT_EQ(sdk::exchange(link, 0x200A, 0, 0), CAMX_OK);
    const std::vector<std::string> log = controlLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "vendor 2 2 224"), 3);
    EXPECT_EQ(log.back(), "transfer 88");
}

}  // namespace
