#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/lock?session_id=…: POST takes the sensor lock, PUT steals it, DELETE releases it. The
// command word is not looked at.
class LockHandler : public IHandler {
public:
    explicit LockHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
    bool handlePut(CivetServer* server, mg_connection* connection) override;
    bool handleDelete(CivetServer* server, mg_connection* connection) override;

private:
    using LockOperation = ResultStatus (SessionManager::*)(const char* id);
    bool answerLockOperation(mg_connection* connection, LockOperation operation);
};

}  // namespace lensws
