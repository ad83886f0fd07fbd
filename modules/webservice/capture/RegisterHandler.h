#pragma once

#include "capture/IHandler.h"

namespace lensws {

class AccessTokenStore;

// /1.0/register: POST registers a session (presenting an access token in the body as
// {"token": "…"} while the token check is on); DELETE ?session_id=… ends one. Both need the
// command word "register". The token store is not owned and outlives the handler.
class RegisterHandler : public IHandler {
public:
    RegisterHandler(ServiceContext* context, AccessTokenStore* tokens)
        : IHandler(context), tokens_(tokens) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;

private:
    // The access-token check; on failure the result holds failure with its message.
    bool requireAccessToken(mg_connection* connection, ResultDocument& result) const;

    AccessTokenStore* tokens_;
};

}  // namespace lensws
