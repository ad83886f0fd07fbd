#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/identifycapture
// Identification searches the camera's gallery for a capture, which a later part of the service
// builds; until then it answers unsupported.
class IdentifyHandler : public IHandler {
public:
    explicit IdentifyHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
