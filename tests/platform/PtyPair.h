#pragma once

// A pseudo-terminal for serial-port tests: the test plays the camera on the master side; the
// code under test opens the slave path like a serial port.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace fakes {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            slavePath_ = ptsname(master_);
            // Raw on the master side too, so bytes pass unchanged in both directions.
            termios settings{};
            tcgetattr(master_, &settings);
            cfmakeraw(&settings);
            tcsetattr(master_, TCSANOW, &settings);
        }
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int master() const { return master_; }
    void closeMaster() {
        if (master_ >= 0) {
            close(master_);
            master_ = -1;
        }
    }

    void send(const std::vector<std::uint8_t>& bytes) {
        std::size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + at, bytes.size() - at);
            if (n <= 0) {
                return;
            }
            at += static_cast<std::size_t>(n);
        }
    }
    // Reads exactly `count` bytes, or what arrived within `ms`.
    std::vector<std::uint8_t> receive(std::size_t count, int ms = 3000) {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd waiter{master_, POLLIN, 0};
            if (left <= 0 || poll(&waiter, 1, static_cast<int>(left)) <= 0) {
                break;
            }
            std::uint8_t chunk[4096];
            const ssize_t n = read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
            if (n <= 0) {
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        return bytes;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace fakes
