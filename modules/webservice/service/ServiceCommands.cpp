#include "service/ServiceCommands.h"

#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "service/ServiceError.h"

namespace lensws {

namespace {

using platform::ServiceState;
using platform::ServiceStatus;

constexpr std::uint32_t kStopBudgetMs = 30000;
constexpr std::uint32_t kMinPendingRoundMs = 1000;
constexpr std::uint32_t kMaxPendingRoundMs = 10000;

std::uint32_t systemError(int error) {
    return platform::service_error::kSystemErrorFlag | static_cast<std::uint32_t>(error);
}

// The program's own path, as the kernel knows it.
std::uint32_t programPath(std::string& path) {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length < 0) {
        return systemError(errno);
    }
    if (static_cast<std::size_t>(length) >= sizeof buffer) {
        return systemError(ENAMETOOLONG);
    }
    path.assign(buffer, static_cast<std::size_t>(length));
    return platform::service_error::kSuccess;
}

// OCUSERVICE_HOME, or the working directory when it is unset or empty: the same home the
// program uses when it runs in the foreground. Made absolute when it exists.
std::uint32_t serviceHome(std::string& home) {
    const char* value = std::getenv("OCUSERVICE_HOME");
    if (value != nullptr && *value != '\0') {
        home = value;
    } else {
        char buffer[PATH_MAX];
        if (::getcwd(buffer, sizeof buffer) == nullptr) {
            return systemError(errno);
        }
        home = buffer;
    }
    char resolved[PATH_MAX];
    if (::realpath(home.c_str(), resolved) != nullptr) {
        home = resolved;
    }
    return platform::service_error::kSuccess;
}

bool failed(std::uint32_t error, std::FILE* out) {
    if (error == platform::service_error::kSuccess) {
        return false;
    }
    reportServiceError(error, out);
    return true;
}

}  // namespace

bool installService(platform::ServiceManager& manager, std::FILE* out) {
    platform::ServiceDefinition service;
    service.name = kServiceName;
    if (failed(programPath(service.programPath), out) || failed(serviceHome(service.home), out)) {
        return false;
    }
    return !failed(manager.install(service), out);
}

bool startService(platform::ServiceManager& manager, std::FILE* out) {
    return !failed(manager.start(kServiceName), out);
}

bool stopService(platform::ServiceManager& manager, ServiceClock& clock, const char* name,
                 std::FILE* out) {
    const std::uint32_t startTick = clock.tickCount();
    auto budgetSpent = [&] { return clock.tickCount() - startTick > kStopBudgetMs; };

    ServiceStatus status;
    if (failed(manager.query(name, status), out)) {
        return false;
    }
    if (status.state == ServiceState::Stopped) {
        std::fprintf(out, "Service is already stopped.\n");
        return true;
    }
    while (status.state == ServiceState::StopPending) {
        std::fprintf(out, "Stop pending...\n");
        clock.sleep(std::clamp(status.waitHintMs / 10, kMinPendingRoundMs, kMaxPendingRoundMs));
        if (failed(manager.query(name, status), out)) {
            return false;
        }
        if (status.state == ServiceState::Stopped) {
            std::fprintf(out, "Service stopped successfully.\n");
            return true;
        }
        if (budgetSpent()) {
            std::fprintf(out, "Service stop timed out.\n");
            return false;
        }
    }
    if (failed(manager.sendStop(name, status), out)) {
        return false;
    }
    while (status.state != ServiceState::Stopped) {
        clock.sleep(status.waitHintMs);
        if (failed(manager.query(name, status), out)) {
            return false;
        }
        if (status.state == ServiceState::Stopped) {
            break;
        }
        if (budgetSpent()) {
            std::fprintf(out, "Wait timed out\n");
            return false;
        }
    }
    return true;
}

bool removeService(platform::ServiceManager& manager, std::FILE* out) {
    return !failed(manager.remove(kServiceName), out);
}

}  // namespace lensws
