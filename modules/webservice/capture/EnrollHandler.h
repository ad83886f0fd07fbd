#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/enroll
// Enrollment stores a capture in the camera's gallery, which a later part of the service builds;
// until then it answers unsupported.
class EnrollHandler : public IHandler {
public:
    explicit EnrollHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
