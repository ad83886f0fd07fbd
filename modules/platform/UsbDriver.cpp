#include "platform/UsbDriver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/UsbWire.h"

namespace platform {

namespace {

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int remainingMs(std::int64_t deadlineMs) {
    const std::int64_t left = deadlineMs - nowMs();
    return left <= 0 ? 0 : static_cast<int>(std::min<std::int64_t>(left, 1 << 30));
}

void putU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t getU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Resets of the bulk pipes drop what the host still holds of earlier transfers.
bool resetsInboundPipe(std::uint32_t code) {
    return code == usbwire::kIoctlPipe0 || code == usbwire::kIoctlPipe1 ||
           code == usbwire::kIoctlPipeReset;
}

}  // namespace

UsbDriver::UsbDriver() : fd_(-1), timeoutMs_(0), packet_(usbwire::kMaxPacket), packetSize_(0) {}

UsbDriver::~UsbDriver() {
    close();
}

UsbOpenResult UsbDriver::open(const std::string& path) {
    close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return path.empty() ? UsbOpenResult::NotFound : UsbOpenResult::Failed;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return UsbOpenResult::Failed;
    }
    // A local connect either completes or fails at once; EAGAIN means the device's backlog is
    // full, which the caller sees as an open failure.
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == ENOENT || error == ENOTDIR) {
            return UsbOpenResult::NotFound;
        }
        return (error == EACCES || error == EPERM) ? UsbOpenResult::AccessDenied
                                                   : UsbOpenResult::Failed;
    }
    fd_ = fd;
    timeoutMs_ = 0;
    inbound_.clear();

    // The device's first packet says whether this connection may use it.
    const std::int64_t deadline = nowMs() + kDefaultTimeoutMs;
    pollfd waiter{fd_, POLLIN, 0};
    std::uint8_t hello[2] = {0, 0};
    ssize_t got = -1;
    while (got < 0) {
        if (poll(&waiter, 1, remainingMs(deadline)) <= 0) {
            break;
        }
        got = recv(fd_, hello, sizeof hello, 0);
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        }
    }
    if (got == 2 && hello[0] == static_cast<std::uint8_t>(usbwire::PacketKind::Hello)) {
        if (hello[1] != 0) {
            return UsbOpenResult::Ok;
        }
        close();
        return UsbOpenResult::AccessDenied;
    }
    close();
    return UsbOpenResult::Failed;
}

void UsbDriver::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    inbound_.clear();
    timeoutMs_ = 0;
}

std::int64_t UsbDriver::bulkDeadline() const {
    return nowMs() + (timeoutMs_ == 0 ? kDefaultTimeoutMs : timeoutMs_);
}

UsbIoResult UsbDriver::sendPacket(const std::uint8_t* bytes, std::size_t size,
                                  std::int64_t deadlineMs) {
    for (;;) {
        if (send(fd_, bytes, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size)) {
            return UsbIoResult::Ok;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return UsbIoResult::Failed;
        }
        pollfd waiter{fd_, POLLOUT, 0};
        const int ready = poll(&waiter, 1, remainingMs(deadlineMs));
        if (ready == 0) {
            return UsbIoResult::TimedOut;
        }
        if (ready < 0 && errno != EINTR) {
            return UsbIoResult::Failed;
        }
    }
}

UsbIoResult UsbDriver::receivePacket(std::int64_t deadlineMs, bool* isControlReply) {
    *isControlReply = false;
    for (;;) {
        msghdr message{};
        iovec vector{packet_.data(), packet_.size()};
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        const ssize_t got = recvmsg(fd_, &message, 0);
        if (got > 0) {
            if ((message.msg_flags & MSG_TRUNC) != 0) {
                return UsbIoResult::Failed;  // larger than any packet the framing allows
            }
            packetSize_ = static_cast<std::size_t>(got);
            break;
        }
        if (got == 0) {
            return UsbIoResult::Failed;  // the device went away
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return UsbIoResult::Failed;
        }
        pollfd waiter{fd_, POLLIN, 0};
        const int ready = poll(&waiter, 1, remainingMs(deadlineMs));
        if (ready == 0) {
            return UsbIoResult::TimedOut;
        }
        if (ready < 0 && errno != EINTR) {
            return UsbIoResult::Failed;
        }
    }

    const auto kind = static_cast<usbwire::PacketKind>(packet_[0]);
    if (kind == usbwire::PacketKind::BulkIn && packetSize_ >= usbwire::kBulkHeaderSize) {
        Segment segment;
        segment.bytes.assign(packet_.begin() + usbwire::kBulkHeaderSize,
                             packet_.begin() + static_cast<std::ptrdiff_t>(packetSize_));
        segment.endOfTransfer = (packet_[1] & usbwire::kEndOfTransfer) != 0;
        inbound_.push_back(std::move(segment));
        return UsbIoResult::Ok;
    }
    if (kind == usbwire::PacketKind::ControlReply && packetSize_ >= usbwire::kControlHeaderSize) {
        *isControlReply = true;
        return UsbIoResult::Ok;
    }
    return UsbIoResult::Failed;  // not a packet a device sends
}

