#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/enroll
// POST enrolls the camera's last capture in its gallery under "user_id".
class EnrollHandler : public IHandler {
public:
    explicit EnrollHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
