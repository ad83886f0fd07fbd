#include "service/ServiceEntry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "FakeServiceManager.h"
#include "service/StopFlag.h"

namespace lensws {
namespace {

using platform::ServiceState;
using testing::FakeClock;
using testing::FakeServiceManager;

int bodyRuns = 0;
bool flagAtBodyStart = true;
std::vector<ServiceState> reportsAtBodyStart;
FakeServiceManager* current = nullptr;

int recordingBody() {
    ++bodyRuns;
    flagAtBodyStart = stopRequested;
    reportsAtBodyStart = current->reports;
    return 0;
}

class ServiceEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        bodyRuns = 0;
        flagAtBodyStart = true;
        reportsAtBodyStart.clear();
        current = &manager;
        bindServiceEntry(&manager, &recordingBody);
        stopRequested = true;
    }
    void TearDown() override { stopRequested = false; }

    FakeClock clock;
    FakeServiceManager manager{clock};
};

TEST_F(ServiceEntryTest, ReportsRunningBeforeTheBodyAndClearsTheStopFlag) {
    serviceMain();
    EXPECT_EQ(bodyRuns, 1);
    EXPECT_FALSE(flagAtBodyStart);
    EXPECT_EQ(reportsAtBodyStart, std::vector<ServiceState>{ServiceState::Running});
    EXPECT_EQ(manager.controlHandler, &serviceControlHandler);
    EXPECT_EQ(manager.calls, std::vector<std::string>{"register OcuService"});
}

TEST_F(ServiceEntryTest, FailedRegistrationEndsTheEntryAtOnce) {
    manager.registerError = platform::service_error::kInvalidName;
    serviceMain();
    EXPECT_EQ(bodyRuns, 0);
    EXPECT_TRUE(manager.reports.empty());
}

TEST_F(ServiceEntryTest, FailedRunningReportEndsTheEntryAtOnce) {
    manager.reportError = platform::service_error::kInvalidHandle;
    serviceMain();
    EXPECT_EQ(bodyRuns, 0);
    EXPECT_EQ(manager.reports, std::vector<ServiceState>{ServiceState::Running});
}

TEST_F(ServiceEntryTest, StopControlReportsStoppedAndRequestsTheStop) {
    stopRequested = false;
    serviceControlHandler(platform::kServiceControlStop);
    EXPECT_TRUE(stopRequested);
    EXPECT_EQ(manager.reports, std::vector<ServiceState>{ServiceState::Stopped});
}

TEST_F(ServiceEntryTest, OtherControlsAreIgnored) {
    stopRequested = false;
    for (std::uint32_t control : {0u, 2u, 3u, 4u, 5u, 0x40u}) {
        serviceControlHandler(control);
    }
    EXPECT_FALSE(stopRequested);
    EXPECT_TRUE(manager.reports.empty());
}

// The control handler runs on the dispatcher's control thread while the service body runs:
// the stop it reports must end the body's wait, and both status reports must reach the manager.
int waitingBody() {
    while (!stopRequested) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

TEST(ServiceEntryConcurrency, StopFromTheControlThreadEndsTheRunningBody) {
    FakeClock clock;
    FakeServiceManager manager(clock);
    bindServiceEntry(&manager, &waitingBody);
    stopRequested = true;
    std::thread entry([] { serviceMain(); });
    // The entry clears the flag before it runs the body; stop only once the body runs.
    while (stopRequested) {
        std::this_thread::yield();
    }
    std::thread control([] { serviceControlHandler(platform::kServiceControlStop); });
    control.join();
    entry.join();
    EXPECT_TRUE(stopRequested);
    EXPECT_EQ(manager.reports,
              (std::vector<ServiceState>{ServiceState::Running, ServiceState::Stopped}));
    stopRequested = false;
}

}  // namespace
}  // namespace lensws
