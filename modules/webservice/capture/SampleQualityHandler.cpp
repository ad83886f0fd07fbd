#include "capture/SampleQualityHandler.h"

#include "access/RequestAnswer.h"

namespace lensws {

bool SampleQualityHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
