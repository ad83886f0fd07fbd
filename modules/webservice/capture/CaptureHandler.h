#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/capture
// Capturing needs the camera controller and its capture thread, which a later part of the service
// builds; until then the capture answers unsupported.
class CaptureHandler : public IHandler {
public:
    explicit CaptureHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
