#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/user
// Reading, writing and deleting one gallery user goes through the camera, which a later part of
// the service builds; until then every method answers unsupported.
class UserHandler : public IHandler {
public:
    explicit UserHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
