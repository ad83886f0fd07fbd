#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/capture
// POST /1.0/capture?session_id=…&cap_purpose=… runs one capture for the session that holds the
// lock and answers, when it completes, the identifiers of its images in "captureIds" (one per
// eye). The request waits for the whole capture.
class CaptureHandler : public IHandler {
public:
    explicit CaptureHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
