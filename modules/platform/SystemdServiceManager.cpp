#include "platform/SystemdServiceManager.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace platform {

namespace {

using namespace service_error;

constexpr const char* kDestination = "org.freedesktop.systemd1";
constexpr const char* kManagerPath = "/org/freedesktop/systemd1";
constexpr const char* kManagerInterface = "org.freedesktop.systemd1.Manager";
constexpr const char* kUnitInterface = "org.freedesktop.systemd1.Unit";
constexpr const char* kDefaultUnitDirectory = "/etc/systemd/system";

// systemd has no wait hints; a pending state is reported with one second, the time our service
// takes to notice a stop request, so that a caller polling on the hint neither spins nor dawdles.
constexpr std::uint32_t kPendingWaitHintMs = 1000;

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, BusCloser>;

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// An sd_bus_error that frees itself.
class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    sd_bus_error* get() { return &error_; }

private:
    sd_bus_error error_{nullptr, nullptr, 0};
};

std::uint32_t fromErrno(int error) {
    if (error == EACCES || error == EPERM || error == EROFS) {
        return kAccessDenied;
    }
    return kSystemErrorFlag | static_cast<std::uint32_t>(error);
}

std::uint32_t fromBus(int result, BusError& error) {
    sd_bus_error* e = error.get();
    if (sd_bus_error_has_name(e, SD_BUS_ERROR_ACCESS_DENIED) ||
        sd_bus_error_has_name(e, SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED) ||
        sd_bus_error_has_name(e, SD_BUS_ERROR_AUTH_FAILED)) {
        return kAccessDenied;
    }
    if (sd_bus_error_has_name(e, "org.freedesktop.systemd1.NoSuchUnit") ||
        sd_bus_error_has_name(e, SD_BUS_ERROR_FILE_NOT_FOUND)) {
        return kServiceDoesNotExist;
    }
    if (sd_bus_error_has_name(e, "org.freedesktop.systemd1.UnitMasked")) {
        return kServiceDisabled;
    }
    return fromErrno(-result);
}

// "Opening the service manager": systemd must be the running manager and its bus reachable.
std::uint32_t openManager(Bus& bus) {
    if (sd_booted() <= 0) {
        return kDatabaseDoesNotExist;
    }
    sd_bus* raw = nullptr;
    int result = sd_bus_open_system(&raw);
    if (result < 0) {
        return (result == -EACCES || result == -EPERM) ? kAccessDenied : kDatabaseDoesNotExist;
    }
    bus.reset(raw);
    return kSuccess;
}

bool validServiceName(const std::string& name) {
    if (name.empty() || name.size() > 200) {
        return false;
    }
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-' || c == '.' || c == ':';
        if (!ok) {
            return false;
        }
    }
    return true;
}

std::string unitName(const std::string& name) {
    return name + ".service";
}

// A unit's load state ("loaded", "not-found", "masked", ...) and active state ("active",
// "inactive", "activating", "deactivating", "failed", "reloading").
struct UnitState {
    std::string load;
    std::string active;
};

std::uint32_t readProperty(sd_bus* bus, const char* path, const char* property, std::string& out) {
    BusError error;
    char* value = nullptr;
    int result = sd_bus_get_property_string(bus, kDestination, path, kUnitInterface, property,
                                            error.get(), &value);
    if (result < 0) {
        return fromBus(result, error);
    }
    out = value;
    std::free(value);
    return kSuccess;
}

std::uint32_t unitState(sd_bus* bus, const std::string& name, UnitState& state) {
    BusError error;
    sd_bus_message* raw = nullptr;
    int result = sd_bus_call_method(bus, kDestination, kManagerPath, kManagerInterface, "LoadUnit",
                                    error.get(), &raw, "s", unitName(name).c_str());
    Message reply(raw);
    if (result < 0) {
        return fromBus(result, error);
    }
    const char* path = nullptr;
    result = sd_bus_message_read(reply.get(), "o", &path);
    if (result < 0) {
        return fromErrno(-result);
    }
    std::uint32_t status = readProperty(bus, path, "LoadState", state.load);
    if (status == kSuccess) {
        status = readProperty(bus, path, "ActiveState", state.active);
    }
    return status;
}

// Connects to the manager and loads the unit of an existing service: the steps every
// operation on an installed service begins with.
std::uint32_t loadExistingUnit(Bus& bus, const std::string& name, UnitState& unit) {
    if (std::uint32_t error = openManager(bus)) {
        return error;
    }
    if (!validServiceName(name)) {
        return kInvalidName;
    }
    if (std::uint32_t error = unitState(bus.get(), name, unit)) {
        return error;
    }
    return unit.load == "not-found" ? kServiceDoesNotExist : kSuccess;
}

ServiceStatus statusOf(const UnitState& unit) {
    ServiceStatus status;
    if (unit.active == "active" || unit.active == "reloading") {
        status.state = ServiceState::Running;
    } else if (unit.active == "activating") {
        status.state = ServiceState::StartPending;
        status.waitHintMs = kPendingWaitHintMs;
    } else if (unit.active == "deactivating") {
        status.state = ServiceState::StopPending;
        status.waitHintMs = kPendingWaitHintMs;
    } else {
        status.state = ServiceState::Stopped;
    }
    return status;
}

