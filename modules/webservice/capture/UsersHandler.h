#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/users
// GET /1.0/users/id lists the enrolled user identifiers; GET /1.0/users/info the user records
// (none kept here: unsupported); DELETE removes every user.
class UsersHandler : public IHandler {
public:
    explicit UsersHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
