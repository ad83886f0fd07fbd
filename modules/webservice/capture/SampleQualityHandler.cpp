#include "capture/SampleQualityHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool SampleQualityHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
