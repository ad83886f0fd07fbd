#include "capture/LockHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool LockHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerLockOperation(connection, &SessionManager::acquireLock);
}

bool LockHandler::handlePut(CivetServer*, mg_connection* connection) {
    return answerLockOperation(connection, &SessionManager::stealLock);
}

bool LockHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerLockOperation(connection, &SessionManager::releaseLock);
}

bool LockHandler::answerLockOperation(mg_connection* connection, LockOperation operation) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        QueryValue sessionId = sessionIdParameter(connection);
        if (!requireSessionId(sessionId, result)) {
            return nullptr;
        }
        SessionManager::SessionId id;
        copySessionId(sessionId, id);
        result.setStatus((sessions().*operation)(id));
        return nullptr;
    });
}

}  // namespace lensws
