#include "simulator/ControlCommands.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

#include "simulator/FrameStamp.h"
#include "simulator/SimOptions.h"

namespace ocusim {

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> result;
    std::string word;
    while (stream >> word) {
        result.push_back(word);
    }
    return result;
}

bool code16(const std::string& text, std::uint16_t& value) {
    std::uint32_t parsed = 0;
    if (!parseHex(text, parsed) || parsed > 0xFFFF) {
        return false;
    }
    value = static_cast<std::uint16_t>(parsed);
    return true;
}

bool decimal(const std::string& text, std::uint32_t low, std::uint32_t high, std::uint32_t& value) {
    return parseNumber(text, value) && value >= low && value <= high;
}

// A distance as the camera reports it: a decimal number that the 32-bit float of the reply holds
// as read, from 0 up to (not including) 2, the largest distance two irises can have.
bool distance(const std::string& text, float& value) {
    const char* end = text.data() + text.size();
    const std::from_chars_result parsed =
        std::from_chars(text.data(), end, value, std::chars_format::fixed);
    return parsed.ec == std::errc() && parsed.ptr == end && std::isfinite(value) && value >= 0.0f &&
           value < 2.0f;
}

const char* kHelp =
    "ok subject eyes capture-ms frame-rate stamp-frames capture-times fail drop delay echo short "
    "count state driver doze "
    "doze-ms wake-polls empty-gallery-status next-distance commit-pause unplug help";

}  // namespace

std::string ControlCommands::execute(const std::string& line, Clock::time_point now) {
    const std::vector<std::string> w = words(line);
    if (w.empty()) {
        return "error empty command";
    }
    const std::string& name = w[0];
    CameraState& camera = targets_.camera.state();
    std::uint16_t code = 0;
    std::uint16_t other = 0;
    std::uint32_t number = 0;

    if (name == "help" && w.size() == 1) {
        return kHelp;
    }
    if (name == "state" && w.size() == 1) {
        return state(now);
    }
    if (name == "driver" && w.size() == 1) {
        return driver();
    }
    if (name == "subject" && w.size() == 2) {
        camera.scene.subject = w[1];
        return "ok";
    }
    if (name == "eyes" && w.size() == 2) {
        if (w[1] == "both") {
            camera.scene.eyes = EyesShown::Both;
        } else if (w[1] == "left") {
            camera.scene.eyes = EyesShown::Left;
        } else if (w[1] == "right") {
            camera.scene.eyes = EyesShown::Right;
        } else {
            return "error eyes takes both, left or right";
        }
        return "ok";
    }
    if (name == "capture-ms" && w.size() == 2) {
        if (!decimal(w[1], 0, 600000, number)) {
            return "error capture-ms takes 0 to 600000";
        }
        camera.scene.captureMs = number;
        return "ok";
    }
    if (name == "stamp-frames" && w.size() == 2 && (w[1] == "on" || w[1] == "off")) {
        camera.scene.stampFrames = w[1] == "on";
        return "ok";
    }
    if (name == "capture-times" && w.size() == 1) {
        if (!camera.capture) {
            return "error no capture yet";
        }
        return "ok start=" + std::to_string(steadyMicroseconds(camera.capture->startTime())) +
               " complete=" + std::to_string(steadyMicroseconds(camera.capture->completionTime()));
    }
    if (name == "frame-rate" && w.size() == 2) {
        if (!decimal(w[1], 1, 120, number)) {
            return "error frame-rate takes 1 to 120";
        }
        camera.scene.frameRate = number;
        return "ok";
    }
    if (name == "fail" && w.size() == 3) {
        if (!code16(w[1], code) || !code16(w[2], other)) {
            return "error fail takes a command code and a status, both hexadecimal";
        }
        targets_.camera.armFailure(code, other);
        return "ok";
    }
    if (name == "drop" && w.size() == 2) {
        if (!code16(w[1], code)) {
            return "error drop takes a hexadecimal command code";
        }
        targets_.session.faults().dropNext(code);
        return "ok";
    }
    if (name == "delay" && w.size() == 3) {
        if (!code16(w[1], code) || !decimal(w[2], 0, 600000, number)) {
            return "error delay takes a hexadecimal command code and milliseconds";
        }
        targets_.session.faults().delayNext(code, std::chrono::milliseconds(number));
        return "ok";
    }
    if (name == "echo" && w.size() == 3) {
        if (!code16(w[1], code) || !code16(w[2], other)) {
            return "error echo takes two hexadecimal command codes";
        }
        targets_.session.faults().echoNext(code, other);
        return "ok";
    }
    if (name == "short" && w.size() == 3) {
        if (!code16(w[1], code) || !decimal(w[2], 0, 87, number)) {
            return "error short takes a hexadecimal command code and 0 to 87 bytes";
        }
        targets_.session.faults().shortenNext(code, number);
        return "ok";
    }
    if (name == "count" && w.size() == 2) {
        if (!code16(w[1], code)) {
            return "error count takes a hexadecimal command code";
        }
        return "ok " + std::to_string(targets_.session.commandCount(code));
    }
    if (name == "doze" && w.size() == 1) {
        if (!camera.power.canDoze()) {
            return "error firmware before 0x40000 does not doze";
        }
        camera.power.dozeAt(now);
        return "ok";
    }
    if (name == "doze-ms" && w.size() == 2) {
        if (!decimal(w[1], 1, 3600000, number)) {
            return "error doze-ms takes 1 to 3600000";
        }
        camera.power.setDozeMs(number);
        return "ok";
    }
    if (name == "wake-polls" && w.size() == 2) {
        if (!decimal(w[1], 0, 1000, number)) {
            return "error wake-polls takes 0 to 1000";
        }
        camera.power.setWakePolls(number);
        return "ok";
    }
    if (name == "empty-gallery-status" && w.size() == 2) {
        std::uint32_t status = 0;
        if (!parseHex(w[1], status) || (status != 0 && status != 0x4003)) {
            return "error empty-gallery-status takes 0 or 4003";
        }
        camera.scene.emptyGalleryStatus = static_cast<std::uint16_t>(status);
        return "ok";
    }
    if (name == "next-distance" && w.size() == 2) {
        if (w[1] == "off") {
            camera.scene.nextDistance.reset();
            return "ok";
        }
        float value = 0;
        if (!distance(w[1], value)) {
            return "error next-distance takes a decimal number from 0 up to 2, or off";
        }
        camera.scene.nextDistance = value;
        return "ok";
    }
    if (name == "commit-pause" && w.size() == 2) {
        if (!decimal(w[1], 0, 600000, number)) {
            return "error commit-pause takes 0 to 600000 milliseconds";
        }
        camera.gallery.pauseNextCommit(std::chrono::milliseconds(number));
        return "ok";
    }
    if (name == "unplug" && w.size() == 1) {
        if (!targets_.unplug) {
            return "error only a USB camera can be unplugged";
        }
        targets_.unplug();
        return "ok";
    }
    return "error unknown command or wrong arguments: " + line;
}

