#include "platform/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/SerialBaudRate.h"

namespace platform {

namespace {

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

speed_t standardSpeed(std::uint32_t baudRate) {
    switch (baudRate) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 500000:
            return B500000;
        case 576000:
            return B576000;
        case 921600:
            return B921600;
        case 1000000:
            return B1000000;
        case 1152000:
            return B1152000;
        case 1500000:
            return B1500000;
        case 2000000:
            return B2000000;
        case 3000000:
            return B3000000;
        case 4000000:
            return B4000000;
        default:
            return B0;
    }
}

}  // namespace

SerialPort::SerialPort() : fd_(-1), readConstantMs_(kDefaultReadConstantMs) {}

SerialPort::~SerialPort() {
    close();
}

SerialOpenResult SerialPort::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
            case ENOENT:
            case ENOTDIR:
                return SerialOpenResult::NotFound;
            case EACCES:
            case EPERM:
            case EBUSY:
                return SerialOpenResult::AccessDenied;
            default:
                return SerialOpenResult::Failed;
        }
    }
    // Not shared: a second holder (another process, or another open here) is refused.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? SerialOpenResult::AccessDenied : SerialOpenResult::Failed;
    }
    fd_ = fd;
    readConstantMs_ = kDefaultReadConstantMs;
    return SerialOpenResult::Ok;
}

bool SerialPort::configure(std::uint32_t baudRate, bool hardwareFlowControl) {
    termios settings{};
    if (fd_ < 0 || tcgetattr(fd_, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    if (hardwareFlowControl) {
        settings.c_cflag |= CRTSCTS;
    }
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // With the descriptor non-blocking, VMIN 1 makes an empty read answer EAGAIN and keeps a
    // read of 0 bytes for a hang-up; the time-outs are kept here with poll().
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    const speed_t speed = standardSpeed(baudRate);
    if (speed != B0) {
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
    }
    if (tcsetattr(fd_, TCSANOW, &settings) != 0) {
        return false;
    }
    if (speed == B0 && !setTerminalBaudRate(fd_, baudRate)) {
        return false;
    }
    if (hardwareFlowControl) {
        // Hold RTS on; a port without modem lines has nothing to raise.
        int rts = TIOCM_RTS;
        ioctl(fd_, TIOCMBIS, &rts);
    }
    readConstantMs_ = kDefaultReadConstantMs;
    return true;
}

void SerialPort::close() {
    if (monitor_) {
        monitor_->stop();
        monitor_.reset();
    }
    if (fd_ >= 0) {
        ::close(fd_);  // also releases the lock
        fd_ = -1;
    }
}

bool SerialPort::startMonitor(std::uint32_t startedWaitMs) {
    if (fd_ < 0) {
        return false;
    }
    monitor_ = std::make_unique<LineEventMonitor>([this](int* bits) { return modemStatus(bits); });
    if (!monitor_->start(startedWaitMs)) {
        monitor_.reset();
        return false;
    }
    return true;
}

bool SerialPort::modemStatus(int* bits) const {
    return fd_ >= 0 && ioctl(fd_, TIOCMGET, bits) == 0;
}

bool SerialPort::discardInput() {
    return fd_ >= 0 && tcflush(fd_, TCIFLUSH) == 0;
}

SerialIoResult SerialPort::write(const void* bytes, std::size_t count, std::size_t* written) {
    *written = 0;
    if (fd_ < 0) {
        return SerialIoResult::Failed;
    }
    const std::int64_t deadline =
        nowMs() + static_cast<std::int64_t>(kWriteMultiplierMs) * count + kWriteConstantMs;
    const auto* source = static_cast<const std::uint8_t*>(bytes);
    while (*written < count) {
        const ssize_t done = ::write(fd_, source + *written, count - *written);
        if (done > 0) {
            *written += static_cast<std::size_t>(done);
            continue;
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return SerialIoResult::Failed;
        }
        const std::int64_t left = deadline - nowMs();
        if (left <= 0) {
            break;
        }
        pollfd waiter{fd_, POLLOUT, 0};
        if (poll(&waiter, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            return SerialIoResult::Failed;
        }
    }
    return SerialIoResult::Ok;
}

SerialIoResult SerialPort::read(void* buffer, std::size_t count, std::size_t* received) {
    *received = 0;
    if (fd_ < 0) {
        return SerialIoResult::Failed;
    }
    const std::int64_t deadline =
        nowMs() + static_cast<std::int64_t>(kReadMultiplierMs) * count + readConstantMs_;
    std::int64_t lastByte = 0;
    auto* target = static_cast<std::uint8_t*>(buffer);
    while (*received < count) {
        const ssize_t done = ::read(fd_, target + *received, count - *received);
        if (done > 0) {
            *received += static_cast<std::size_t>(done);
            lastByte = nowMs();
            continue;
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            return SerialIoResult::Failed;  // hang-up or port error
        }
        std::int64_t limit = deadline;
        if (*received > 0) {
            limit = std::min(limit, lastByte + kReadIntervalMs);
        }
        const std::int64_t left = limit - nowMs();
        if (left <= 0) {
            break;
        }
        pollfd waiter{fd_, POLLIN, 0};
        const int ready = poll(&waiter, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            return SerialIoResult::Failed;
        }
        if (ready > 0 && (waiter.revents & POLLIN) == 0 && (waiter.revents & (POLLHUP | POLLERR))) {
            return SerialIoResult::Failed;
        }
    }
    return SerialIoResult::Ok;
}

}  // namespace platform