// Calls a manager method that takes a unit name and a job mode ("StartUnit", "StopUnit").
std::uint32_t unitJob(sd_bus* bus, const char* method, const std::string& name) {
    BusError error;
    sd_bus_message* raw = nullptr;
    int result = sd_bus_call_method(bus, kDestination, kManagerPath, kManagerInterface, method,
                                    error.get(), &raw, "ss", unitName(name).c_str(), "replace");
    Message reply(raw);
    return result < 0 ? fromBus(result, error) : kSuccess;
}

std::uint32_t reload(sd_bus* bus) {
    BusError error;
    sd_bus_message* raw = nullptr;
    int result = sd_bus_call_method(bus, kDestination, kManagerPath, kManagerInterface, "Reload",
                                    error.get(), &raw, "");
    Message reply(raw);
    return result < 0 ? fromBus(result, error) : kSuccess;
}

std::uint32_t enableUnitFile(sd_bus* bus, const std::string& name) {
    BusError error;
    sd_bus_message* raw = nullptr;
    int result =
        sd_bus_call_method(bus, kDestination, kManagerPath, kManagerInterface, "EnableUnitFiles",
                           error.get(), &raw, "asbb", 1, unitName(name).c_str(), 0, 0);
    Message reply(raw);
    return result < 0 ? fromBus(result, error) : kSuccess;
}

std::uint32_t disableUnitFile(sd_bus* bus, const std::string& name) {
    BusError error;
    sd_bus_message* raw = nullptr;
    int result =
        sd_bus_call_method(bus, kDestination, kManagerPath, kManagerInterface, "DisableUnitFiles",
                           error.get(), &raw, "asb", 1, unitName(name).c_str(), 0);
    Message reply(raw);
    return result < 0 ? fromBus(result, error) : kSuccess;
}

// Writes `text` to `path` through a temporary file, so that the unit file is never seen half
// written.
std::uint32_t writeFileAtomically(const std::string& path, const std::string& text) {
    std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return fromErrno(errno);
    }
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            int error = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return fromErrno(error);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return fromErrno(error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return fromErrno(error);
    }
    return kSuccess;
}

bool hasControlCharacter(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return true;
        }
    }
    return false;
}

// A value in double quotes as unit files read it: backslash escapes, "%%" for a literal "%"
// (systemd's specifier character) and, on command lines, "$$" for a literal "$".
std::string quoted(const std::string& text, bool commandLine) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '%') {
            out += "%%";
        } else if (c == '$' && commandLine) {
            out += "$$";
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string specifierEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    return out;
}

}  // namespace

SystemdServiceManager::SystemdServiceManager() : unitDirectory_(kDefaultUnitDirectory) {}

SystemdServiceManager::SystemdServiceManager(std::string unitDirectory)
    : unitDirectory_(std::move(unitDirectory)) {}

SystemdServiceManager::~SystemdServiceManager() {
    stopControlThread();
}

std::string SystemdServiceManager::unitFileText(const ServiceDefinition& service) {
    const std::string& program = service.programPath;
    const std::string& home = service.home;
    if (program.empty() || program[0] != '/' || home.empty() || home[0] != '/' ||
        hasControlCharacter(program) || hasControlCharacter(home) ||
        hasControlCharacter(service.name)) {
        return {};
    }
    std::string text;
    text += "[Unit]\n";
    text += "Description=" + specifierEscaped(service.name) + " iris camera service\n";
    text += "After=network.target\n";
    text += "\n[Service]\n";
    text += "Type=notify\n";
    text += "ExecStart=" + quoted(program, true) + "\n";
    text += "Environment=" + quoted("OCUSERVICE_HOME=" + home, false) + "\n";
    text += "WorkingDirectory=" + specifierEscaped(home) + "\n";
    // The service feeds the watchdog while its web server answers; a service that stops
    // answering, or ends in failure, is started again.
    text += "WatchdogSec=30\n";
    text += "Restart=on-failure\n";
    text += "\n[Install]\n";
    text += "WantedBy=multi-user.target\n";
    return text;
}

std::string SystemdServiceManager::unitPath(const std::string& name) const {
    return unitDirectory_ + "/" + unitName(name);
}

std::uint32_t SystemdServiceManager::install(const ServiceDefinition& service) {
    Bus bus;
    if (std::uint32_t error = openManager(bus)) {
        return error;
    }
    if (!validServiceName(service.name)) {
        return kInvalidName;
    }
    std::string text = unitFileText(service);
    if (text.empty()) {
        return kInvalidParameter;
    }
    std::string path = unitPath(service.name);
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0) {
        return kServiceExists;
    }
    // A unit of that name that systemd loads from another folder (a package's unit in
    // /lib/systemd/system, say) is the service already: a unit written here would silently
    // take its place.
    UnitState unit;
    if (std::uint32_t error = unitState(bus.get(), service.name, unit)) {
        return error;
    }
    if (unit.load != "not-found") {
        return kServiceExists;
    }
    if (std::uint32_t error = writeFileAtomically(path, text)) {
        return error;
    }
    std::uint32_t error = enableUnitFile(bus.get(), service.name);
    if (error == kSuccess) {
        error = reload(bus.get());
    }
    if (error != kSuccess) {
        ::unlink(path.c_str());
    }
    return error;
}

