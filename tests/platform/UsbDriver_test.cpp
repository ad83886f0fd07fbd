#include "platform/UsbDriver.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <fstream>

#include "platform/FakeUsbDevice.h"
#include "platform/UsbWire.h"
#include "support/TempDir.h"

namespace {

using platform::UsbDriver;
using platform::UsbIoResult;
using platform::UsbOpenResult;
namespace wire = platform::usbwire;
using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size, std::uint8_t seed = 1) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

UsbIoResult setTimeout(UsbDriver& driver, std::uint32_t ms) {
    std::uint8_t in[4] = {static_cast<std::uint8_t>(ms), static_cast<std::uint8_t>(ms >> 8),
                          static_cast<std::uint8_t>(ms >> 16), static_cast<std::uint8_t>(ms >> 24)};
    std::uint8_t out[4];
    std::size_t outSize = 0;
    return driver.control(wire::kIoctlSetTimeout, in, 4, out, 4, &outSize);
}

class UsbDriverTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::string path =
        dir.file("usb#vid_2e4b&pid_2001#T1#" + std::string(wire::kInterfaceClassGuid));
};

TEST_F(UsbDriverTest, OpenReportsMissingRefusedAndStaleDevices) {
    UsbDriver driver;
    EXPECT_EQ(driver.open(path), UsbOpenResult::NotFound);
    EXPECT_FALSE(driver.isOpen());

    // A socket file nobody listens on any more (a device that crashed).
    {
        const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(fd);
    }
    EXPECT_EQ(driver.open(path), UsbOpenResult::Failed);
    unlink(path.c_str());

    // A plain file in the device's place.
    std::ofstream(path) << "not a device";
    EXPECT_EQ(driver.open(path), UsbOpenResult::Failed);
    unlink(path.c_str());
}

TEST_F(UsbDriverTest, ASecondHostIsDeniedWhileTheFirstHoldsTheDevice) {
    fakes::FakeUsbDevice device(path);
    UsbDriver first;
    UsbDriver second;
    ASSERT_EQ(first.open(path), UsbOpenResult::Ok);
    EXPECT_EQ(second.open(path), UsbOpenResult::AccessDenied);
    EXPECT_FALSE(second.isOpen());
    first.close();
    ASSERT_TRUE(device.waitForLog("disconnected"));
    EXPECT_EQ(second.open(path), UsbOpenResult::Ok);

    device.accept = false;
    UsbDriver third;
    EXPECT_EQ(third.open(path), UsbOpenResult::AccessDenied);
}

TEST_F(UsbDriverTest, LargeTransfersTravelInChunksAndArriveWhole) {
    fakes::FakeUsbDevice device(path);
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);
    const Bytes out = pattern(3 * wire::kMaxBulkChunk + 100);
    std::size_t written = 0;
    ASSERT_EQ(driver.write(out.data(), out.size(), &written), UsbIoResult::Ok);
    EXPECT_EQ(written, out.size());
    ASSERT_TRUE(device.waitForLog("transfer " + std::to_string(out.size())));
    EXPECT_EQ(device.transfers().back(), out);

    // An empty transfer is one packet with the end flag.
    ASSERT_EQ(driver.write(nullptr, 0, &written), UsbIoResult::Ok);
    EXPECT_TRUE(device.waitForLog("transfer 0"));

    const Bytes in = pattern(640 * 480 * 2 + 10, 9);
    device.sendTransfer(in);
    Bytes received(in.size());
    std::size_t got = 0;
    ASSERT_EQ(driver.read(received.data(), received.size(), &got), UsbIoResult::Ok);
    EXPECT_EQ(got, in.size());
    EXPECT_EQ(received, in);
}

TEST_F(UsbDriverTest, ReadsEndAtShortTransfersAndKeepTheRestForLater) {
    fakes::FakeUsbDevice device(path);
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);

    // A short transfer ends the read with what arrived.
    device.sendTransfer(pattern(40));
    Bytes buffer(88);
    std::size_t got = 0;
    ASSERT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Ok);
    EXPECT_EQ(got, 40u);

    // A transfer longer than the read leaves its tail for the next read.
    const Bytes longer = pattern(100, 3);
    device.sendTransfer(longer, 30);
    ASSERT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Ok);
    EXPECT_EQ(got, 88u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 88, longer.begin()));
    ASSERT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Ok);
    EXPECT_EQ(got, 12u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 12, longer.begin() + 88));

    // An empty transfer completes a read with 0 bytes.
    device.sendTransfer({});
    ASSERT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Ok);
    EXPECT_EQ(got, 0u);
}

TEST_F(UsbDriverTest, ReadsTimeOutAfterTheDriverTimeOutTheDeviceAcknowledged) {
    fakes::FakeUsbDevice device(path);
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);
    EXPECT_EQ(driver.timeoutMs(), 0u);
    ASSERT_EQ(setTimeout(driver, 30), UsbIoResult::Ok);
    EXPECT_EQ(driver.timeoutMs(), 30u);
    EXPECT_TRUE(device.waitForLog("control 5500a01c 30"));

    Bytes buffer(88);
    std::size_t got = 0;
    EXPECT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::TimedOut);
    EXPECT_EQ(got, 0u);

    // Part of a transfer, then silence: the read times out with what it consumed.
    device.sendTransfer(pattern(20), 20, false);
    EXPECT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::TimedOut);
    EXPECT_EQ(got, 20u);

    // A refused time-out request leaves the time-out in force.
    device.failControl(wire::kIoctlSetTimeout, true);
    EXPECT_EQ(setTimeout(driver, 0), UsbIoResult::Failed);
    EXPECT_EQ(driver.timeoutMs(), 30u);
}

