#pragma once

#include <cstdint>

#include "platform/ServiceManager.h"

namespace lensws {

// The service body that serviceMain runs (runService in the program).
using ServiceBody = int (*)();

// Names the manager that serviceMain and serviceControlHandler report to and the body that
// serviceMain runs. Called once by the command line before the dispatcher starts; `manager`
// must outlive the dispatcher.
void bindServiceEntry(platform::ServiceManager* manager, ServiceBody body);

// The service's entry, run by the dispatcher: registers serviceControlHandler, reports running
// (before the configuration is read or a port is bound), clears stopRequested and runs the body.
// Returns at once when registration or the report fails; reports nothing after the body ends.
void serviceMain();

// What the body returned when serviceMain ran it; 0 when it did not run since bindServiceEntry. The
// process ends with it, so that a service whose web server could not start is seen to fail (and
// systemd's Restart=on-failure applies) instead of ending as if stopped in order.
int serviceResult();

// The manager's controls: a stop reports the stopped state at once and then sets
// stopRequested, which the run loop notices within a second. Other controls are ignored.
void serviceControlHandler(std::uint32_t control);

}  // namespace lensws
