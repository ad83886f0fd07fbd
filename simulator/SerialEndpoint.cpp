#include "simulator/SerialEndpoint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ocusim {

namespace {

constexpr auto kReceiveTimeout = std::chrono::seconds(1);
constexpr auto kHangupRecheck = std::chrono::milliseconds(20);
constexpr std::size_t kWriteChunk = 4096;
constexpr std::size_t kMaxInput = 0xAB000 + 4096;

}  // namespace

SerialEndpoint::SerialEndpoint(std::string linkPath, std::uint32_t baud, bool pacing,
                               DeviceSession& session, CameraDevice& camera)
    : link_(std::move(linkPath)),
      baud_(baud),
      pacing_(pacing),
      session_(session),
      camera_(camera) {}

SerialEndpoint::~SerialEndpoint() {
    if (linked_) {
        ::unlink(link_.c_str());
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool SerialEndpoint::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    terminal_ = name;
    // Raw from the start: no echo, no line editing, no translation, whatever the host sets later.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = "cannot open " + terminal_ + ": " + std::strerror(errno);
        return false;
    }
    termios settings;
    if (::tcgetattr(slave, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B115200);
        ::cfsetospeed(&settings, B115200);
        ::tcsetattr(slave, TCSANOW, &settings);
    }
    ::close(slave);

    struct stat info;
    if (::lstat(link_.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = link_ + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link_.c_str());
    }
    if (::symlink(terminal_.c_str(), link_.c_str()) != 0) {
        error = "cannot link " + link_ + ": " + std::strerror(errno);
        return false;
    }
    linked_ = true;
    return true;
}

void SerialEndpoint::checkHost(Clock::time_point now) {
    pollfd probe{master_, POLLIN, 0};
    ::poll(&probe, 1, 0);
    const bool open = (probe.revents & POLLHUP) == 0;
    if (open != hostOpen_) {
        hostOpen_ = open;
        input_.clear();
        session_.reset();
        if (!open) {
            camera_.hostDetached(now);
        }
    }
}

void SerialEndpoint::collect(PollList& list, Clock::time_point now, Clock::time_point& wake) {
    if (master_ < 0) {
        return;
    }
    checkHost(now);
    if (!hostOpen_) {
        // A hung-up master is always ready; look again shortly instead of spinning on it.
        wake = std::min(wake, now + kHangupRecheck);
        return;
    }
    short events = POLLIN;
    if (!output_.empty()) {
        const Clock::time_point due = output_.front().notBefore;
        if (due > now) {
            wake = std::min(wake, due);
        } else if (allowance(now) > 0) {
            events |= POLLOUT;
        } else {
            // Wait until the line has room for a few more bytes.
            const auto perByte = std::chrono::nanoseconds(10'000'000'000ull / baud_);
            wake = std::min(
                wake, now + std::max<Clock::duration>(perByte * 16, std::chrono::milliseconds(1)));
        }
    }
    if (!input_.empty()) {
        wake = std::min(wake, lastInput_ + kReceiveTimeout);
    }
    list.add(master_, events, [this](short revents) {
        const Clock::time_point at = Clock::now();
        if (revents & POLLIN) {
            receive(at);
        }
        if (revents & POLLOUT) {
            flush(at);
        }
    });
}

void SerialEndpoint::receive(Clock::time_point now) {
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        if (input_.size() + static_cast<std::size_t>(count) > kMaxInput) {
            input_.clear();
        }
        input_.insert(input_.end(), buffer, buffer + count);
        lastInput_ = now;
    }
    parse(now);
}

void SerialEndpoint::parse(Clock::time_point now) {
    for (;;) {
        std::vector<Outbound> out;
        if (session_.expectingData()) {
            const std::size_t length = session_.expectedDataLength();
            if (input_.size() < length) {
                break;
            }
            session_.onTransfer(input_.data(), length, now, out);
            input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(length));
        } else {
            const std::size_t start = findMagic(input_.data(), input_.size());
            input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(start));
            if (input_.size() < kBlockSize) {
                break;
            }
            // A new command while answers are still going out: the host gave up waiting for
            // them (and discards what arrives late), so the camera stops sending them.
            output_.clear();
            outputOffset_ = 0;
            session_.onTransfer(input_.data(), kBlockSize, now, out);
            input_.erase(input_.begin(), input_.begin() + kBlockSize);
        }
        for (Outbound& transfer : out) {
            if (output_.empty()) {
                paceStart_ = std::max(now, transfer.notBefore);
                pacedBytes_ = 0;
            }
            output_.push_back(std::move(transfer));
        }
    }
    flush(now);
}

std::size_t SerialEndpoint::allowance(Clock::time_point now) const {
    if (!pacing_) {
        return kWriteChunk;
    }
    if (now <= paceStart_) {
        return 0;
    }
    const double seconds = std::chrono::duration<double>(now - paceStart_).count();
    const auto earned = static_cast<std::uint64_t>(seconds * baud_ / 10.0);
    return earned > pacedBytes_ ? static_cast<std::size_t>(
                                      std::min<std::uint64_t>(earned - pacedBytes_, kWriteChunk))
                                : 0;
}

void SerialEndpoint::flush(Clock::time_point now) {
    if (master_ < 0) {
        return;
    }
    if (!input_.empty() && now - lastInput_ >= kReceiveTimeout) {
        // A block or data phase that stopped halfway will not be completed.
        input_.clear();
        session_.reset();
    }
    if (!hostOpen_) {
        return;
    }
    while (!output_.empty() && output_.front().notBefore <= now) {
        Outbound& front = output_.front();
        const std::size_t allowed = allowance(now);
        if (allowed == 0) {
            return;
        }
        const std::size_t count = std::min(allowed, front.bytes.size() - outputOffset_);
        const ssize_t written = ::write(master_, front.bytes.data() + outputOffset_, count);
        if (written <= 0) {
            return;
        }
        pacedBytes_ += static_cast<std::uint64_t>(written);
        outputOffset_ += static_cast<std::size_t>(written);
        if (outputOffset_ == front.bytes.size()) {
            output_.pop_front();
            outputOffset_ = 0;
            if (output_.empty()) {
                camera_.noteActivity(now);
            } else if (output_.front().notBefore > now) {
                // The line idles until the next transfer is due; pacing starts over then.
                paceStart_ = output_.front().notBefore;
                pacedBytes_ = 0;
            }
        }
    }
}

}  // namespace ocusim
