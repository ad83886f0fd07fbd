#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/verifycapture
// POST captures and compares the capture with the templates of "user_id": "captureIds" and
// "matched".
class VerifyHandler : public IHandler {
public:
    explicit VerifyHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
