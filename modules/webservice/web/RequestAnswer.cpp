#include "web/RequestAnswer.h"

#include <exception>

namespace lensws {

void sendResult(JsonResponder& responder, ResultDocument& result, const MetaData* dictionary,
                const IdentifiedList* identified) {
    try {
        responder.writeResult(result, dictionary, identified);
    } catch (const std::exception&) {
        try {
            result.setStatus(ResultStatus::failure);
            responder.writeResult(result);
        } catch (const std::exception&) {
            // The connection is gone; the web server closes it.
        }
    }
}

bool answerUnsupported(mg_connection* connection) {
    return answerJson(connection, [](ResultDocument& result) -> const MetaData* {
        result.setStatus(ResultStatus::unsupported);
        return nullptr;
    });
}

}  // namespace lensws
