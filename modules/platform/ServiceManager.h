#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Error numbers of service-control operations. Operators know these numbers from the service
// control manager of other platforms, and the command line prints a fixed text for each, so the
// service manager stand-in reports its failures in the same numbering. 0 is success.
namespace service_error {
constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kInvalidHandle = 6;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kAlreadyRunning = 1056;
constexpr std::uint32_t kNoSuchAccount = 1057;
constexpr std::uint32_t kServiceDisabled = 1058;
constexpr std::uint32_t kCircularDependency = 1059;
constexpr std::uint32_t kServiceDoesNotExist = 1060;
constexpr std::uint32_t kServiceNotActive = 1062;
constexpr std::uint32_t kNotStartedByManager = 1063;
constexpr std::uint32_t kDatabaseDoesNotExist = 1065;
constexpr std::uint32_t kMarkedForDelete = 1072;
constexpr std::uint32_t kServiceExists = 1073;
constexpr std::uint32_t kDuplicateDisplayName = 1078;
// Failures without a service-control number carry the system's errno with this bit set, the
// bit other platforms reserve for application-defined error numbers, so that they can never be
// mistaken for one of the numbers above.
constexpr std::uint32_t kSystemErrorFlag = 0x20000000u;
}  // namespace service_error

enum class ServiceState { Stopped, StartPending, StopPending, Running };

// A service's status as the manager reports it, and as a running service reports its own.
struct ServiceStatus {
    ServiceState state = ServiceState::Stopped;
    std::uint32_t exitCode = 0;
    std::uint32_t checkPoint = 0;
    // How long the service expects its pending state to last, in milliseconds.
    std::uint32_t waitHintMs = 0;
};

// What installing a service records: its name, the program the manager starts (with no
// arguments) and the home directory the program is started with (OCUSERVICE_HOME).
struct ServiceDefinition {
    std::string name;
    std::string programPath;
    std::string home;
};

// The control code that asks a running service to stop.
constexpr std::uint32_t kServiceControlStop = 1;

// The operating system's service manager: the management operations the command line uses,
// and the service side (dispatcher, control handler, status reports) of a process the manager
// started. Every operation returns 0 or a number of `service_error`; every handle or connection
// an operation opens is closed before it returns. Implementations: `SystemdServiceManager`,
// and fakes in the tests.
class ServiceManager {
public:
    using ServiceEntry = void (*)();
    using ControlHandler = void (*)(std::uint32_t control);

    virtual ~ServiceManager() = default;

    // Creates the service, started automatically at boot. kServiceExists when it exists.
    virtual std::uint32_t install(const ServiceDefinition& service) = 0;
    // Asks the manager to start the service; does not wait for it to run.
    virtual std::uint32_t start(const std::string& name) = 0;
    virtual std::uint32_t query(const std::string& name, ServiceStatus& status) = 0;
    // Sends the stop control; `status` receives the service's status after the control.
    virtual std::uint32_t sendStop(const std::string& name, ServiceStatus& status) = 0;
    // Deletes the service.
    virtual std::uint32_t remove(const std::string& name) = 0;

    // Runs `entry` as the service `name` and returns when it returns. Fails at once with
    // kNotStartedByManager when the process was not started by the manager.
    virtual std::uint32_t runDispatcher(const std::string& name, ServiceEntry entry) = 0;
    // From within the service entry: from now on the manager's controls reach `handler`, on a
    // thread of the dispatcher's.
    virtual std::uint32_t registerControlHandler(const std::string& name,
                                                 ControlHandler handler) = 0;
    // From within the service: tells the manager the service's state.
    virtual std::uint32_t reportStatus(const ServiceStatus& status) = 0;
};

}  // namespace platform
