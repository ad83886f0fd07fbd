#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/camera
// GET /1.0/camera/scan lists the cameras the camera object can see in "devices", for the session
// that holds the lock; any other sub-command is unsupported.
class CameraHandler : public IHandler {
public:
    explicit CameraHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
