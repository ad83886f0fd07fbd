#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/user
// GET /1.0/user/templateinfo: what the camera stores of one user; GET /1.0/user/info and POST:
// the user's record (none kept here: unsupported); DELETE removes the user.
class UserHandler : public IHandler {
public:
    explicit UserHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
