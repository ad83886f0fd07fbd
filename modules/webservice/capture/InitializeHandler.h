#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/initialize
// Initializing and releasing the sensor is the camera controller's work, which a later part of the
// service builds; until then both methods answer unsupported.
class InitializeHandler : public IHandler {
public:
    explicit InitializeHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
