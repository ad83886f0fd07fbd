#pragma once

// A scriptable USB camera on the device side of the wire in platform/UsbWire.h, for testing the
// host side without the simulator. It listens on a SOCK_SEQPACKET socket, greets one host at a
// time (a second one is refused), logs every packet, answers the driver's control requests and
// hands each complete bulk transfer to `onTransfer`.

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/UsbWire.h"

namespace fakes {

namespace wire = platform::usbwire;

class FakeUsbDevice {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit FakeUsbDevice(std::string path) : path_(std::move(path)) {
        listener_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path_.c_str());
        unlink(path_.c_str());
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 4) != 0) {
            std::perror("fake device");
        }
        wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        thread_ = std::thread([this] { run(); });
    }

    ~FakeUsbDevice() {
        stop_ = true;
        wakeUp();
        thread_.join();
        close(wake_);
        closeConnection();
        close(listener_);
        unlink(path_.c_str());
    }

    // Device behaviour; set before the host connects or under the device's own lock.
    std::atomic<bool> accept{true};
    std::atomic<std::uint32_t> driverVersion{0x30001};
    std::atomic<std::uint32_t> firmwareVersion{0x2001C};
    std::atomic<std::uint32_t> secondFirmwareWord{0x40002};

    // Called on the device thread with every complete bulk transfer from the host.
    void onTransfer(std::function<void(FakeUsbDevice&, const Bytes&)> handler) {
        std::lock_guard<std::mutex> lock(mutex_);
        transferHandler_ = std::move(handler);
    }
    // Makes the next requests with `code` fail (result 1) while `failing` is set.
    void failControl(std::uint32_t code, bool failing) {
        std::lock_guard<std::mutex> lock(mutex_);
        failing_[code] = failing;
    }
    // Answers for vendor request 224, consumed in order; 0 once they are used up.
    void queueWakeAnswers(std::vector<std::uint32_t> answers) {
        std::lock_guard<std::mutex> lock(mutex_);
        wakeAnswers_.assign(answers.begin(), answers.end());
    }

    // Sends one transfer to the host in packets of at most `chunk` bytes; the last carries the
    // end-of-transfer flag unless `end` is false.
    void sendTransfer(const Bytes& bytes, std::size_t chunk = wire::kMaxBulkChunk,
                      bool end = true) {
        std::size_t at = 0;
        do {
            const std::size_t n = std::min(chunk, bytes.size() - at);
            Bytes packet{static_cast<std::uint8_t>(wire::PacketKind::BulkIn), 0};
            packet.insert(packet.end(), bytes.begin() + at, bytes.begin() + at + n);
            at += n;
            if (at == bytes.size() && end) {
                packet[1] = wire::kEndOfTransfer;
            }
            sendPacket(packet);
        } while (at < bytes.size());
    }
    // Queues a packet for the host; the device thread sends queued packets in order.
    void sendPacket(const Bytes& packet) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            outbound_.push_back(packet);
        }
        wakeUp();
    }
    // Ends the host's connection as a device that goes away (done on the device thread).
    void dropConnection() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            dropRequested_ = true;
        }
        wakeUp();
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [this] { return !dropRequested_; });
    }

    // Log lines: "hello 1", "transfer <n>", "control <code hex> <input u32 or size>".
    std::vector<std::string> log() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }
    void clearLog() {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.clear();
    }
    // Waits until the log holds `line` (true) or `ms` pass (false).
    bool waitForLog(const std::string& line, int ms = 5000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
            return std::find(log_.begin(), log_.end(), line) != log_.end();
        });
    }
    std::vector<Bytes> transfers() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return transfers_;
    }

    static std::uint32_t u32(const std::uint8_t* at) {
        return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
    }
    static void putU32(Bytes& out, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }

