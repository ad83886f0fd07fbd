#pragma once

// A scripted service manager and clock for the service-control tests: the clock only moves when
// something sleeps on it, and the manager's service stops a given time after the stop control.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ServiceManager.h"
#include "service/ServiceClock.h"

namespace lensws::testing {

class FakeClock : public ServiceClock {
public:
    std::uint32_t tickCount() override { return now; }
    void sleep(std::uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }

    std::uint32_t now = 1000;
    std::vector<std::uint32_t> sleeps;
};

class FakeServiceManager : public platform::ServiceManager {
public:
    explicit FakeServiceManager(FakeClock& clock) : clock_(clock) {}

    std::uint32_t install(const platform::ServiceDefinition& service) override {
        calls.push_back("install");
        if (managerError != 0) {
            return managerError;
        }
        if (exists) {
            return platform::service_error::kServiceExists;
        }
        installed = service;
        exists = true;
        status.state = platform::ServiceState::Stopped;
        return 0;
    }

    std::uint32_t start(const std::string& name) override {
        calls.push_back("start " + name);
        if (std::uint32_t error = openService()) {
            return error;
        }
        if (status.state != platform::ServiceState::Stopped) {
            return platform::service_error::kAlreadyRunning;
        }
        status.state = platform::ServiceState::StartPending;
        return 0;
    }

    std::uint32_t query(const std::string& name, platform::ServiceStatus& out) override {
        calls.push_back("query " + name);
        if (std::uint32_t error = openService()) {
            return error;
        }
        if (queryErrorAfter && *queryErrorAfter == 0) {
            return platform::service_error::kInvalidHandle;
        }
        if (queryErrorAfter) {
            --*queryErrorAfter;
        }
        advance();
        out = status;
        return 0;
    }

    std::uint32_t sendStop(const std::string& name, platform::ServiceStatus& out) override {
        calls.push_back("stop " + name);
        if (std::uint32_t error = openService()) {
            return error;
        }
        if (sendStopError != 0) {
            return sendStopError;
        }
        status.state = platform::ServiceState::StopPending;
        status.waitHintMs = waitHintMs;
        settlesInto_ = platform::ServiceState::Stopped;
        settleAfter_ = stopTakesMs;
        settleStart_ = clock_.now;
        advance();
        out = status;
        return 0;
    }

    std::uint32_t remove(const std::string& name) override {
        calls.push_back("remove " + name);
        if (std::uint32_t error = openService()) {
            return error;
        }
        exists = false;
        return 0;
    }

    std::uint32_t runDispatcher(const std::string& name, ServiceEntry entry) override {
        calls.push_back("dispatch " + name);
        if (!startedByManager) {
            return platform::service_error::kNotStartedByManager;
        }
        entry();
        return 0;
    }

    std::uint32_t registerControlHandler(const std::string& name, ControlHandler handler) override {
        calls.push_back("register " + name);
        if (registerError != 0) {
            return registerError;
        }
        controlHandler = handler;
        return 0;
    }

    std::uint32_t reportStatus(const platform::ServiceStatus& reported) override {
        reports.push_back(reported.state);
        return reportError;
    }

    // Makes the service stopping at once, as if another stop had been sent earlier; after
    // `takesMs` (never without it) it settles into `settlesInto`.
    void beginPendingStop(std::uint32_t hint, std::optional<std::uint32_t> takesMs,
                          platform::ServiceState settlesInto = platform::ServiceState::Stopped) {
        status.state = platform::ServiceState::StopPending;
        status.waitHintMs = hint;
        settleAfter_ = takesMs;
        settleStart_ = clock_.now;
        settlesInto_ = settlesInto;
    }

    // Script.
    std::uint32_t managerError = 0;  // every management operation fails with it
    bool exists = true;
    platform::ServiceStatus status{platform::ServiceState::Running, 0, 0, 0};
    std::uint32_t waitHintMs = 0;
    std::optional<std::uint32_t> stopTakesMs;  // never stops without it
    std::optional<int> queryErrorAfter;        // queries that succeed before one fails
    std::uint32_t sendStopError = 0;
    bool startedByManager = true;
    std::uint32_t registerError = 0;
    std::uint32_t reportError = 0;

    // Record.
    std::vector<std::string> calls;
    std::vector<platform::ServiceState> reports;
    std::optional<platform::ServiceDefinition> installed;
    ControlHandler controlHandler = nullptr;

private:
    std::uint32_t openService() const {
        if (managerError != 0) {
            return managerError;
        }
        return exists ? 0 : platform::service_error::kServiceDoesNotExist;
    }

    void advance() {
        // Elapsed time as a difference, so that it survives the tick count wrapping around.
        if (settleAfter_ && clock_.now - settleStart_ >= *settleAfter_) {
            status.state = settlesInto_;
            settleAfter_.reset();
        }
    }

    FakeClock& clock_;
    std::optional<std::uint32_t> settleAfter_;
    std::uint32_t settleStart_ = 0;
    platform::ServiceState settlesInto_ = platform::ServiceState::Stopped;
};

}  // namespace lensws::testing
