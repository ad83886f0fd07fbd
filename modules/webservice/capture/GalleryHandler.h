#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/gallery
// GET: the gallery's counts and capacity, as the dictionary "metadata".
class GalleryHandler : public IHandler {
public:
    explicit GalleryHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
