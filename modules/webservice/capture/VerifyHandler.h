#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/verifycapture
// Verification matches a capture against the camera's gallery, which a later part of the service
// builds; until then it answers unsupported.
class VerifyHandler : public IHandler {
public:
    explicit VerifyHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
