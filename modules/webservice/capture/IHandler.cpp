#include "capture/IHandler.h"

#include <cstring>

#include "capture/ServiceContext.h"
#include "capture/WellFormedUuid.h"
#include "web/JsonResponder.h"
#include "web/ResultDocument.h"

namespace lensws {

bool IHandler::handleOptions(CivetServer*, mg_connection* connection) {
    return JsonResponder(connection).writePreflight();
}

SessionManager& IHandler::sessions() const {
    return context_->sessionManager();
}

CameraController& IHandler::controller() const {
    return context_->cameraController();
}

const char* IHandler::queryText(mg_connection* connection) {
    const mg_request_info* info = mg_get_request_info(connection);
    return info != nullptr && info->query_string != nullptr ? info->query_string : "";
}

QueryValue IHandler::sessionIdParameter(mg_connection* connection) {
    return lookupQueryParameter(queryText(connection), "session_id");
}

void IHandler::copySessionId(QueryValue sessionId, SessionManager::SessionId& out) {
    std::size_t length = sessionId.length() < platform::kUuidTextLength ? sessionId.length()
                                                                        : platform::kUuidTextLength;
    if (length > 0) {
        std::memcpy(out, sessionId.data(), length);
    }
    out[length] = '\0';
}

bool IHandler::requireSessionId(QueryValue sessionId, ResultDocument& result) {
    if (sessionId.present() && isWellFormedUuid(sessionId.data(), sessionId.length())) {
        return true;
    }
    result.setStatus(ResultStatus::badValue);
    result.addBadField("sessionId");
    return false;
}

bool IHandler::requireLockHolder(QueryValue sessionId, ResultDocument& result) const {
    SessionManager::SessionId id;
    copySessionId(sessionId, id);
    ResultStatus status = sessions().checkLockHolder(id, true);
    if (status == ResultStatus::success) {
        return true;
    }
    result.setStatus(status);
    return false;
}

bool IHandler::requireCaptureId(mg_connection* connection,
                                char (&captureId)[platform::kUuidTextLength + 1],
                                ResultDocument& result) {
    const QueryValue value = lookupQueryParameter(queryText(connection), "capture_id");
    if (value.present() && isWellFormedUuid(value.data(), value.length())) {
        std::memcpy(captureId, value.data(), platform::kUuidTextLength);
        captureId[platform::kUuidTextLength] = '\0';
        return true;
    }
    result.setStatus(ResultStatus::badValue);
    result.addBadField("captureId");
    return false;
}

bool IHandler::requireUserId(mg_connection* connection, char (&userId)[kMaxUserIdLength + 1],
                             ResultDocument& result) {
    const QueryValue value = lookupQueryParameter(queryText(connection), "user_id");
    if (isValidUserId(value)) {
        std::memcpy(userId, value.data(), value.length());
        userId[value.length()] = '\0';
        return true;
    }
    result.setStatus(ResultStatus::badValue);
    result.addBadField("userId");
    return false;
}

bool IHandler::requireSensorSession(mg_connection* connection, ResultDocument& result) const {
    const QueryValue sessionId = sessionIdParameter(connection);
    return requireSessionId(sessionId, result) && requireLockHolder(sessionId, result);
}

bool IHandler::requireSensorUser(mg_connection* connection, char (&userId)[kMaxUserIdLength + 1],
                                 ResultDocument& result) const {
    return requireSensorSession(connection, result) && requireUserId(connection, userId, result);
}

}  // namespace lensws
