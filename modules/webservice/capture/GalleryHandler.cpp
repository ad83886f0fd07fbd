#include "capture/GalleryHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool GalleryHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
