#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "simulator/CameraDevice.h"
#include "simulator/ControlCommands.h"
#include "simulator/ControlServer.h"
#include "simulator/DeviceSession.h"
#include "simulator/DriverState.h"
#include "simulator/Gallery.h"
#include "simulator/SerialEndpoint.h"
#include "simulator/SimOptions.h"
#include "simulator/SyntheticEyeGenerator.h"
#include "simulator/UsbEndpoint.h"

namespace ocusim {

// ocucam-sim: one camera, published on its link, with its control socket, served by one
// event-loop thread until asked to stop. Everything the simulator owns is created by `start` and
// released, with the socket, control socket and link removed, by the destructor.
class Simulator {
public:
    explicit Simulator(const SimOptions& options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Publishes the camera and opens the control socket; false with `error` when that fails.
    bool start(std::string& error);
    // Serves until `requestStop`.
    void run();
    // Safe from any thread and from a signal handler.
    void requestStop();

    // Where the USB camera is published (empty on a serial camera).
    const std::string& devicePath() const { return devicePath_; }
    const std::string& controlPath() const { return controlPath_; }
    // The pseudo-terminal a serial camera serves (empty on a USB camera).
    std::string terminalPath() const;
    const DeviceProfile& profile() const { return profile_; }

private:
    SimOptions options_;
    DeviceProfile profile_;
    std::string devicePath_;
    std::string controlPath_;
    SyntheticEyeGenerator generator_;
    Gallery gallery_;
    std::unique_ptr<CameraDevice> camera_;
    std::unique_ptr<DeviceSession> session_;
    std::unique_ptr<DriverState> driver_;
    std::unique_ptr<UsbEndpoint> usb_;
    std::unique_ptr<SerialEndpoint> serial_;
    std::unique_ptr<ControlCommands> commands_;
    std::unique_ptr<ControlServer> control_;
    // The only members other threads (and signal handlers) touch: `requestStop` sets the flag and
    // writes a byte into the pipe, whose descriptors are made by `start` before `run` begins.
    int stopPipe_[2] = {-1, -1};
    std::atomic<bool> stopRequested_{false};
};

}  // namespace ocusim
