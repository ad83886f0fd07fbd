#pragma once

#include <CivetServer.h>

namespace lensws {

class AccessTokenStore;

// GET /1.0/admin/tokens: every accepted token, in order, as "tokens" (an empty array when
// there are none). No preflight; the store is not owned and outlives the handler.
class TokensHandler : public CivetHandler {
public:
    explicit TokensHandler(AccessTokenStore* tokens) : tokens_(tokens) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;

private:
    AccessTokenStore* tokens_;
};

}  // namespace lensws
