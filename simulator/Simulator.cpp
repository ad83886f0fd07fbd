#include "simulator/Simulator.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "simulator/DeviceDirectory.h"

namespace ocusim {

Simulator::Simulator(const SimOptions& options)
    : options_(options),
      profile_(DeviceProfile::fromOptions(options)),
      gallery_(options.galleryCapacity, options.galleryFile) {}

Simulator::~Simulator() {
    // Endpoints and the control server remove what they published as they go.
    control_.reset();
    commands_.reset();
    usb_.reset();
    serial_.reset();
    for (int fd : stopPipe_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

std::string Simulator::terminalPath() const {
    return serial_ ? serial_->terminalPath() : "";
}

bool Simulator::start(std::string& error) {
    if (::pipe2(stopPipe_, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = "cannot make the stop pipe";
        return false;
    }
    const std::string directory =
        options_.deviceDir.empty() ? defaultDeviceDirectory() : options_.deviceDir;
    controlPath_ = options_.controlPath.empty()
                       ? directory + "/ocucam-" + profile_.serialNumber + ".control"
                       : options_.controlPath;
    if ((!options_.serial() || options_.controlPath.empty()) &&
        !makeDirectories(directory, error)) {
        return false;
    }
    const std::size_t slash = controlPath_.rfind('/');
    if (slash != std::string::npos && slash > 0 &&
        !makeDirectories(controlPath_.substr(0, slash), error)) {
        return false;
    }
    if (gallery_.open() != 0) {
        std::fprintf(stderr, "ocucam-sim: the gallery file %s is unreadable; starting empty\n",
                     options_.galleryFile.c_str());
    }

    SceneControl scene;
    scene.subject = options_.subject;
    scene.captureMs = options_.captureMs;
    scene.frameRate = options_.frameRate;
    scene.emptyGalleryStatus = options_.emptyGalleryStatus;
    camera_ = std::make_unique<CameraDevice>(profile_, scene, generator_, gallery_, options_.dozeMs,
                                             options_.wakePolls);
    session_ = std::make_unique<DeviceSession>(*camera_);

    ControlCommands::Targets targets{*camera_, *session_, nullptr, {}, {}};
    if (options_.serial()) {
        serial_ = std::make_unique<SerialEndpoint>(options_.serialLink, options_.baud,
                                                   options_.pacing, *session_, *camera_);
        if (!serial_->open(error)) {
            return false;
        }
        targets.hostAttached = [this] { return serial_->hostAttached(); };
    } else {
        devicePath_ = directory + "/" +
                      usbSocketName(profile_.vendorId, profile_.productId, profile_.serialNumber);
        driver_ = std::make_unique<DriverState>(profile_, *camera_);
        usb_ = std::make_unique<UsbEndpoint>(devicePath_, *session_, *driver_, *camera_);
        if (!usb_->open(error)) {
            return false;
        }
        targets.driver = driver_.get();
        targets.hostAttached = [this] { return usb_->hostAttached(); };
        targets.unplug = [this] { usb_->disconnectHost(Clock::now()); };
    }
    commands_ = std::make_unique<ControlCommands>(std::move(targets));
    control_ = std::make_unique<ControlServer>(controlPath_, *commands_);
    if (!control_->open(error)) {
        return false;
    }
    if (!options_.quiet) {
        if (usb_) {
            std::printf("ocucam-sim: %s (vid %04x, pid %04x, firmware 0x%x) at %s\n",
                        profile_.modelName.c_str(), profile_.vendorId, profile_.productId,
                        profile_.firmware, devicePath_.c_str());
        } else {
            std::printf("ocucam-sim: %s (firmware 0x%x) on %s, linked at %s, %u baud\n",
                        profile_.modelName.c_str(), profile_.firmware,
                        serial_->terminalPath().c_str(), options_.serialLink.c_str(),
                        options_.baud);
        }
        std::printf("ocucam-sim: control socket %s\n", controlPath_.c_str());
        std::fflush(stdout);
    }
    return true;
}

void Simulator::requestStop() {
    stopRequested_.store(true);
    const char byte = 1;
    if (stopPipe_[1] >= 0) {
        [[maybe_unused]] const ssize_t ignored = ::write(stopPipe_[1], &byte, 1);
    }
}

void Simulator::run() {
    while (!stopRequested_.load()) {
        Clock::time_point now = Clock::now();
        Clock::time_point wake = now + std::chrono::seconds(1);
        PollList list;
        list.add(stopPipe_[0], POLLIN, [this](short) { stopRequested_.store(true); });
        if (usb_) {
            usb_->collect(list, now, wake);
        }
        if (serial_) {
            serial_->collect(list, now, wake);
        }
        control_->collect(list);
        const auto timeout = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
        if (!list.wait(static_cast<int>(std::max<long long>(0, timeout)))) {
            break;
        }
        list.dispatch();
        now = Clock::now();
        if (usb_) {
            usb_->flush(now);
        }
        if (serial_) {
            serial_->flush(now);
        }
    }
}

}  // namespace ocusim
