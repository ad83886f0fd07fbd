#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/users
// Listing and deleting the gallery's users goes through the camera, which a later part of the
// service builds; until then both methods answer unsupported.
class UsersHandler : public IHandler {
public:
    explicit UsersHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
