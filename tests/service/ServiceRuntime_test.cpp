#include "service/ServiceRuntime.h"

#include <CivetServer.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "CapturedOutput.h"
#include "ServiceHomeFixture.h"
#include "service/RouteTable.h"
#include "service/RunService.h"
#include "service/StopFlag.h"
#include "support/TempDir.h"

namespace lensws {
namespace {

using testing::CapturedOutput;
using testsupport::TempDir;

const char* const kStatistics = "\nWSMemPool: Size: ";

// A loopback socket that listens on a port of the kernel's choice.
class Listener {
public:
    Listener() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 1);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd_); }
    int port() const { return port_; }

private:
    int fd_;
    int port_ = 0;
};

int freePort() {
    return Listener().port();
}

// One request on a fresh connection; the whole answer.
std::string exchange(int port, const std::string& request) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return answer;
}

ServiceConfiguration configurationIn(const TempDir& home, int port) {
    ServiceConfiguration configuration;
    configuration.listeningPorts = "127.0.0.1:" + std::to_string(port);
    configuration.documentRoot = home.path();
    configuration.certificateFile = home.file("ssl/localhost.pem");
    configuration.passwordFile = home.file("resource/password");
    configuration.tokenFile = home.file("resource/tokens.ini");
    return configuration;
}

TEST(ServiceRuntimeTest, RegistersTheRoutesInOrderAndServesThem) {
    TempDir home;
    int port = freePort();
    ServiceConfiguration configuration = configurationIn(home, port);
    CapturedOutput out;
    {
        ServiceRuntime runtime(configuration, out.file);
        runtime.start();
        const std::vector<std::string> expected = {"/1.0/configure",
                                                   "/1.0/lock",
                                                   "/1.0/register",
                                                   "/1.0/info",
                                                   "/1.0/initialize",
                                                   "/1.0/capture",
                                                   "/1.0/verifycapture",
                                                   "/1.0/identifycapture",
                                                   "/1.0/download",
                                                   "/1.0/users",
                                                   "/1.0/user",
                                                   "/1.0/gallery",
                                                   "/1.0/enroll",
                                                   "/1.0/camera",
                                                   "/1.0/deviceinfo",
                                                   "/1.0/getstream",
                                                   "/1.0/admin/token",
                                                   "/1.0/admin/tokens",
                                                   "/1.0/admin/config",
                                                   "/1.0/admin/password",
                                                   "/1.0/samplequality",
                                                   "/1.0/",
                                                   "/stream",
                                                   "/stream1",
                                                   "/stream2"};
        ASSERT_NE(runtime.routes(), nullptr);
        std::vector<std::string> routes;
        std::vector<CivetHandler*> handlers;
        for (const RouteEntry& entry : *runtime.routes()) {
            routes.push_back(entry.route);
            EXPECT_NE(entry.handler, nullptr);
            for (CivetHandler* other : handlers) {
                EXPECT_NE(entry.handler, other) << entry.route;
            }
            handlers.push_back(entry.handler);
        }
        EXPECT_EQ(routes, expected);

        std::string info = exchange(port, "GET /1.0/info HTTP/1.1\r\nHost: here\r\n\r\n");
        EXPECT_NE(info.find("\"uri\": \"http://here/stream\""), std::string::npos) << info;
        std::string other = exchange(port, "GET /1.0/nothing HTTP/1.1\r\nHost: here\r\n\r\n");
        EXPECT_NE(other.find("\"status\": \"unsupported\""), std::string::npos) << other;
        runtime.shutdown();
        // Nothing listens any more.
        EXPECT_EQ(exchange(port, "GET /1.0/info HTTP/1.1\r\n\r\n"), "");
    }
    std::string text = out.text();
    std::string banner = "Service hosted at http://localhost:127.0.0.1:" + std::to_string(port);
    EXPECT_EQ(text.rfind(banner + "\n", 0), 0u) << text;
    // The pool's statistics come last, printed once.
    std::size_t statistics = text.find(kStatistics);
    ASSERT_NE(statistics, std::string::npos);
    EXPECT_EQ(text.find(kStatistics, statistics + 1), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
}

TEST(ServiceRuntimeTest, PortInUseThrowsTheBindMessageAndKeepsWhatWasBuiltForShutdown) {
    TempDir home;
    Listener taken;
    ServiceConfiguration configuration = configurationIn(home, taken.port());
    CapturedOutput out;
    ServiceRuntime runtime(configuration, out.file);
    try {
        runtime.start();
        FAIL() << "the server started on a port in use";
    } catch (const CivetException& error) {
        EXPECT_STREQ(error.what(),
                     "null context when constructing CivetServer. Possible problem binding to "
                     "port.");
    }
    ASSERT_NE(runtime.routes(), nullptr);
    EXPECT_EQ(runtime.routes()->size(), 25u);
    runtime.shutdown();
    EXPECT_EQ(out.text().rfind(kStatistics, 0), 0u) << out.text();
    runtime.shutdown();
    EXPECT_EQ(out.text().find(kStatistics, 1), std::string::npos);
}

// runService itself: the configuration from OCUSERVICE_HOME, the run loop and the messages.
class RunServiceTest : public testing::ServiceHomeFixture {};

TEST_F(RunServiceTest, RunsUntilStopRequestedThenSaysByeAndReleasesThePool) {
    int port = freePort();
    home.write("config.ini", "SERVER_PORTS = 127.0.0.1:" + std::to_string(port) + "\n");
    CapturedOutput out;
    std::atomic<int> result{-1};
    std::thread service([&] { result = runService(out.file); });
    std::string answer;
    for (int attempt = 0; attempt < 500 && answer.find("unsupported") == std::string::npos;
         ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        answer = exchange(port, "GET /1.0/nothing HTTP/1.1\r\n\r\n");
    }
    EXPECT_NE(answer.find("\"status\": \"unsupported\""), std::string::npos);
    EXPECT_EQ(result, -1);
    stopRequested = true;
    service.join();
    EXPECT_EQ(result, 0);
    std::string text = out.text();
    std::string expectedStart =
        "Service hosted at http://localhost:127.0.0.1:" + std::to_string(port) + "\nBye!\n";
    EXPECT_EQ(text.rfind(expectedStart, 0), 0u) << text;
    EXPECT_EQ(text.find(kStatistics), expectedStart.size()) << text;
}

TEST_F(RunServiceTest, PortInUseEndsWithTheBindMessageAndResultOne) {
    Listener taken;
    home.write("config.ini", "SERVER_PORTS = 127.0.0.1:" + std::to_string(taken.port()) + "\n");
    CapturedOutput out;
    EXPECT_EQ(runService(out.file), 1);
    std::string text = out.text();
    std::string message =
        "null context when constructing CivetServer. Possible problem binding to port.";
    EXPECT_EQ(text.rfind(message + kStatistics, 0), 0u) << text;
}

TEST_F(RunServiceTest, OverlongJoinedPathEndsBeforeAnythingIsBuilt) {
    home.write("config.ini", "HTPASSWD_FILE = " + std::string(300, 'p') + "\n");
    CapturedOutput out;
    EXPECT_EQ(runService(out.file), 1);
    EXPECT_EQ(out.text(), "The path configured by HTPASSWD_FILE is longer than 259 characters.\n");
}

}  // namespace
}  // namespace lensws
