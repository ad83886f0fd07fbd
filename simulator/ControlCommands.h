#pragma once

#include <functional>
#include <string>

#include "simulator/CameraDevice.h"
#include "simulator/DeviceSession.h"
#include "simulator/DriverState.h"

namespace ocusim {

// The text commands of the control socket, one line each, answered by one line that starts with
// "ok" or "error":
//
//   subject NAME | subject none   who is in front of the camera (none: nobody)
//   eyes both|left|right          which eyes the person shows (see EyesShown)
//   capture-ms N                  capture length until a qualified frame
//   frame-rate N                  live frames per second (1..120)
//   stamp-frames on|off           live frames carry the steady clock's microsecond of their
//                                 hand-out in 48 blocks of 8 x 8 pixels at the top left
//   capture-times                 "ok start=… complete=…": the last capture's start and end in
//                                 microseconds of the steady clock
//   fail CODE STATUS              next command CODE is answered with STATUS (hexadecimal)
//   drop CODE                     next command CODE gets no answer at all
//   delay CODE MS                 the first answer to the next command CODE leaves MS later
//   echo CODE OTHER               the reply to the next command CODE echoes OTHER
//   short CODE BYTES              the reply to the next command CODE is cut to BYTES bytes
//   count CODE                    "ok N": command blocks of that code received so far
//   state                         "ok open=… initialised=… capturing=… status=… dozing=…
//                                 gallery=… templates=… subject=…"
//   driver                        USB only: "ok requests=… timeout=… timeouts-set=… pipe0=…
//                                 pipe1=… pipe2=… pipe3=… pipe-resets=… wake-polls=…
//                                 second-version=… driver-commands=…"
//   doze                          firmware 0x40000+: the camera dozes now
//   doze-ms N, wake-polls N       dozing after N idle ms; N wake-up polls answered 1
//   empty-gallery-status 0|4003   status of gallery replies for an empty gallery
//   commit-pause MS               the next gallery commit holds its written temporary file back
//                                 MS before renaming it over the gallery file (the camera waits)
//   next-distance D | off         the next comparison of the last capture with an enrollee
//                                 reports the distance D (0 <= D < 2) instead of its own, once
//   unplug                        USB only: drop the host's connection
//   help                          the command names
class ControlCommands {
public:
    struct Targets {
        CameraDevice& camera;
        DeviceSession& session;
        const DriverState* driver = nullptr;  // null on a serial camera
        std::function<bool()> hostAttached;
        std::function<void()> unplug;  // empty on a serial camera
    };

    explicit ControlCommands(Targets targets) : targets_(std::move(targets)) {}

    std::string execute(const std::string& line, Clock::time_point now);

private:
    std::string state(Clock::time_point now) const;
    std::string driver() const;

    Targets targets_;
};

}  // namespace ocusim
