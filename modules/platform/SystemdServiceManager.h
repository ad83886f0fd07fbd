#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "platform/ServiceManager.h"

namespace platform {

// The service manager on Linux: systemd. A service is the unit "<name>.service" in the unit
// directory (/etc/systemd/system): Type=notify with a 30 s watchdog, restarted on failure,
// started at boot (enabled for
// multi-user.target), ExecStart= the program, OCUSERVICE_HOME in its environment and the home as
// its working directory. Start, stop, query and removal go to systemd over the system bus.
//
// Only a unit in the unit directory counts as installed by the program. A unit of the same name
// that systemd loads from elsewhere (a package's, in /lib/systemd/system) is the service too:
// install answers kServiceExists instead of writing a unit that would take its place, and
// remove answers kAccessDenied, leaving it to its owner; start, stop and query drive it.
//
// Where systemd is not the running service manager, every management operation fails with
// kDatabaseDoesNotExist ("The specified service control database does not exist."): with no
// manager running there is no service database to open, which is what that number means.
//
// The service side: a process started by systemd for a Type=notify unit has NOTIFY_SOCKET in its
// environment; without it the dispatcher fails at once. Status reports go out through
// sd_notify (running: READY=1; stopping or stopped: STOPPING=1), and SIGTERM, systemd's stop
// request, is the stop control: the dispatcher blocks it in every thread and a control thread
// takes it with sigwait and calls the control handler.
class SystemdServiceManager : public ServiceManager {
public:
    SystemdServiceManager();
    // `unitDirectory` replaces /etc/systemd/system (for tests).
    explicit SystemdServiceManager(std::string unitDirectory);
    ~SystemdServiceManager() override;
    SystemdServiceManager(const SystemdServiceManager&) = delete;
    SystemdServiceManager& operator=(const SystemdServiceManager&) = delete;

    // The unit file written for `service`; empty when a path cannot be written into a unit
    // file (it holds a line end or a control character).
    static std::string unitFileText(const ServiceDefinition& service);

    std::uint32_t install(const ServiceDefinition& service) override;
    std::uint32_t start(const std::string& name) override;
    std::uint32_t query(const std::string& name, ServiceStatus& status) override;
    std::uint32_t sendStop(const std::string& name, ServiceStatus& status) override;
    std::uint32_t remove(const std::string& name) override;

    std::uint32_t runDispatcher(const std::string& name, ServiceEntry entry) override;
    std::uint32_t registerControlHandler(const std::string& name, ControlHandler handler) override;
    std::uint32_t reportStatus(const ServiceStatus& status) override;

private:
    std::string unitPath(const std::string& name) const;
    void controlLoop();
    void stopControlThread();

    const std::string unitDirectory_;
    // Set before the control thread starts and read only by it.
    ControlHandler handler_ = nullptr;
    std::thread controlThread_;
    // Tells the control thread that the next SIGTERM it takes is the dispatcher ending it.
    std::atomic<bool> dispatcherDone_{false};
};

}  // namespace platform
