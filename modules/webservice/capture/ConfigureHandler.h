#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/configure
// Reading and writing the sensor configuration is the camera controller's work, which a later part
// of the service builds; until then both methods answer unsupported.
class ConfigureHandler : public IHandler {
public:
    explicit ConfigureHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
