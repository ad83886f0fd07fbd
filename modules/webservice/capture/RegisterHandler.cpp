#include "capture/RegisterHandler.h"

#include <string_view>

#include "access/AccessTokenStore.h"
#include "capture/CameraController.h"
#include "web/RequestAnswer.h"
#include "web/RequestDocument.h"
#include "web/RequestPath.h"

namespace lensws {

namespace {

constexpr std::size_t kTokenBodyScratch = 2048;

}  // namespace

bool RegisterHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (commandWord(connection) != "register") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        if (!requireAccessToken(connection, result)) {
            return nullptr;
        }
        SessionManager::SessionId id;
        ResultStatus status = sessions().registerSession(id);
        result.setStatus(status);
        if (status == ResultStatus::success) {
            result.setSessionId(id);
        }
        return nullptr;
    });
}

bool RegisterHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (commandWord(connection) != "register") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        QueryValue sessionId = sessionIdParameter(connection);
        if (!requireSessionId(sessionId, result)) {
            return nullptr;
        }
        // The lock holder may not leave while the sensor is busy: its capture would lose its
        // owner. Unknown identifiers end nothing and still answer success.
        SessionManager::SessionId id;
        copySessionId(sessionId, id);
        if (sessions().checkLockHolder(id, true) == ResultStatus::success &&
            controller().isBusy()) {
            result.setStatus(ResultStatus::sensorBusy);
            return nullptr;
        }
        sessions().unregisterSession(id);
        result.setStatus(ResultStatus::success);
        return nullptr;
    });
}

bool RegisterHandler::requireAccessToken(mg_connection* connection, ResultDocument& result) const {
    if (!tokens_->tokenAuthentication()) {
        return true;
    }
    alignas(8) unsigned char scratch[kTokenBodyScratch];
    RequestDocument body(connection, scratch, sizeof scratch);
    std::string_view token;
    bool present = body.readMember("token", [&token](const JsonValue& value) {
        if (!value.IsString()) {
            return false;
        }
        token = std::string_view(value.GetString(), value.GetStringLength());
        return true;
    });
    if (!present) {
        result.setStatus(ResultStatus::failure, "Access token required!");
        return false;
    }
    if (!tokens_->isTokenValid(token)) {
        result.setStatus(ResultStatus::failure, "Invalid access token!");
        return false;
    }
    return true;
}

}  // namespace lensws
