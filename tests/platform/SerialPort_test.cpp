#include "platform/SerialPort.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <fstream>

#include "platform/PtyPair.h"
#include "support/TempDir.h"

namespace {

using platform::SerialIoResult;
using platform::SerialOpenResult;
using platform::SerialPort;
using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 13 + 1);
    }
    return bytes;
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slavePath().empty());
        ASSERT_EQ(port.open(pty.slavePath()), SerialOpenResult::Ok);
        ASSERT_TRUE(port.configure(115200, false));
    }
    fakes::PtyPair pty;
    SerialPort port;
};

TEST(SerialPortOpenTest, MissingNonTerminalAndTakenPortsAreTold) {
    testsupport::TempDir dir;
    SerialPort port;
    EXPECT_EQ(port.open(dir.file("ttyNONE")), SerialOpenResult::NotFound);
    EXPECT_EQ(port.open(dir.file("no-dir/ttyS0")), SerialOpenResult::NotFound);

    // A plain file opens but refuses terminal settings.
    std::ofstream(dir.file("plain")) << "x";
    ASSERT_EQ(port.open(dir.file("plain")), SerialOpenResult::Ok);
    EXPECT_FALSE(port.configure(115200, false));
    port.close();

    fakes::PtyPair pty;
    SerialPort first;
    SerialPort second;
    ASSERT_EQ(first.open(pty.slavePath()), SerialOpenResult::Ok);
    EXPECT_EQ(second.open(pty.slavePath()), SerialOpenResult::AccessDenied);
    first.close();
    EXPECT_EQ(second.open(pty.slavePath()), SerialOpenResult::Ok);
}

TEST_F(SerialPortTest, SettingsAreRaw8N1AtTheBaudRate) {
    termios settings{};
    ASSERT_EQ(tcgetattr(pty.master(), &settings), 0);  // the pair shares one termios
    termios slave{};
    int fd = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(tcgetattr(fd, &slave), 0);
    EXPECT_EQ(cfgetospeed(&slave), B115200);
    EXPECT_EQ(slave.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(slave.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(slave.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(slave.c_oflag & OPOST, 0u);

    ASSERT_TRUE(port.configure(921600, true));
    ASSERT_EQ(tcgetattr(fd, &slave), 0);
    EXPECT_EQ(cfgetospeed(&slave), B921600);
    EXPECT_NE(slave.c_cflag & CRTSCTS, 0u);

    // A rate without a B-constant goes through the kernel's arbitrary-rate interface.
    EXPECT_TRUE(port.configure(56000, false));
    close(fd);
}

TEST_F(SerialPortTest, BytesPassBothWaysUnchanged) {
    const Bytes out = pattern(5000);
    std::size_t written = 0;
    ASSERT_EQ(port.write(out.data(), out.size(), &written), SerialIoResult::Ok);
    EXPECT_EQ(written, out.size());
    EXPECT_EQ(pty.receive(out.size()), out);

    const Bytes in = pattern(3000);
    pty.send(in);
    Bytes buffer(in.size());
    std::size_t received = 0;
    ASSERT_EQ(port.read(buffer.data(), buffer.size(), &received), SerialIoResult::Ok);
    EXPECT_EQ(received, in.size());
    EXPECT_EQ(buffer, in);
}

TEST_F(SerialPortTest, TheReadTimeOutEndsAReadWithWhatArrived) {
    port.setReadTimeoutConstant(50);
    Bytes buffer(88);
    std::size_t received = 7;
    ASSERT_EQ(port.read(buffer.data(), 88, &received), SerialIoResult::Ok);
    EXPECT_EQ(received, 0u);

    pty.send(pattern(30));
    ASSERT_EQ(port.read(buffer.data(), 88, &received), SerialIoResult::Ok);
    EXPECT_EQ(received, 30u);
}

TEST_F(SerialPortTest, TheReadConstantIsTheDefaultUntilReplaced) {
    EXPECT_EQ(port.readTimeoutConstant(), SerialPort::kDefaultReadConstantMs);
    port.setReadTimeoutConstant(300000);
    EXPECT_EQ(port.readTimeoutConstant(), 300000u);
    ASSERT_TRUE(port.configure(115200, false));
    EXPECT_EQ(port.readTimeoutConstant(), SerialPort::kDefaultReadConstantMs);
}

TEST_F(SerialPortTest, DiscardingDropsPendingInput) {
    pty.send(pattern(50));
    // Wait until the bytes reached the port's input queue.
    for (int i = 0; i < 200; ++i) {
        int pending = 0;
        ioctl(pty.master(), TIOCOUTQ, &pending);
        int queued = 0;
        int fd = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ioctl(fd, FIONREAD, &queued);
        close(fd);
        if (queued == 50) {
            break;
        }
        usleep(1000);
    }
    ASSERT_TRUE(port.discardInput());
    pty.send({0xAB});
    port.setReadTimeoutConstant(200);
    Bytes buffer(10);
    std::size_t received = 0;
    ASSERT_EQ(port.read(buffer.data(), 10, &received), SerialIoResult::Ok);
    ASSERT_EQ(received, 1u);
    EXPECT_EQ(buffer[0], 0xAB);
}

TEST_F(SerialPortTest, AHangUpFailsReads) {
    pty.closeMaster();
    Bytes buffer(10);
    std::size_t received = 0;
    EXPECT_EQ(port.read(buffer.data(), 10, &received), SerialIoResult::Failed);
}

TEST_F(SerialPortTest, TheMonitorRunsOnAPortWithoutModemLines) {
    int bits = 0;
    const bool hasLines = port.modemStatus(&bits);
    ASSERT_TRUE(port.startMonitor(2000));
    ASSERT_NE(port.monitor(), nullptr);
    EXPECT_TRUE(port.monitor()->running());
    EXPECT_EQ(port.monitor()->modemStatusAvailable(), hasLines);
    // Transfers go on while it runs.
    pty.send(pattern(10));
    Bytes buffer(10);
    std::size_t received = 0;
    ASSERT_EQ(port.read(buffer.data(), 10, &received), SerialIoResult::Ok);
    EXPECT_EQ(received, 10u);
    port.close();
    EXPECT_EQ(port.monitor(), nullptr);
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPortClosedTest, EverythingFailsWhenClosed) {
    SerialPort port;
    Bytes buffer(4);
    std::size_t n = 0;
    EXPECT_EQ(port.write(buffer.data(), 4, &n), SerialIoResult::Failed);
    EXPECT_EQ(port.read(buffer.data(), 4, &n), SerialIoResult::Failed);
    EXPECT_FALSE(port.discardInput());
    EXPECT_FALSE(port.configure(115200, false));
    EXPECT_FALSE(port.startMonitor(100));
}

}  // namespace
