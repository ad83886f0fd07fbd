#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/download
// Hands out one image of the last capture, by its "capture_id", in Base64 inside the JSON
// answer, with the dictionary "metadata" naming the format and the eye. No session is needed.
//   GET /1.0/download/image      the uncropped image as JPEG at the sample quality
//   GET /1.0/download/template   the capture's template ("template")
//   POST /1.0/download/image     format, kind, ISO record and quality from the body's "params"
class DownloadHandler : public IHandler {
public:
    explicit DownloadHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;

private:
    // The answer to either method; only POST reads the body's parameters.
    bool answerDownload(mg_connection* connection, bool withParams) const;
};

}  // namespace lensws
