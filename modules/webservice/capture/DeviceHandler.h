#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/deviceinfo
// Device information comes from the camera controller, which a later part of the service builds;
// until then it answers unsupported.
class DeviceHandler : public IHandler {
public:
    explicit DeviceHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
