#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/camera
// The device scan goes through the camera controller, which a later part of the service builds;
// until then it answers unsupported.
class CameraHandler : public IHandler {
public:
    explicit CameraHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