std::uint32_t SystemdServiceManager::start(const std::string& name) {
    Bus bus;
    UnitState unit;
    if (std::uint32_t error = loadExistingUnit(bus, name, unit)) {
        return error;
    }
    if (unit.load == "masked") {
        return kServiceDisabled;
    }
    if (statusOf(unit).state != ServiceState::Stopped) {
        return kAlreadyRunning;
    }
    return unitJob(bus.get(), "StartUnit", name);
}

std::uint32_t SystemdServiceManager::query(const std::string& name, ServiceStatus& status) {
    Bus bus;
    UnitState unit;
    if (std::uint32_t error = loadExistingUnit(bus, name, unit)) {
        return error;
    }
    status = statusOf(unit);
    return kSuccess;
}

std::uint32_t SystemdServiceManager::sendStop(const std::string& name, ServiceStatus& status) {
    Bus bus;
    UnitState unit;
    if (std::uint32_t error = loadExistingUnit(bus, name, unit)) {
        return error;
    }
    if (statusOf(unit).state == ServiceState::Stopped) {
        return kServiceNotActive;
    }
    if (std::uint32_t error = unitJob(bus.get(), "StopUnit", name)) {
        return error;
    }
    if (std::uint32_t error = unitState(bus.get(), name, unit)) {
        return error;
    }
    status = statusOf(unit);
    return kSuccess;
}

std::uint32_t SystemdServiceManager::remove(const std::string& name) {
    Bus bus;
    if (std::uint32_t error = openManager(bus)) {
        return error;
    }
    if (!validServiceName(name)) {
        return kInvalidName;
    }
    std::string path = unitPath(name);
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return fromErrno(errno);
        }
        // Not installed here, yet systemd may load the unit from another folder: then it
        // belongs to whoever put it there (a package), and only that owner may delete it.
        UnitState unit;
        if (std::uint32_t error = unitState(bus.get(), name, unit)) {
            return error;
        }
        return unit.load == "not-found" ? kServiceDoesNotExist : kAccessDenied;
    }
    if (std::uint32_t error = disableUnitFile(bus.get(), name)) {
        return error;
    }
    if (::unlink(path.c_str()) != 0) {
        return fromErrno(errno);
    }
    return reload(bus.get());
}

std::uint32_t SystemdServiceManager::runDispatcher(const std::string& name, ServiceEntry entry) {
    if (std::getenv("NOTIFY_SOCKET") == nullptr) {
        return kNotStartedByManager;
    }
    if (!validServiceName(name)) {
        return kInvalidName;
    }
    // SIGTERM stays blocked in this thread and in every thread started from now on, so that
    // only the control thread takes it. The mask is not restored afterwards: a stop request
    // that arrives while the process winds down must not kill it.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    entry();
    stopControlThread();
    return kSuccess;
}

std::uint32_t SystemdServiceManager::registerControlHandler(const std::string& name,
                                                            ControlHandler handler) {
    if (!validServiceName(name) || handler == nullptr) {
        return kInvalidParameter;
    }
    if (controlThread_.joinable()) {
        return kAlreadyRunning;
    }
    handler_ = handler;
    dispatcherDone_ = false;
    // The thread starts with SIGTERM blocked (as the dispatcher's threads have it), so that
    // sigwait takes it and the signal that ends the thread cannot end the process.
    sigset_t set;
    sigset_t previous;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, &previous);
    controlThread_ = std::thread([this] { controlLoop(); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return kSuccess;
}

std::uint32_t SystemdServiceManager::reportStatus(const ServiceStatus& status) {
    const char* message = nullptr;
    switch (status.state) {
        case ServiceState::Running:
            message = "READY=1";
            break;
        case ServiceState::StopPending:
        case ServiceState::Stopped:
            message = "STOPPING=1";
            break;
        case ServiceState::StartPending:
            message = "STATUS=Starting";
            break;
    }
    int result = sd_notify(0, message);
    if (result < 0) {
        return fromErrno(-result);
    }
    return result == 0 ? kNotStartedByManager : kSuccess;
}

void SystemdServiceManager::controlLoop() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0) {
            continue;
        }
        if (dispatcherDone_) {
            return;
        }
        handler_(kServiceControlStop);
    }
}

void SystemdServiceManager::stopControlThread() {
    if (!controlThread_.joinable()) {
        return;
    }
    dispatcherDone_ = true;
    pthread_kill(controlThread_.native_handle(), SIGTERM);
    controlThread_.join();
}

}  // namespace platform
