#include "service/CommandLine.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "CapturedOutput.h"
#include "FakeServiceManager.h"
#include "service/StopFlag.h"

namespace lensws {
namespace {

using platform::ServiceState;
using testing::CapturedOutput;
using testing::FakeClock;
using testing::FakeServiceManager;

const char* const kStartupUsage =
    "\n\nRun as console -console\n\nFor Install use Service -install\n\n"
    "For UnInstall use Service -remove\n\nFor start|stop use Service -start|stop\n\n";
const char* const kUnknown =
    "\n\nUnknown parameter!\n"
    "\n\nUnknown Switch Usage\n\nFor Install use Service -install\n\n"
    "For UnInstall use Service -remove\n\nFor start|stop use Service -start|stop\n\n";
const char* const kNotFound = "The specified service does not exist.\n";

int bodyRuns = 0;
bool stopFlagSeenByBody = true;
int bodyResult = 0;

int fakeBody() {
    ++bodyRuns;
    stopFlagSeenByBody = stopRequested;
    return bodyResult;
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        bodyRuns = 0;
        stopFlagSeenByBody = true;
        bodyResult = 0;
    }

    int run(std::initializer_list<const char*> words) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>("OcuService"));
        for (const char* word : words) {
            argv.push_back(const_cast<char*>(word));
        }
        argv.push_back(nullptr);
        CommandLineEnvironment environment{manager, clock, out.file, &fakeBody};
        return runCommandLine(static_cast<int>(argv.size() - 1), argv.data(), environment);
    }

    bool paused() const { return !clock.sleeps.empty() && clock.sleeps.back() == 2000; }

    FakeClock clock;
    FakeServiceManager manager{clock};
    CapturedOutput out;
};

TEST_F(CommandLineTest, NoArgumentOutsideTheManagerPrintsUsageAndEndsWithoutPause) {
    manager.startedByManager = false;
    EXPECT_EQ(run({}), 0);
    EXPECT_EQ(out.text(), kStartupUsage);
    EXPECT_EQ(manager.calls, std::vector<std::string>{"dispatch OcuService"});
    EXPECT_EQ(bodyRuns, 0);
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(CommandLineTest, NoArgumentUnderTheManagerRunsTheServiceEntry) {
    stopRequested = true;
    EXPECT_EQ(run({}), 0);
    EXPECT_EQ(bodyRuns, 1);
    EXPECT_FALSE(stopFlagSeenByBody);
    EXPECT_EQ(manager.reports, std::vector<ServiceState>{ServiceState::Running});
    EXPECT_TRUE(clock.sleeps.empty());
}

// A service that could not start (a port taken, say) ends with the body's failure, so that
// the manager sees a failure it may restart from.
TEST_F(CommandLineTest, UnderTheManagerTheProcessEndsWithTheBodysResult) {
    bodyResult = 1;
    EXPECT_EQ(run({}), 1);
    EXPECT_EQ(bodyRuns, 1);
}

TEST_F(CommandLineTest, ConsoleRunsTheBodyThenPauses) {
    EXPECT_EQ(run({"-console"}), 0);
    EXPECT_EQ(bodyRuns, 1);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{2000});
    EXPECT_EQ(out.text(), "");
}

TEST_F(CommandLineTest, PauseArgumentZeroOrNoNumberSkipsThePause) {
    EXPECT_EQ(run({"-console", "0"}), 0);
    EXPECT_EQ(run({"-start", "abc"}), 0);
    EXPECT_EQ(run({"-start", "0"}), 0);
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(run({"-start", "7"}), 0);
    EXPECT_TRUE(paused());
    clock.sleeps.clear();
    EXPECT_EQ(run({"-start", "12abc"}), 0);
    EXPECT_TRUE(paused());
}

TEST_F(CommandLineTest, SwitchesAreCaseSensitive) {
    EXPECT_EQ(run({"-Console"}), 0);
    EXPECT_EQ(out.text(), kUnknown);
    EXPECT_EQ(bodyRuns, 0);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{2000});
}

TEST_F(CommandLineTest, InstallPrintsItsSuccessLine) {
    manager.exists = false;
    run({"-install", "0"});
    EXPECT_EQ(out.text(), "OcuService Installed Successfully\n");
}

TEST_F(CommandLineTest, InstallOfAnExistingServicePrintsOnlyTheError) {
    run({"-install"});
    EXPECT_EQ(out.text(), "The specified service already exists.\n");
    EXPECT_TRUE(paused());
}

TEST_F(CommandLineTest, StartPrintsItsSuccessLine) {
    manager.status.state = ServiceState::Stopped;
    run({"-start", "0"});
    EXPECT_EQ(out.text(), "OcuService Started Successfully\n");
}

TEST_F(CommandLineTest, StopOfAStoppedServiceSaysSoAndSucceeds) {
    manager.status.state = ServiceState::Stopped;
    run({"-stop", "0"});
    EXPECT_EQ(out.text(), "Service is already stopped.\nOcuService Stopped Successfully\n");
}

TEST_F(CommandLineTest, StopThatTimesOutPrintsNoSuccessLine) {
    manager.waitHintMs = 5000;
    run({"-stop", "0"});
    EXPECT_EQ(out.text(), "Wait timed out\n");
}

TEST_F(CommandLineTest, RemoveOfAMissingServicePrintsNotFoundTwice) {
    manager.exists = false;
    run({"-remove", "0"});
    EXPECT_EQ(out.text(), std::string(kNotFound) + kNotFound);
}

TEST_F(CommandLineTest, RemoveOfARunningServiceStopsItFirst) {
    manager.waitHintMs = 1000;
    manager.stopTakesMs = 2000;
    run({"-remove", "0"});
    EXPECT_EQ(out.text(), "OcuService Uninstalled Successfully\n");
    EXPECT_FALSE(manager.exists);
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{1000, 1000}));
    EXPECT_EQ(manager.calls.back(), "remove OcuService");
}

TEST_F(CommandLineTest, RemoveGoesAheadWhenTheStopFails) {
    manager.sendStopError = platform::service_error::kAccessDenied;
    run({"-remove", "0"});
    EXPECT_EQ(out.text(),
              "The requested access was denied.\nOcuService Uninstalled Successfully\n");
}

TEST_F(CommandLineTest, WithoutAServiceManagerEverySwitchExplainsAndPauses) {
    manager.managerError = platform::service_error::kDatabaseDoesNotExist;
    const std::string line = "The specified service control database does not exist.\n";
    for (const char* word : {"-install", "-start", "-stop"}) {
        CapturedOutput text;
        CommandLineEnvironment environment{manager, clock, text.file, &fakeBody};
        char* argv[] = {const_cast<char*>("OcuService"), const_cast<char*>(word), nullptr};
        clock.sleeps.clear();
        EXPECT_EQ(runCommandLine(2, argv, environment), 0);
        EXPECT_EQ(text.text(), line) << word;
        EXPECT_TRUE(paused()) << word;
    }
    run({"-remove"});
    EXPECT_EQ(out.text(), line + line);
}

}  // namespace
}  // namespace lensws