UsbIoResult UsbDriver::write(const void* bytes, std::size_t count, std::size_t* written) {
    *written = 0;
    if (fd_ < 0) {
        return UsbIoResult::Failed;
    }
    const std::int64_t deadline = bulkDeadline();
    const auto* source = static_cast<const std::uint8_t*>(bytes);
    std::vector<std::uint8_t>& out = packet_;
    do {
        const std::size_t chunk = std::min(count - *written, usbwire::kMaxBulkChunk);
        const bool last = *written + chunk == count;
        out[0] = static_cast<std::uint8_t>(usbwire::PacketKind::BulkOut);
        out[1] = last ? usbwire::kEndOfTransfer : 0;
        if (chunk > 0) {
            std::memcpy(out.data() + usbwire::kBulkHeaderSize, source + *written, chunk);
        }
        const UsbIoResult sent = sendPacket(out.data(), usbwire::kBulkHeaderSize + chunk, deadline);
        if (sent != UsbIoResult::Ok) {
            return sent;
        }
        *written += chunk;
    } while (*written < count);
    return UsbIoResult::Ok;
}

UsbIoResult UsbDriver::read(void* buffer, std::size_t count, std::size_t* received) {
    *received = 0;
    if (fd_ < 0) {
        return UsbIoResult::Failed;
    }
    const std::int64_t deadline = bulkDeadline();
    auto* target = static_cast<std::uint8_t*>(buffer);
    for (;;) {
        while (!inbound_.empty()) {
            Segment& front = inbound_.front();
            const std::size_t take = std::min(count - *received, front.bytes.size() - front.offset);
            if (take > 0) {
                std::memcpy(target + *received, front.bytes.data() + front.offset, take);
                front.offset += take;
                *received += take;
            }
            const bool segmentDone = front.offset == front.bytes.size();
            const bool transferEnded = segmentDone && front.endOfTransfer;
            if (segmentDone) {
                inbound_.pop_front();
            }
            if (transferEnded || *received == count) {
                return UsbIoResult::Ok;
            }
        }
        bool controlReply = false;
        const UsbIoResult got = receivePacket(deadline, &controlReply);
        if (got != UsbIoResult::Ok) {
            return got;
        }
        // A control reply nobody waits for any more (its request timed out) is dropped.
    }
}

UsbIoResult UsbDriver::control(std::uint32_t code, const void* input, std::size_t inputSize,
                               void* output, std::size_t outputCapacity, std::size_t* outputSize) {
    *outputSize = 0;
    if (fd_ < 0) {
        return UsbIoResult::Failed;
    }
    const std::size_t requestSize = usbwire::kControlHeaderSize + inputSize;
    if (requestSize > usbwire::kMaxPacket) {
        return UsbIoResult::Failed;
    }
    std::uint8_t* request = packet_.data();
    request[0] = static_cast<std::uint8_t>(usbwire::PacketKind::Control);
    putU32(request + 1, code);
    putU32(request + 5, static_cast<std::uint32_t>(outputCapacity));
    if (inputSize > 0) {
        std::memcpy(request + usbwire::kControlHeaderSize, input, inputSize);
    }
    const std::int64_t deadline = nowMs() + kControlTimeoutMs;
    const UsbIoResult sent = sendPacket(request, requestSize, deadline);
    if (sent != UsbIoResult::Ok) {
        return sent;
    }
    for (;;) {
        bool controlReply = false;
        const UsbIoResult got = receivePacket(deadline, &controlReply);
        if (got != UsbIoResult::Ok) {
            return got;
        }
        if (!controlReply || getU32(packet_.data() + 1) != code) {
            continue;  // bulk data stays queued; a stale reply to an earlier request is dropped
        }
        if (getU32(packet_.data() + 5) != 0) {
            return UsbIoResult::Failed;
        }
        *outputSize = std::min(outputCapacity, packetSize_ - usbwire::kControlHeaderSize);
        if (*outputSize > 0) {
            std::memcpy(output, packet_.data() + usbwire::kControlHeaderSize, *outputSize);
        }
        break;
    }
    if (code == usbwire::kIoctlSetTimeout && inputSize >= 4) {
        timeoutMs_ = getU32(static_cast<const std::uint8_t*>(input));
    }
    if (resetsInboundPipe(code)) {
        inbound_.clear();
    }
    return UsbIoResult::Ok;
}

}  // namespace platform