private:
    void addLog(const std::string& line) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            log_.push_back(line);
        }
        changed_.notify_all();
    }

    void wakeUp() {
        const std::uint64_t one = 1;
        if (::write(wake_, &one, sizeof one) < 0) {
            std::perror("fake device wake-up");
        }
    }

    void closeConnection() {
        if (connection_ >= 0) {
            close(connection_);
            connection_ = -1;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        outbound_.clear();
    }

    // Sends queued packets until the socket would block.
    void flushOutbound() {
        for (;;) {
            Bytes packet;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (outbound_.empty() || connection_ < 0) {
                    return;
                }
                packet = outbound_.front();
            }
            if (send(connection_, packet.data(), packet.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0) {
                return;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            outbound_.pop_front();
        }
    }

    bool hasOutbound() {
        std::lock_guard<std::mutex> lock(mutex_);
        return !outbound_.empty();
    }

    void run() {
        Bytes packet(wire::kMaxPacket + 64);
        Bytes transfer;
        while (!stop_) {
            bool drop = false;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                drop = dropRequested_;
            }
            if (drop) {
                closeConnection();
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    dropRequested_ = false;
                }
                changed_.notify_all();
            }
            flushOutbound();
            const short events = static_cast<short>(POLLIN | (hasOutbound() ? POLLOUT : 0));
            pollfd fds[3] = {{wake_, POLLIN, 0}, {listener_, POLLIN, 0}, {connection_, events, 0}};
            const int count = connection_ >= 0 ? 3 : 2;
            if (poll(fds, count, 1000) <= 0) {
                continue;
            }
            if (fds[0].revents & POLLIN) {
                std::uint64_t ignored = 0;
                if (::read(wake_, &ignored, sizeof ignored) < 0) {
                    ignored = 0;
                }
            }
            if (fds[1].revents & POLLIN) {
                const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                const bool admitted = accept.load() && connection_ < 0;
                const std::uint8_t hello[2] = {static_cast<std::uint8_t>(wire::PacketKind::Hello),
                                               static_cast<std::uint8_t>(admitted ? 1 : 0)};
                send(fd, hello, sizeof hello, MSG_NOSIGNAL);
                addLog(std::string("hello ") + (admitted ? "1" : "0"));
                if (admitted) {
                    connection_ = fd;
                    transfer.clear();
                } else {
                    close(fd);
                }
                continue;
            }
            if (count == 3 && (fds[2].revents & (POLLIN | POLLHUP))) {
                const ssize_t got = recv(connection_, packet.data(), packet.size(), MSG_DONTWAIT);
                if (got == 0 || (got < 0 && errno != EAGAIN)) {
                    closeConnection();
                    addLog("disconnected");
                    continue;
                }
                if (got > 0) {
                    handlePacket(packet.data(), static_cast<std::size_t>(got), transfer);
                }
            }
        }
    }

    void handlePacket(const std::uint8_t* data, std::size_t size, Bytes& transfer) {
        const auto kind = static_cast<wire::PacketKind>(data[0]);
        if (kind == wire::PacketKind::BulkOut && size >= 2) {
            transfer.insert(transfer.end(), data + 2, data + size);
            if ((data[1] & wire::kEndOfTransfer) == 0) {
                return;
            }
            Bytes complete;
            complete.swap(transfer);
            std::function<void(FakeUsbDevice&, const Bytes&)> handler;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                transfers_.push_back(complete);
                handler = transferHandler_;
            }
            addLog("transfer " + std::to_string(complete.size()));
            if (handler) {
                handler(*this, complete);
            }
            return;
        }
        if (kind == wire::PacketKind::Control && size >= 9) {
            const std::uint32_t code = u32(data + 1);
            const std::uint32_t capacity = u32(data + 5);
            const Bytes input(data + 9, data + size);
            char line[64];
            if (code == wire::kIoctlVendorRequest && input.size() >= 3) {
                std::snprintf(line, sizeof line, "vendor %u %u %u", input[0], input[1], input[2]);
            } else {
                std::snprintf(line, sizeof line, "control %x %u", code,
                              input.size() >= 4 ? u32(input.data())
                                                : static_cast<std::uint32_t>(input.size()));
            }
            Bytes output;
            std::uint32_t result = answerControl(code, input, output) ? 0 : 1;
            output.resize(std::min<std::size_t>(output.size(), capacity));
            Bytes reply{static_cast<std::uint8_t>(wire::PacketKind::ControlReply)};
            putU32(reply, code);
            putU32(reply, result);
            reply.insert(reply.end(), output.begin(), output.end());
            addLog(line);
            sendPacket(reply);  // queued behind any bulk data, as on the wire
        }
    }

    bool answerControl(std::uint32_t code, const Bytes& input, Bytes& output) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failing_[code]) {
            return false;
        }
        switch (code) {
            case wire::kIoctlDriverVersion:
                putU32(output, driverVersion);
                return true;
            case wire::kIoctlFirmwareVersion:
                putU32(output, firmwareVersion);
                return true;
            case wire::kIoctlVendorRequest: {
                std::uint32_t answer = 0;
                if (input.size() >= 3 && input[2] == 225) {
                    answer = secondFirmwareWord;
                } else if (!wakeAnswers_.empty()) {
                    answer = wakeAnswers_.front();
                    wakeAnswers_.pop_front();
                }
                putU32(output, answer);
                output.push_back(0);
                return true;
            }
            case wire::kIoctlSetTimeout:
            case wire::kIoctlDriverCommand:
                putU32(output, 0);
                return true;
            default:
                return true;
        }
    }

    const std::string path_;
    int listener_ = -1;
    int wake_ = -1;
    int connection_ = -1;  // touched only by the device thread
    std::atomic<bool> stop_{false};
    bool dropRequested_ = false;  // guarded by mutex_
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> log_;                                       // guarded by mutex_
    std::vector<Bytes> transfers_;                                       // guarded by mutex_
    std::function<void(FakeUsbDevice&, const Bytes&)> transferHandler_;  // guarded by mutex_
    std::map<std::uint32_t, bool> failing_;                              // guarded by mutex_
    std::deque<std::uint32_t> wakeAnswers_;                              // guarded by mutex_
    std::deque<Bytes> outbound_;                                         // guarded by mutex_
    std::thread thread_;
};

}  // namespace fakes
