#pragma once

#include <CivetServer.h>

namespace lensws {

class AccessTokenStore;

// /1.0/admin/token: GET …/generate answers a fresh token text (not stored); POST and DELETE
// ?token_id=… add and remove an accepted token. Administration handlers answer no preflight;
// the web server demands the administrator's digest credentials before they run. The store is
// not owned and outlives the handler.
class TokenHandler : public CivetHandler {
public:
    explicit TokenHandler(AccessTokenStore* tokens) : tokens_(tokens) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;

private:
    AccessTokenStore* tokens_;
};

}  // namespace lensws