std::string ControlCommands::state(Clock::time_point now) const {
    CameraState& camera = targets_.camera.state();
    std::ostringstream text;
    text << "ok open=" << (targets_.hostAttached && targets_.hostAttached() ? 1 : 0)
         << " initialised=" << (camera.initialised ? 1 : 0)
         << " capturing=" << (camera.capturing(now) ? 1 : 0)
         << " status=" << static_cast<int>(camera.capture ? camera.capture->status(now) : 0)
         << " dozing=" << (camera.power.dozing(now) ? 1 : 0)
         << " gallery=" << camera.gallery.enrolleeCount()
         << " templates=" << camera.gallery.templateCount() << " subject=" << camera.scene.subject;
    return text.str();
}

std::string ControlCommands::driver() const {
    if (targets_.driver == nullptr) {
        return "error not a USB camera";
    }
    const DriverState::Record& record = targets_.driver->record();
    std::ostringstream text;
    text << "ok requests=" << record.requests << " timeout=" << record.lastTimeout
         << " timeouts-set=" << record.timeoutsSet << " pipe0=" << record.pipeControls[0]
         << " pipe1=" << record.pipeControls[1] << " pipe2=" << record.pipeControls[2]
         << " pipe3=" << record.pipeControls[3] << " pipe-resets=" << record.pipeResets
         << " wake-polls=" << record.wakePolls << " second-version=" << record.secondVersionReads
         << " driver-commands=" << record.driverCommands;
    return text.str();
}

}  // namespace ocusim
