#include "service/RunService.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>

#include "camera/CameraHolder.h"
#include "platform/SystemdWatchdog.h"
#include "service/ServerProbe.h"
#include "service/ServiceConfiguration.h"
#include "service/ServiceRuntime.h"
#include "service/ServiceWatchdog.h"
#include "service/SignalHandler.h"
#include "service/StopFlag.h"

namespace lensws {

namespace {

constexpr std::chrono::milliseconds kRunLoopStep{1000};

}  // namespace

int runService() {
    return runService(stdout);
}

int runService(std::FILE* out) {
    installSignalHandlers();

    ServiceConfiguration configuration;
    std::string problem;
    if (!configuration.load(std::getenv("OCUSERVICE_HOME"), problem)) {
        std::fprintf(out, "The path configured by %s is longer than %zu characters.\n",
                     problem.c_str(), ServiceConfiguration::kMaxPath - 1);
        std::fflush(out);
        return 1;
    }

    vantrel_camera::CameraConnection camera;
    if (!vantrel_camera::parseCameraConnection(configuration.camera, camera, problem)) {
        std::fprintf(out, "%s\n", problem.c_str());
        std::fflush(out);
        return 1;
    }
    // The camera is connected on first use; it must know how it is attached before any request.
    vantrel_camera::CameraHolder::instance().setConnection(camera);

    ServiceRuntime runtime(configuration, out);
    try {
        runtime.start();
    } catch (const std::exception& error) {
        std::fputs(error.what(), out);
        runtime.shutdown();
        return 1;
    } catch (...) {
        runtime.shutdown();
        return 1;
    }

    const ServerProbe probe(configuration.listeningPorts);
    ServiceWatchdog watchdog(
        platform::systemdWatchdogInterval(),
        [&probe](std::chrono::milliseconds timeout) { return probe.answers(timeout); },
        platform::notifySystemdWatchdog);
    while (!stopRequested) {
        watchdog.tick(ServiceWatchdog::Clock::now());
        std::this_thread::sleep_for(kRunLoopStep);
    }

    std::fputs("Bye!\n", out);
    std::fflush(out);
    try {
        runtime.shutdown();
    } catch (const std::exception& error) {
        std::fputs(error.what(), out);
        return 1;
    } catch (...) {
        return 1;
    }
    return 0;
}

}  // namespace lensws
