#pragma once

// Runs ocucam-sim as a child process for a test: a USB camera published in a device directory,
// or a serial camera on a pseudo-terminal, with its control socket in that directory. The
// process is stopped (SIGTERM, then waited for) when the object goes, and asked by the kernel
// to stop should the test process die first. Also a temporary directory that removes itself.
// Header-only, so that the SDK's and the camera's tests share it.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace simtest {

struct SimCameraOptions {
    std::string model = "mono";  // or "bino"
    std::string serialNumber = "SIM00001";
    std::string firmware;         // empty: the simulator's default
    std::string productId;        // empty: from the model
    std::string vendorId;         // empty: the maker's
    std::string serialLink;       // non-empty: a serial camera linked at this path
    std::uint32_t baud = 0;       // serial: 0 for the simulator's default
    std::uint32_t captureMs = 0;  // 0: the simulator's default
    std::vector<std::string> extra;
};

class SimCamera {
public:
    SimCamera(std::string deviceDir, SimCameraOptions options);
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // Starts the program and waits until its control socket answers. False (with error()) when
    // it does not come up within ten seconds.
    bool start();
    // SIGTERM and wait: the simulator removes what it published.
    void stop();
    // SIGKILL and wait: as if the camera's side died, leaving its socket behind.
    void kill();
    bool running() const { return pid_ > 0; }

    // One control command; the answer line without its line end ("" when the socket fails).
    std::string control(const std::string& line) const;
    // How many commands of `code` the camera received.
    long count(std::uint16_t code) const;
    // A field of the "state" answer, e.g. "open" or "capturing"; "" when absent.
    std::string state(const std::string& field) const;

    const std::string& controlPath() const { return controlPath_; }
    const std::string& error() const { return error_; }

private:
    const std::string deviceDir_;
    const SimCameraOptions options_;
    std::string controlPath_;
    std::string error_;
    pid_t pid_ = -1;
};

// The device directory of the SDK for this process (OCUSERVICE_DEVICE_DIR).
void useDeviceDirectory(const std::string& path);

namespace detail {

inline std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

inline int connectControl(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace detail

inline void useDeviceDirectory(const std::string& path) {
    ::setenv("OCUSERVICE_DEVICE_DIR", path.c_str(), 1);
}

inline SimCamera::SimCamera(std::string deviceDir, SimCameraOptions options)
    : deviceDir_(std::move(deviceDir)), options_(std::move(options)) {
    controlPath_ = deviceDir_ + "/ocucam-" + options_.serialNumber + ".control";
}

inline SimCamera::~SimCamera() {
    stop();
}

inline bool SimCamera::start() {
    std::vector<std::string> args = {OCU_BIN_DIR "/ocucam-sim",
                                     "--quiet",
                                     "--device-dir",
                                     deviceDir_,
                                     "--control",
                                     controlPath_,
                                     "--model",
                                     options_.model,
                                     "--serial-number",
                                     options_.serialNumber};
    auto add = [&args](const char* name, const std::string& value) {
        if (!value.empty()) {
            args.push_back(name);
            args.push_back(value);
        }
    };
    add("--firmware", options_.firmware);
    add("--product-id", options_.productId);
    add("--vendor-id", options_.vendorId);
    add("--serial", options_.serialLink);
    add("--baud", options_.baud != 0 ? std::to_string(options_.baud) : "");
    add("--capture-ms", options_.captureMs != 0 ? std::to_string(options_.captureMs) : "");
    args.insert(args.end(), options_.extra.begin(), options_.extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        error_ = "fork failed";
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    pid_ = child;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "ocucam-sim ended at start-up";
            return false;
        }
        const int fd = detail::connectControl(controlPath_);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error_ = "ocucam-sim did not come up";
    kill();
    return false;
}

inline void SimCamera::stop() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

inline void SimCamera::kill() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

inline std::string SimCamera::control(const std::string& line) const {
    const int fd = detail::connectControl(controlPath_);
    if (fd < 0) {
        return "";
    }
    const std::string request = line + "\n";
    if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return "";
    }
    std::string answer;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n') {
        answer.push_back(c);
    }
    ::close(fd);
    return answer;
}

inline long SimCamera::count(std::uint16_t code) const {
    const std::string answer = control("count " + detail::hex(code));
    if (answer.rfind("ok ", 0) != 0) {
        return -1;
    }
    return std::strtol(answer.c_str() + 3, nullptr, 10);
}

inline std::string SimCamera::state(const std::string& field) const {
    std::istringstream words(control("state"));
    std::string word;
    const std::string prefix = field + "=";
    while (words >> word) {
        if (word.rfind(prefix, 0) == 0) {
            return word.substr(prefix.size());
        }
    }
    return "";
}

}  // namespace simtest
