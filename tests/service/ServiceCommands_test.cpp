#include "service/ServiceCommands.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "CapturedOutput.h"
#include "FakeServiceManager.h"
#include "service/ServiceError.h"

namespace lensws {
namespace {

using platform::ServiceState;
using testing::CapturedOutput;
using testing::FakeClock;
using testing::FakeServiceManager;

std::string repeated(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

class StopServiceTest : public ::testing::Test {
protected:
    bool stop() { return stopService(manager, clock, kServiceName, out.file); }

    FakeClock clock;
    FakeServiceManager manager{clock};
    CapturedOutput out;
};

TEST_F(StopServiceTest, StoppedServiceIsAlreadyStoppedWithoutControl) {
    manager.status.state = ServiceState::Stopped;
    EXPECT_TRUE(stop());
    EXPECT_EQ(out.text(), "Service is already stopped.\n");
    EXPECT_EQ(manager.calls, std::vector<std::string>{"query OcuService"});
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(StopServiceTest, RunningServiceIsStoppedSilentlyWaitingItsHintUnclamped) {
    manager.waitHintMs = 300;
    manager.stopTakesMs = 900;
    EXPECT_TRUE(stop());
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{300, 300, 300}));
    EXPECT_EQ(manager.status.state, ServiceState::Stopped);
}

TEST_F(StopServiceTest, ServiceStoppingAtOnceNeedsNoWait) {
    manager.waitHintMs = 3000;
    manager.stopTakesMs = 0;
    EXPECT_TRUE(stop());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(StopServiceTest, RunningServiceThatNeverStopsTimesOutAfterMoreThan30000Ms) {
    manager.waitHintMs = 1000;
    EXPECT_FALSE(stop());
    EXPECT_EQ(out.text(), "Wait timed out\n");
    // 30000 ms elapsed is still within the budget; only the 31st round exceeds it.
    EXPECT_EQ(clock.sleeps.size(), 31u);
}

TEST_F(StopServiceTest, PendingStopWithHint50000WaitsRoundsOf5000) {
    manager.beginPendingStop(50000, 12000);
    EXPECT_TRUE(stop());
    EXPECT_EQ(out.text(), repeated("Stop pending...\n", 3) + "Service stopped successfully.\n");
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{5000, 5000, 5000}));
    // No stop control goes to a service that is stopping already.
    for (const std::string& call : manager.calls) {
        EXPECT_NE(call, "stop OcuService");
    }
}

TEST_F(StopServiceTest, PendingStopWithHint500WaitsRoundsOfAtLeast1000) {
    manager.beginPendingStop(500, 1500);
    EXPECT_TRUE(stop());
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{1000, 1000}));
    EXPECT_EQ(out.text(), repeated("Stop pending...\n", 2) + "Service stopped successfully.\n");
}

TEST_F(StopServiceTest, PendingStopRoundsAreAtMost10000) {
    manager.beginPendingStop(400000, 10000);
    EXPECT_TRUE(stop());
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{10000}));
}

TEST_F(StopServiceTest, PendingStopThatNeverEndsTimesOut) {
    manager.beginPendingStop(50000, std::nullopt);
    EXPECT_FALSE(stop());
    EXPECT_EQ(out.text(), repeated("Stop pending...\n", 7) + "Service stop timed out.\n");
    EXPECT_EQ(clock.sleeps.size(), 7u);
}

TEST_F(StopServiceTest, PendingStopThatEndsRunningFallsThroughToTheStopControl) {
    manager.beginPendingStop(0, 1500, ServiceState::Running);
    manager.waitHintMs = 700;
    manager.stopTakesMs = 700;
    EXPECT_TRUE(stop());
    EXPECT_EQ(out.text(), repeated("Stop pending...\n", 2));
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{1000, 1000, 700}));
    EXPECT_EQ(manager.calls.back(), "query OcuService");
    EXPECT_NE(std::find(manager.calls.begin(), manager.calls.end(), "stop OcuService"),
              manager.calls.end());
}

TEST_F(StopServiceTest, EveryFailingStepPrintsItsErrorAndFails) {
    {
        FakeServiceManager missing(clock);
        missing.exists = false;
        CapturedOutput text;
        EXPECT_FALSE(stopService(missing, clock, kServiceName, text.file));
        EXPECT_EQ(text.text(), "The specified service does not exist.\n");
    }
    {
        FakeServiceManager refused(clock);
        refused.sendStopError = platform::service_error::kAccessDenied;
        CapturedOutput text;
        EXPECT_FALSE(stopService(refused, clock, kServiceName, text.file));
        EXPECT_EQ(text.text(), "The requested access was denied.\n");
    }
    {
        FakeServiceManager lost(clock);
        lost.waitHintMs = 1000;
        lost.queryErrorAfter = 2;  // the first query, then one in the wait loop
        CapturedOutput text;
        EXPECT_FALSE(stopService(lost, clock, kServiceName, text.file));
        EXPECT_EQ(text.text(),
                  "The handle to the specified service control manager database is invalid.\n");
    }
    {
        FakeServiceManager lostWhilePending(clock);
        lostWhilePending.beginPendingStop(1000, std::nullopt);
        lostWhilePending.queryErrorAfter = 1;
        CapturedOutput text;
        EXPECT_FALSE(stopService(lostWhilePending, clock, kServiceName, text.file));
        EXPECT_EQ(text.text(),
                  "Stop pending...\nThe handle to the specified service control "
                  "manager database is invalid.\n");
    }
}

