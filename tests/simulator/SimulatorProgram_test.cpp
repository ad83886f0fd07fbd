// The ocucam-sim program itself: it publishes what it is asked to, stops in order on SIGTERM
// and SIGINT removing everything it published, refuses bad command lines, and reclaims a socket
// left behind by a simulator that died.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "simulator/SimulatorHarness.h"

extern char** environ;

namespace ocusim {
namespace {

using test::controlCommand;
using testsupport::TempDir;

const std::string kProgram = std::string(OCU_BIN_DIR) + "/ocucam-sim";
const std::string kUsbName = "usb#vid_2e4b&pid_2001#P1#{573e8c73-0cb4-4471-a1bf-fab26c31d384}";

bool exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

class Program {
public:
    explicit Program(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), kProgram);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (::posix_spawn(&pid_, kProgram.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    // Waits for the program to end; its exit status, or -1.
    int wait(int timeoutMs = 10000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    void signal(int number) { ::kill(pid_, number); }

private:
    pid_t pid_ = -1;
};

bool waitFor(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (exists(path)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(SimulatorProgram, TerminationRemovesTheSocketsItPublished) {
    TempDir directory;
    for (int number : {SIGTERM, SIGINT}) {
        Program program({"--device-dir", directory.path(), "--serial-number", "P1", "--quiet"});
        const std::string device = directory.path() + "/" + kUsbName;
        const std::string control = directory.path() + "/ocucam-P1.control";
        ASSERT_TRUE(waitFor(device));
        ASSERT_TRUE(waitFor(control));
        EXPECT_EQ(controlCommand(control, "count 2003"), "ok 0");
        program.signal(number);
        EXPECT_EQ(program.wait(), 0);
        EXPECT_FALSE(exists(device));
        EXPECT_FALSE(exists(control));
    }
}

TEST(SimulatorProgram, ASerialCameraRemovesItsLink) {
    TempDir directory;
    const std::string link = directory.path() + "/ttyCAM";
    const std::string control = directory.path() + "/camera/cam.control";  // made when missing
    Program program(
        {"--serial", link, "--baud", "921600", "--control", control, "--model", "bino", "--quiet"});
    ASSERT_TRUE(waitFor(control));
    ASSERT_TRUE(waitFor(link));
    char target[128] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_TRUE(exists(target));
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait(), 0);
    EXPECT_FALSE(exists(link));
    EXPECT_FALSE(exists(control));
}

TEST(SimulatorProgram, BadCommandLinesAreRefused) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--model", "tri"},
                                               {"--firmware"},
                                               {"--firmware", "banana"},
                                               {"--serial-number", "has#hash"},
                                               {"--baud", "0"},
                                               {"--empty-gallery-status", "5"},
                                               {"--whatever"}}) {
        Program program(arguments);
        EXPECT_EQ(program.wait(), 2) << arguments[0];
    }
    Program help({"--help"});
    EXPECT_EQ(help.wait(), 0);
}

TEST(SimulatorProgram, ALiveCameraIsNotTakenOverButAStaleSocketIs) {
    TempDir directory;
    const std::string device = directory.path() + "/" + kUsbName;
    {
        Program first({"--device-dir", directory.path(), "--serial-number", "P1", "--quiet"});
        ASSERT_TRUE(waitFor(directory.path() + "/ocucam-P1.control"));
        Program second({"--device-dir", directory.path(), "--serial-number", "P1", "--quiet"});
        EXPECT_EQ(second.wait(), 1);
        EXPECT_TRUE(exists(device));  // still the first one's
        first.signal(SIGTERM);
        EXPECT_EQ(first.wait(), 0);
    }
    // A socket nobody listens on, as a killed simulator leaves it.
    const int stale = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, device.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    ASSERT_TRUE(exists(device));
    Program again({"--device-dir", directory.path(), "--serial-number", "P1", "--quiet"});
    ASSERT_TRUE(waitFor(directory.path() + "/ocucam-P1.control"));
    test::UsbTestClient host(device);
    EXPECT_EQ(host.accepted(), 1);
    again.signal(SIGTERM);
    EXPECT_EQ(again.wait(), 0);
}

}  // namespace
}  // namespace ocusim
