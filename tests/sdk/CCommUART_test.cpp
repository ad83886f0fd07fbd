#include "sdk/CCommUART.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <fstream>

#include "platform/PtyPair.h"
#include "sdk/Exchange.h"
#include "sdk/FakeTransport.h"
#include "support/TempDir.h"

namespace {

using fakes::Bytes;
using fakes::Out;

class CCommUARTTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(uart.initialise());
        ASSERT_EQ(uart.open(pty.slavePath().c_str(), nullptr), CAMX_OK);
    }
    fakes::PtyPair pty;
    sdk::CCommUART uart;
};

TEST(CCommUARTOpenTest, OpenMapsPortErrors) {
    testsupport::TempDir dir;
    sdk::CCommUART uart;
    ASSERT_TRUE(uart.initialise());
    EXPECT_EQ(uart.baudRate(), 115200u);
    EXPECT_EQ(uart.open(dir.file("ttyNOPE").c_str(), nullptr), CAMX_DEVICE_NOT_FOUND);
    std::ofstream(dir.file("plain")) << "x";
    EXPECT_EQ(uart.open(dir.file("plain").c_str(), nullptr), CAMX_DEVICE_OPEN_FAILED);
    EXPECT_FALSE(uart.isOpen());

    fakes::PtyPair pty;
    sdk::CCommUART holder;
    ASSERT_EQ(holder.open(pty.slavePath().c_str(), nullptr), CAMX_OK);
    EXPECT_EQ(uart.open(pty.slavePath().c_str(), nullptr), CAMX_DEVICE_ACCESS_DENIED);
    EXPECT_EQ(holder.close(), CAMX_OK);
    const std::uint32_t baud = 921600;
    uart.setFlowControl(true);
    ASSERT_EQ(uart.open(pty.slavePath().c_str(), &baud), CAMX_OK);
    EXPECT_EQ(uart.baudRate(), 921600u);
    EXPECT_EQ(uart.path(), pty.slavePath());
    termios settings{};
    ASSERT_EQ(tcgetattr(pty.master(), &settings), 0);
    EXPECT_EQ(uart.close(), CAMX_OK);
    EXPECT_EQ(uart.close(), CAMX_DEVICE_NOT_OPEN);
}

TEST_F(CCommUARTTest, TheMonitorRunsWhileThePortIsOpen) {
    ASSERT_NE(uart.port().monitor(), nullptr);
    EXPECT_TRUE(uart.port().monitor()->running());
    EXPECT_EQ(uart.eventMask(), 0x1FCu);
    EXPECT_EQ(uart.close(), CAMX_OK);
    EXPECT_EQ(uart.port().monitor(), nullptr);
}

TEST_F(CCommUARTTest, TheReadTimeOutIsTheCommandsOrTheDefault) {
    EXPECT_TRUE(uart.setTimeout(0));
    EXPECT_EQ(uart.port().readTimeoutConstant(), 3000u);
    EXPECT_TRUE(uart.setTimeout(300000));
    EXPECT_EQ(uart.port().readTimeoutConstant(), 300000u);
    EXPECT_EQ(uart.timeout(), 300000u);
    EXPECT_TRUE(uart.setTimeout(0));
    EXPECT_EQ(uart.port().readTimeoutConstant(), 3000u);
}

TEST_F(CCommUARTTest, ReadsAnswerZeroPartOrAll) {
    ASSERT_TRUE(uart.setTimeout(50));
    Bytes block(88, 0);
    EXPECT_EQ(uart.read(block.data(), 88), CAMX_DEVICE_IO_TIMEOUT);
    pty.send(Bytes(40, 1));
    EXPECT_EQ(uart.read(block.data(), 88), CAMX_DEVICE_IO_DATA_INVALID);  // part of a block
    pty.send(Bytes(88, 2));
    EXPECT_EQ(uart.read(block.data(), 88), CAMX_OK);
    EXPECT_EQ(block, Bytes(88, 2));
    EXPECT_EQ(uart.write(block.data(), 88), CAMX_OK);
    EXPECT_EQ(pty.receive(88), Bytes(88, 2));
    pty.closeMaster();
    EXPECT_EQ(uart.read(block.data(), 88), CAMX_DEVICE_IO_FAILED);
}

TEST_F(CCommUARTTest, SlotsWithoutMeaningOnSerialLines) {
    EXPECT_EQ(uart.driverCommand(), CAMX_UNSUPPORTED_COMMAND);
    EXPECT_EQ(uart.pipeControl(0, 3, nullptr), CAMX_OK);
    std::uint32_t answer = 0;
    EXPECT_EQ(uart.vendorRequest(false, 224, &answer), CAMX_UNSUPPORTED_COMMAND);
    std::uint32_t second = 0;
    EXPECT_EQ(uart.firmwareVersion(&answer, &second), CAMX_UNSUPPORTED_COMMAND);
}

TEST_F(CCommUARTTest, CommandsDiscardStaleInputBeforeSending) {
    sdk::DeviceLink link;
    link.transport = &uart;
    link.kind = sdk::LinkKind::Serial;
    link.firmwareVersion = 0x2001C;
    // A stale reply sits in the port's input; the command must not take it for its answer.
    pty.send(fakes::replyBlock(0x200E, 0, {9}));
    usleep(50000);
    std::thread camera([&] {
        const Bytes command = pty.receive(88);
        if (command.size() == 88) {
            pty.send(fakes::replyBlock(0x200E, 0, {3}));
        }
    });
    ASSERT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_OK);
    camera.join();
    std::uint8_t status = 0;
    sdk::replyResults(link).readU8(&status);
    EXPECT_EQ(status, 3);
}

}  // namespace
