#include "simulator/UsbEndpoint.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/UsbWire.h"
#include "simulator/ByteReader.h"
#include "simulator/ByteWriter.h"
#include "simulator/DeviceDirectory.h"

namespace ocusim {

namespace wire = platform::usbwire;

namespace {

// No command takes a data phase larger than this; a longer transfer is dropped, not buffered.
constexpr std::size_t kMaxInboundTransfer = 0xAB000 + 4096;

}  // namespace

UsbEndpoint::UsbEndpoint(std::string socketPath, DeviceSession& session, DriverState& driver,
                         CameraDevice& camera)
    : path_(std::move(socketPath)), session_(session), driver_(driver), camera_(camera) {}

UsbEndpoint::~UsbEndpoint() {
    if (host_ >= 0) {
        ::close(host_);
    }
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(path_.c_str());
    }
}

bool UsbEndpoint::open(std::string& error) {
    listener_ = listenUnix(path_, SOCK_SEQPACKET, error);
    return listener_ >= 0;
}

void UsbEndpoint::collect(PollList& list, Clock::time_point now, Clock::time_point& wake) {
    if (listener_ >= 0) {
        list.add(listener_, POLLIN, [this](short) { accept(Clock::now()); });
    }
    if (host_ < 0) {
        return;
    }
    short events = POLLIN;
    const bool controlWaiting = !controlReplies_.empty();
    const bool bulkDue = !bulk_.empty() && bulk_.front().notBefore <= now;
    if (controlWaiting || bulkDue) {
        events |= POLLOUT;
    } else if (!bulk_.empty()) {
        wake = std::min(wake, bulk_.front().notBefore);
    }
    const int fd = host_;
    list.add(fd, events, [this, fd](short revents) {
        if (host_ != fd) {
            return;
        }
        const Clock::time_point at = Clock::now();
        if (revents & (POLLIN | POLLHUP | POLLERR)) {
            receive(at);
        }
        if (host_ == fd && (revents & POLLOUT)) {
            flush(at);
        }
    });
}

void UsbEndpoint::accept(Clock::time_point now) {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        if (host_ >= 0) {
            // The held connection may have closed without the loop having read its hang-up yet;
            // a driver's close is synchronous, so a host reopening at once must find the camera
            // free. Reading it now takes its last packets and notices the hang-up.
            receive(now);
        }
        const bool accepted = host_ < 0;
        const std::uint8_t hello[2] = {static_cast<std::uint8_t>(wire::PacketKind::Hello),
                                       static_cast<std::uint8_t>(accepted ? 1 : 0)};
        const bool sent = ::send(fd, hello, sizeof hello, MSG_NOSIGNAL) == sizeof hello;
        if (!accepted || !sent) {
            ::close(fd);
            continue;
        }
        host_ = fd;
        inbound_.clear();
        inboundOverflow_ = false;
        session_.reset();
        camera_.noteActivity(now);
    }
}

void UsbEndpoint::disconnectHost(Clock::time_point now) {
    if (host_ < 0) {
        return;
    }
    ::close(host_);
    host_ = -1;
    inbound_.clear();
    inboundOverflow_ = false;
    controlReplies_.clear();
    bulk_.clear();
    session_.reset();
    camera_.hostDetached(now);
}

void UsbEndpoint::receive(Clock::time_point now) {
    std::vector<std::uint8_t> packet(wire::kMaxPacket + 64);
    while (host_ >= 0) {
        const ssize_t size = ::recv(host_, packet.data(), packet.size(), MSG_DONTWAIT);
        if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return;
        }
        if (size <= 0) {
            disconnectHost(now);
            return;
        }
        handlePacket(packet.data(), static_cast<std::size_t>(size), now);
    }
}

