#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/gallery
// The gallery's counts come from the camera, which a later part of the service builds; until then
// the query answers unsupported.
class GalleryHandler : public IHandler {
public:
    explicit GalleryHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
