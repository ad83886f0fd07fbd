#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/initialize
// POST brings the sensor up (connecting the camera when none is open) and, on success, tells the
// client the camera's modality and the names of its preview streams. DELETE releases the
// sensor. Both need the session that holds the lock.
class InitializeHandler : public IHandler {
public:
    explicit InitializeHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;

private:
    // "cameraModality" and "streamUrls" of a successful initialize.
    void describeCamera(ResultDocument& result) const;
};

}  // namespace lensws