TEST_F(UsbDriverTest, ControlRequestsCarryInputAndTruncatedOutput) {
    fakes::FakeUsbDevice device(path);
    device.driverVersion = 0x30001;
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);
    std::uint8_t zero[4] = {0, 0, 0, 0};
    std::uint8_t out[4] = {};
    std::size_t outSize = 0;
    ASSERT_EQ(driver.control(wire::kIoctlDriverVersion, zero, 4, out, 4, &outSize),
              UsbIoResult::Ok);
    EXPECT_EQ(outSize, 4u);
    EXPECT_EQ(fakes::FakeUsbDevice::u32(out), 0x30001u);

    // The vendor request answers 5 bytes; with room for 2 only 2 are stored.
    const std::uint8_t vendor[7] = {2, 2, 224, 0, 0, 0, 0};
    std::uint8_t small[2] = {};
    ASSERT_EQ(driver.control(wire::kIoctlVendorRequest, vendor, 7, small, 2, &outSize),
              UsbIoResult::Ok);
    EXPECT_EQ(outSize, 2u);
    EXPECT_TRUE(device.waitForLog("vendor 2 2 224"));

    device.failControl(wire::kIoctlDriverVersion, true);
    EXPECT_EQ(driver.control(wire::kIoctlDriverVersion, zero, 4, out, 4, &outSize),
              UsbIoResult::Failed);
}

TEST_F(UsbDriverTest, BulkDataArrivingDuringAControlRequestStaysQueued) {
    fakes::FakeUsbDevice device(path);
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);
    device.sendTransfer(pattern(88, 5));
    std::uint8_t zero[4] = {0, 0, 0, 0};
    std::uint8_t out[4];
    std::size_t outSize = 0;
    ASSERT_EQ(driver.control(wire::kIoctlFirmwareVersion, zero, 4, out, 4, &outSize),
              UsbIoResult::Ok);
    Bytes buffer(88);
    std::size_t got = 0;
    ASSERT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Ok);
    EXPECT_EQ(buffer, pattern(88, 5));
}

TEST_F(UsbDriverTest, APipeResetDropsWhatTheHostStillHolds) {
    fakes::FakeUsbDevice device(path);
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);
    device.sendTransfer(pattern(200, 5));
    Bytes buffer(88);
    std::size_t got = 0;
    ASSERT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Ok);  // 112 bytes left

    std::uint8_t three[4] = {3, 0, 0, 0};
    std::size_t none = 0;
    ASSERT_EQ(driver.control(wire::kIoctlPipe0, three, 4, nullptr, 0, &none), UsbIoResult::Ok);
    device.sendTransfer(pattern(88, 77));
    ASSERT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Ok);
    EXPECT_EQ(buffer, pattern(88, 77));
}

TEST_F(UsbDriverTest, ADeviceThatGoesAwayFailsTransfers) {
    fakes::FakeUsbDevice device(path);
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);
    device.dropConnection();
    Bytes buffer(88);
    std::size_t got = 0;
    EXPECT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Failed);
    std::uint8_t zero[4] = {};
    std::size_t outSize = 0;
    EXPECT_EQ(driver.control(wire::kIoctlDriverVersion, zero, 4, buffer.data(), 4, &outSize),
              UsbIoResult::Failed);
}

TEST_F(UsbDriverTest, PacketsTheFramingDoesNotAllowFailTheTransfer) {
    fakes::FakeUsbDevice device(path);
    UsbDriver driver;
    ASSERT_EQ(driver.open(path), UsbOpenResult::Ok);
    Bytes buffer(88);
    std::size_t got = 0;

    // Larger than any packet.
    Bytes oversized(wire::kMaxPacket + 10, 0);
    oversized[0] = static_cast<std::uint8_t>(wire::PacketKind::BulkIn);
    device.sendPacket(oversized);
    EXPECT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Failed);

    // A kind the device never sends, and a bulk packet without its flags byte.
    device.sendPacket({static_cast<std::uint8_t>(wire::PacketKind::BulkOut), 1, 2});
    EXPECT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Failed);
    device.sendPacket({static_cast<std::uint8_t>(wire::PacketKind::BulkIn)});
    EXPECT_EQ(driver.read(buffer.data(), 88, &got), UsbIoResult::Failed);
}

TEST_F(UsbDriverTest, EverythingFailsWhenClosed) {
    UsbDriver driver;
    Bytes buffer(88);
    std::size_t n = 0;
    EXPECT_EQ(driver.write(buffer.data(), 88, &n), UsbIoResult::Failed);
    EXPECT_EQ(driver.read(buffer.data(), 88, &n), UsbIoResult::Failed);
    EXPECT_EQ(driver.control(wire::kIoctlDriverVersion, nullptr, 0, nullptr, 0, &n),
              UsbIoResult::Failed);
}

}  // namespace