void UsbEndpoint::handlePacket(const std::uint8_t* packet, std::size_t size,
                               Clock::time_point now) {
    ByteReader reader(packet, size);
    const auto kind = static_cast<wire::PacketKind>(reader.u8());
    if (kind == wire::PacketKind::BulkOut) {
        const std::uint8_t flags = reader.u8();
        const std::size_t payload = reader.remaining();
        const std::uint8_t* bytes = reader.bytes(payload);
        if (!reader.ok()) {
            return;
        }
        if (inbound_.size() + payload > kMaxInboundTransfer) {
            inboundOverflow_ = true;
            inbound_.clear();
        } else if (!inboundOverflow_) {
            inbound_.insert(inbound_.end(), bytes, bytes + payload);
        }
        if (flags & wire::kEndOfTransfer) {
            std::vector<Outbound> out;
            if (!inboundOverflow_) {
                session_.onTransfer(inbound_.data(), inbound_.size(), now, out);
            }
            inbound_.clear();
            inboundOverflow_ = false;
            for (const Outbound& transfer : out) {
                queueTransfer(transfer);
            }
            flush(now);
        }
        return;
    }
    if (kind != wire::PacketKind::Control) {
        return;
    }
    const std::uint32_t code = reader.u32();
    const std::uint32_t capacity = reader.u32();
    if (!reader.ok()) {
        return;
    }
    const std::size_t inputSize = reader.remaining();
    const DriverState::Answer answer =
        driver_.handle(code, capacity, reader.bytes(inputSize), inputSize, now);
    if (answer.action == DriverState::PipeAction::ResetInbound ||
        answer.action == DriverState::PipeAction::ResetBoth) {
        inbound_.clear();
        inboundOverflow_ = false;
        session_.reset();
    }
    if (answer.action == DriverState::PipeAction::ResetOutbound ||
        answer.action == DriverState::PipeAction::ResetBoth) {
        bulk_.clear();
    }
    ByteWriter reply(wire::kControlHeaderSize + answer.output.size());
    reply.u8(static_cast<std::uint8_t>(wire::PacketKind::ControlReply));
    reply.u32(code);
    reply.u32(answer.ok ? 0 : 1);
    if (answer.ok) {
        reply.bytes(answer.output.data(), std::min<std::size_t>(answer.output.size(), capacity));
    }
    controlReplies_.push_back({reply.take(), now});
    flush(now);
}

void UsbEndpoint::queueTransfer(const Outbound& transfer) {
    std::size_t offset = 0;
    do {
        const std::size_t chunk = std::min(wire::kMaxBulkChunk, transfer.bytes.size() - offset);
        const bool last = offset + chunk == transfer.bytes.size();
        Packet packet;
        packet.bytes.reserve(wire::kBulkHeaderSize + chunk);
        packet.bytes.push_back(static_cast<std::uint8_t>(wire::PacketKind::BulkIn));
        packet.bytes.push_back(last ? wire::kEndOfTransfer : 0);
        packet.bytes.insert(packet.bytes.end(), transfer.bytes.begin() + offset,
                            transfer.bytes.begin() + offset + chunk);
        packet.notBefore = transfer.notBefore;
        bulk_.push_back(std::move(packet));
        offset += chunk;
    } while (offset < transfer.bytes.size());
}

bool UsbEndpoint::sendQueue(std::deque<Packet>& queue, Clock::time_point now) {
    while (host_ >= 0 && !queue.empty() && queue.front().notBefore <= now) {
        const Packet& packet = queue.front();
        const ssize_t sent =
            ::send(host_, packet.bytes.data(), packet.bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return false;
        }
        if (sent < 0) {
            disconnectHost(now);
            return false;
        }
        queue.pop_front();
    }
    return host_ >= 0;
}

void UsbEndpoint::flush(Clock::time_point now) {
    const bool hadOutput = !bulk_.empty();
    if (sendQueue(controlReplies_, now) && controlReplies_.empty()) {
        sendQueue(bulk_, now);
    }
    if (hadOutput && bulk_.empty() && host_ >= 0) {
        camera_.noteActivity(now);
    }
}

}  // namespace ocusim