TEST_F(StopServiceTest, BudgetSurvivesTickCountWraparound) {
    clock.now = 0xFFFFF000u;
    manager.waitHintMs = 1000;
    manager.stopTakesMs = 20000;
    EXPECT_TRUE(stop());
    EXPECT_EQ(clock.sleeps.size(), 20u);
}

class ManagementCommandsTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeServiceManager manager{clock};
    CapturedOutput out;
};

TEST_F(ManagementCommandsTest, InstallRecordsTheProgramAndTheHome) {
    manager.exists = false;
    const char* saved = std::getenv("OCUSERVICE_HOME");
    std::string savedHome = saved ? saved : "";
    char dir[] = "/tmp/ocuservice-home-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    setenv("OCUSERVICE_HOME", dir, 1);
    EXPECT_TRUE(installService(manager, out.file));
    saved ? setenv("OCUSERVICE_HOME", savedHome.c_str(), 1) : unsetenv("OCUSERVICE_HOME");
    rmdir(dir);

    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self);
    ASSERT_GT(length, 0);
    ASSERT_TRUE(manager.installed.has_value());
    EXPECT_EQ(manager.installed->name, "OcuService");
    EXPECT_EQ(manager.installed->programPath, std::string(self, length));
    EXPECT_EQ(manager.installed->home, dir);
    EXPECT_EQ(out.text(), "");
}

TEST_F(ManagementCommandsTest, InstallWithoutHomeUsesTheWorkingDirectory) {
    manager.exists = false;
    const char* saved = std::getenv("OCUSERVICE_HOME");
    std::string savedHome = saved ? saved : "";
    unsetenv("OCUSERVICE_HOME");
    EXPECT_TRUE(installService(manager, out.file));
    if (saved) {
        setenv("OCUSERVICE_HOME", savedHome.c_str(), 1);
    }
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_TRUE(manager.installed.has_value());
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(cwd, resolved), nullptr);
    EXPECT_EQ(manager.installed->home, resolved);
}

TEST_F(ManagementCommandsTest, InstallOfAnExistingServiceFails) {
    EXPECT_FALSE(installService(manager, out.file));
    EXPECT_EQ(out.text(), "The specified service already exists.\n");
}

TEST_F(ManagementCommandsTest, StartAndRemoveReportTheirErrors) {
    manager.status.state = ServiceState::Running;
    EXPECT_FALSE(startService(manager, out.file));
    manager.exists = false;
    EXPECT_FALSE(removeService(manager, out.file));
    EXPECT_EQ(out.text(),
              "An instance of the application is already running.\n"
              "The specified service does not exist.\n");
}

TEST_F(ManagementCommandsTest, WithoutAServiceManagerEveryCommandSaysSo) {
    manager.managerError = platform::service_error::kDatabaseDoesNotExist;
    EXPECT_FALSE(installService(manager, out.file));
    EXPECT_FALSE(startService(manager, out.file));
    EXPECT_FALSE(stopService(manager, clock, kServiceName, out.file));
    EXPECT_FALSE(removeService(manager, out.file));
    EXPECT_EQ(out.text(), repeated("The specified service control database does not exist.\n", 4));
}

TEST(ReportServiceErrorTest, EveryKnownNumberHasItsTextAndOthersTheirNumber) {
    struct Case {
        std::uint32_t error;
        const char* line;
    } cases[] = {
        {5, "The requested access was denied.\n"},
        {6, "The handle to the specified service control manager database is invalid.\n"},
        {87, "Invalid parameter.\n"},
        {123, "The specified service name is invalid.\n"},
        {1056, "An instance of the application is already running.\n"},
        {1057,
         "The user account name specified in the lpServiceStartName parameter does not "
         "exist.\n"},
        {1058,
         "The service cannot be started, either because it is disabled or because it has "
         "no enabled devices associated with it.\n"},
        {1059, "A circular service dependency was specified.\n"},
        {1060, "The specified service does not exist.\n"},
        {1065, "The specified service control database does not exist.\n"},
        {1072,
         "The specified service already exists in this database and has been marked for "
         "deletion.\n"},
        {1073, "The specified service already exists.\n"},
        {1078,
         "The display name already exists in the service control manager database either "
         "as a service name or as another display name.\n"},
        {1062, "System error: 1062\n"},
        {0x20000000u | 5u, "System error: 536870917\n"},
    };
    for (const Case& c : cases) {
        CapturedOutput out;
        reportServiceError(c.error, out.file);
        EXPECT_EQ(out.text(), c.line) << c.error;
    }
}

}  // namespace
}  // namespace lensws
