#include "simulator/SimulatorHarness.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/UsbWire.h"
#include "simulator/ByteReader.h"
#include "simulator/ByteWriter.h"

namespace ocusim::test {

namespace wire = platform::usbwire;

SimulatorHarness::SimulatorHarness(SimOptions options) {
    options.deviceDir = directory_.path();
    options.quiet = true;
    simulator_ = std::make_unique<Simulator>(options);
    started_ = simulator_->start(error_);
    if (started_) {
        thread_ = std::thread([this] { simulator_->run(); });
    }
}

SimulatorHarness::~SimulatorHarness() {
    stop();
}

void SimulatorHarness::stop() {
    if (simulator_) {
        simulator_->requestStop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    simulator_.reset();
}

std::vector<std::uint8_t> commandBlock(std::uint16_t code,
                                       const std::vector<std::uint8_t>& params) {
    ByteWriter writer;
    writer.u32(0xADDE3201);
    writer.u32(static_cast<std::uint32_t>(12 + params.size()));
    writer.u16(code);
    writer.u16(0);
    writer.bytes(params);
    writer.fill(0, 76 - params.size());
    return writer.take();
}

TestReply parseReplyBlock(const std::vector<std::uint8_t>& bytes) {
    TestReply reply;
    if (bytes.size() != 88) {
        return reply;
    }
    ByteReader reader(bytes.data(), bytes.size());
    reader.u32();
    const std::uint32_t length = reader.u32();
    reply.code = reader.u16();
    reply.status = reader.u16();
    if (length < 12 || length > 88) {
        return reply;
    }
    reply.received = true;
    reply.results.assign(bytes.begin() + 12, bytes.begin() + length);
    return reply;
}

UsbTestClient::UsbTestClient(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
        return;
    }
    std::vector<std::uint8_t> hello;
    if (receivePacket(3000, hello) && hello.size() == 2 &&
        hello[0] == static_cast<std::uint8_t>(wire::PacketKind::Hello)) {
        accepted_ = hello[1];
    }
}

UsbTestClient::~UsbTestClient() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool UsbTestClient::receivePacket(int timeoutMs, std::vector<std::uint8_t>& packet) {
    pollfd ready{fd_, POLLIN, 0};
    if (fd_ < 0 || ::poll(&ready, 1, timeoutMs) <= 0) {
        return false;
    }
    packet.resize(wire::kMaxPacket + 64);
    const ssize_t size = ::recv(fd_, packet.data(), packet.size(), 0);
    if (size <= 0) {
        return false;
    }
    packet.resize(static_cast<std::size_t>(size));
    return true;
}

bool UsbTestClient::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t offset = 0;
    do {
        const std::size_t chunk = std::min(wire::kMaxBulkChunk, bytes.size() - offset);
        std::vector<std::uint8_t> packet = {
            static_cast<std::uint8_t>(wire::PacketKind::BulkOut),
            offset + chunk == bytes.size() ? wire::kEndOfTransfer : std::uint8_t{0}};
        packet.insert(packet.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                      bytes.begin() + static_cast<std::ptrdiff_t>(offset + chunk));
        if (::send(fd_, packet.data(), packet.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(packet.size())) {
            return false;
        }
        offset += chunk;
    } while (offset < bytes.size());
    return true;
}

std::vector<std::uint8_t> UsbTestClient::read(std::size_t count, int timeoutMs) {
    std::vector<std::uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        if (pending_.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            std::vector<std::uint8_t> packet;
            if (left.count() <= 0 || !receivePacket(static_cast<int>(left.count()), packet)) {
                break;
            }
            if (packet.size() >= 2 &&
                packet[0] == static_cast<std::uint8_t>(wire::PacketKind::BulkIn)) {
                pending_.push_back({std::vector<std::uint8_t>(packet.begin() + 2, packet.end()),
                                    (packet[1] & wire::kEndOfTransfer) != 0});
            }
            continue;
        }
        Segment& segment = pending_.front();
        const std::size_t take = std::min(count - out.size(), segment.bytes.size());
        out.insert(out.end(), segment.bytes.begin(),
                   segment.bytes.begin() + static_cast<std::ptrdiff_t>(take));
        segment.bytes.erase(segment.bytes.begin(),
                            segment.bytes.begin() + static_cast<std::ptrdiff_t>(take));
        if (segment.bytes.empty()) {
            const bool end = segment.end;
            pending_.pop_front();
            if (end) {
                break;
            }
        }
    }
    return out;
}

std::vector<std::uint8_t> UsbTestClient::control(std::uint32_t code, std::uint32_t capacity,
                                                 const std::vector<std::uint8_t>& input, bool& ok) {
    ok = false;
    ByteWriter request;
    request.u8(static_cast<std::uint8_t>(wire::PacketKind::Control));
    request.u32(code);
    request.u32(capacity);
    request.bytes(input);
    if (::send(fd_, request.data().data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size())) {
        return {};
    }
    std::vector<std::uint8_t> packet;
    while (receivePacket(3000, packet)) {
        if (packet.size() >= 2 &&
            packet[0] == static_cast<std::uint8_t>(wire::PacketKind::BulkIn)) {
            pending_.push_back({std::vector<std::uint8_t>(packet.begin() + 2, packet.end()),
                                (packet[1] & wire::kEndOfTransfer) != 0});
            continue;
        }
        ByteReader reader(packet.data(), packet.size());
        if (reader.u8() != static_cast<std::uint8_t>(wire::PacketKind::ControlReply) ||
            reader.u32() != code) {
            return {};
        }
        ok = reader.u32() == 0 && reader.ok();
        const std::size_t size = reader.remaining();
        const std::uint8_t* output = reader.bytes(size);
        return std::vector<std::uint8_t>(output, output + size);
    }
    return {};
}

TestReply UsbTestClient::command(std::uint16_t code, const std::vector<std::uint8_t>& params,
                                 const std::vector<std::uint8_t>* dataOut) {
    if (!write(commandBlock(code, params))) {
        return {};
    }
    TestReply reply = parseReplyBlock(read(88));
    if (dataOut != nullptr && reply.received && reply.status == 0) {
        write(*dataOut);
        reply = parseReplyBlock(read(88));
    }
    return reply;
}

TestReply UsbTestClient::commandIn(std::uint16_t code, const std::vector<std::uint8_t>& params,
                                   std::vector<std::uint8_t>& data) {
    data.clear();
    TestReply reply = command(code, params);
    if (reply.received && reply.results.size() >= 4) {
        ByteReader reader(reply.results.data(), reply.results.size());
        const std::uint32_t length = reader.u32();
        if (length > 0) {
            data = read(length);
        }
    }
    return reply;
}

std::string controlCommand(const std::string& socketPath, const std::string& line) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return {};
    }
    const std::string request = line + "\n";
    std::string answer;
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
        char c;
        pollfd ready{fd, POLLIN, 0};
        while (::poll(&ready, 1, 3000) > 0 && ::recv(fd, &c, 1, 0) == 1 && c != '\n') {
            answer.push_back(c);
        }
    }
    ::close(fd);
    return answer;
}

}  // namespace ocusim::test
