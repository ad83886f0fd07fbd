#pragma once

#include <CivetServer.h>

namespace lensws {

class AccessTokenStore;

// /1.0/admin/config: GET answers "tokenAuthentication"; POST with the body
// {"config": {"tokenAuthentication": true or false}} switches the token check. No preflight;
// the store is not owned and outlives the handler.
class AdminConfigHandler : public CivetHandler {
public:
    explicit AdminConfigHandler(AccessTokenStore* tokens) : tokens_(tokens) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;

private:
    AccessTokenStore* tokens_;
};

}  // namespace lensws
