#pragma once

// Runs the built ocucam-sim for one test in a temporary directory: a USB camera published in
// that directory, or a serial camera on a pseudo-terminal linked there. The control socket
// takes one line per command. The simulator is stopped (SIGTERM, then SIGKILL) and the
// directory removed when the object goes away.

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/UsbDeviceDirectory.h"
#include "support/TempDir.h"

namespace fakes {

class SimulatorProcess {
public:
    enum class Link { Usb, Serial };

    // A serial line is unpaced unless `pacedSerial`: the simulator then sends at the baud rate.
    SimulatorProcess(Link link, std::vector<std::string> extra, bool pacedSerial = false)
        : link_(link) {
        std::vector<std::string> args{std::string(OCU_BIN_DIR) + "/ocucam-sim",
                                      "--device-dir",
                                      dir_.path(),
                                      "--control",
                                      controlPath(),
                                      "--quiet",
                                      "--capture-ms",
                                      "400"};
        if (link == Link::Serial) {
            args.insert(args.end(), {"--serial", serialLink()});
            if (!pacedSerial) {
                args.push_back("--no-pacing");
            }
        }
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            execv(argv[0], argv.data());
            _exit(127);
        }
        ready_ = waitUntilReady();
    }

    ~SimulatorProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            for (int i = 0; i < 500; ++i) {
                if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool ready() const { return ready_; }
    // The USB device path, or the serial link.
    std::string devicePath() const {
        if (link_ == Link::Serial) {
            return serialLink();
        }
        std::vector<std::string> paths;
        platform::listDeviceInterfaces(dir_.path(), paths);
        return paths.empty() ? std::string() : paths.front();
    }
    std::string serialLink() const { return dir_.file("ttyCAM"); }
    std::string controlPath() const { return dir_.file("camera.control"); }

    // Sends one control line and returns the answer line (without its line end).
    std::string control(const std::string& line) const {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", controlPath().c_str());
        std::string answer;
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const std::string text = line + "\n";
            if (write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size())) {
                char c = 0;
                while (read(fd, &c, 1) == 1 && c != '\n') {
                    answer.push_back(c);
                }
            }
        }
        close(fd);
        return answer;
    }
    // The number after "NAME=" in a control answer, or -1.
    static long field(const std::string& answer, const std::string& name) {
        const std::size_t at = answer.find(" " + name + "=");
        return at == std::string::npos ? -1 : std::stol(answer.substr(at + name.size() + 2));
    }

private:
    bool waitUntilReady() {
        for (int i = 0; i < 1000; ++i) {
            struct stat info {};
            const bool controlUp = stat(controlPath().c_str(), &info) == 0;
            if (controlUp && !devicePath().empty() && stat(devicePath().c_str(), &info) == 0) {
                return true;
            }
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    Link link_;
    testsupport::TempDir dir_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace fakes
