#include "platform/SystemdServiceManager.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace platform {
namespace {

using namespace service_error;

class UnitDirectory {
public:
    UnitDirectory() {
        char pattern[] = "/tmp/ocuservice-units-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path = pattern;
        }
    }
    ~UnitDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

TEST(SystemdServiceManagerTest, UnitFileStartsTheProgramAsANotifyingService) {
    ServiceDefinition service{"OcuService", "/opt/ocu/bin/OcuService", "/var/lib/ocu"};
    EXPECT_EQ(SystemdServiceManager::unitFileText(service),
              "[Unit]\n"
              "Description=OcuService iris camera service\n"
              "After=network.target\n"
              "\n[Service]\n"
              "Type=notify\n"
              "ExecStart=\"/opt/ocu/bin/OcuService\"\n"
              "Environment=\"OCUSERVICE_HOME=/var/lib/ocu\"\n"
              "WorkingDirectory=/var/lib/ocu\n"
              "WatchdogSec=30\n"
              "Restart=on-failure\n"
              "\n[Install]\n"
              "WantedBy=multi-user.target\n");
}

TEST(SystemdServiceManagerTest, UnitFileQuotesWhatSystemdWouldInterpret) {
    ServiceDefinition service{"OcuService", "/opt/my ocu/100%/$HOME/\"q\"\\OcuService",
                              "/srv/50% \"home\""};
    std::string text = SystemdServiceManager::unitFileText(service);
    EXPECT_NE(text.find("ExecStart=\"/opt/my ocu/100%%/$$HOME/\\\"q\\\"\\\\OcuService\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Environment=\"OCUSERVICE_HOME=/srv/50%% \\\"home\\\"\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("WorkingDirectory=/srv/50%% \"home\"\n"), std::string::npos) << text;
}

TEST(SystemdServiceManagerTest, UnitFileRefusesWhatCannotBeWritten) {
    EXPECT_EQ(SystemdServiceManager::unitFileText({"OcuService", "bin/OcuService", "/home"}), "");
    EXPECT_EQ(SystemdServiceManager::unitFileText({"OcuService", "/bin/OcuService", "home"}), "");
    EXPECT_EQ(SystemdServiceManager::unitFileText({"OcuService", "/bin/Ocu\nService", "/h"}), "");
    EXPECT_EQ(SystemdServiceManager::unitFileText({"OcuService", "/bin/OcuService", "/h\r"}), "");
    EXPECT_EQ(SystemdServiceManager::unitFileText({"OcuService", "", "/h"}), "");
}

// Where systemd is not the running service manager (containers, build machines), every
// management operation says that there is no service database, and nothing is written.
TEST(SystemdServiceManagerTest, WithoutSystemdEveryOperationReportsNoDatabase) {
    if (sd_booted() > 0) {
        GTEST_SKIP() << "systemd is running here; this checks machines without it";
    }
    UnitDirectory units;
    SystemdServiceManager manager(units.path);
    ServiceStatus status;
    EXPECT_EQ(manager.install({"OcuService", "/opt/OcuService", "/opt"}), kDatabaseDoesNotExist);
    EXPECT_EQ(manager.start("OcuService"), kDatabaseDoesNotExist);
    EXPECT_EQ(manager.query("OcuService", status), kDatabaseDoesNotExist);
    EXPECT_EQ(manager.sendStop("OcuService", status), kDatabaseDoesNotExist);
    EXPECT_EQ(manager.remove("OcuService"), kDatabaseDoesNotExist);
    EXPECT_TRUE(std::filesystem::is_empty(units.path));
}

void neverRun() {
    ADD_FAILURE() << "the service entry ran outside the service manager";
}

TEST(SystemdServiceManagerTest, DispatcherOutsideTheManagerFailsAtOnce) {
    const char* saved = std::getenv("NOTIFY_SOCKET");
    std::string savedValue = saved ? saved : "";
    unsetenv("NOTIFY_SOCKET");
    SystemdServiceManager manager;
    EXPECT_EQ(manager.runDispatcher("OcuService", &neverRun), kNotStartedByManager);
    if (saved) {
        setenv("NOTIFY_SOCKET", savedValue.c_str(), 1);
    }
}

// The service side against a stand-in for systemd's notification socket: the entry reports
// running (READY=1), SIGTERM reaches the control handler on the control thread, and the
// stopped report goes out as STOPPING=1.
SystemdServiceManager* dispatched = nullptr;
std::atomic<int> stopControls{0};
std::atomic<bool> entryDone{false};

void onControl(std::uint32_t control) {
    if (control == kServiceControlStop) {
        ServiceStatus stopped;
        stopped.state = ServiceState::Stopped;
        dispatched->reportStatus(stopped);
        ++stopControls;
    }
}

void serviceEntry() {
    ASSERT_EQ(dispatched->registerControlHandler("OcuService", &onControl), kSuccess);
    ServiceStatus running;
    running.state = ServiceState::Running;
    ASSERT_EQ(dispatched->reportStatus(running), kSuccess);
    kill(getpid(), SIGTERM);
    for (int i = 0; i < 500 && stopControls == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    entryDone = true;
}

std::string receive(int socket) {
    char buffer[256];
    ssize_t n = recv(socket, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

TEST(SystemdDispatcherConcurrency, StatusGoesToTheNotifySocketAndSigtermIsTheStopControl) {
    UnitDirectory directory;
    std::string path = directory.path + "/notify";
    int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(socket, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    timeval timeout{5, 0};
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    sigset_t previousMask;
    pthread_sigmask(SIG_SETMASK, nullptr, &previousMask);
    setenv("NOTIFY_SOCKET", path.c_str(), 1);
    {
        SystemdServiceManager manager;
        dispatched = &manager;
        EXPECT_EQ(manager.runDispatcher("OcuService", &serviceEntry), kSuccess);
        dispatched = nullptr;
    }
    unsetenv("NOTIFY_SOCKET");
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);

    EXPECT_TRUE(entryDone);
    EXPECT_EQ(stopControls, 1);
    EXPECT_EQ(receive(socket), "READY=1");
    EXPECT_EQ(receive(socket), "STOPPING=1");
    close(socket);
}

}  // namespace
}  // namespace platform
