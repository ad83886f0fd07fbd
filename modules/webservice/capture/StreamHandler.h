#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/getstream
// GET /1.0/getstream?session_id=… answers the current preview images of the running capture as
// Base64 JPEG texts in "streamDatas" (one per eye), for the session that holds the lock.
class StreamHandler : public IHandler {
public:
    explicit StreamHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
