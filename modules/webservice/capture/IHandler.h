#pragma once

#include <CivetServer.h>

#include "capture/SessionManager.h"
#include "capture/UserId.h"
#include "platform/Uuid.h"
#include "web/QueryParameter.h"

namespace lensws {

class CameraController;
class ResultDocument;
class ServiceContext;

// The base of every capture-service handler: one object per route, called by all web-server
// worker threads at once, holding nothing but the context pointer (not owned; the context
// outlives every handler). Everything a request needs lives in the request operation.
//
// It answers the CORS preflight (OPTIONS) itself and gives its subclasses the checks every
// sensor endpoint runs before it touches the sensor. Each check returns true when it passed;
// on failure it has filled the result, which the caller then sends without further work.
class IHandler : public CivetHandler {
public:
    explicit IHandler(ServiceContext* context) : context_(context) {}

    // Echoes the request's Origin and Access-Control-Request-Method; handled in every case.
    bool handleOptions(CivetServer* server, mg_connection* connection) override;

protected:
    ServiceContext& context() const { return *context_; }
    SessionManager& sessions() const;
    CameraController& controller() const;

    // The request's query text ("" for a request without "?").
    static const char* queryText(mg_connection* connection);
    // The "session_id" parameter of the request's query text.
    static QueryValue sessionIdParameter(mg_connection* connection);
    // The first 36 characters of a checked "session_id" value, as the session table takes it.
    static void copySessionId(QueryValue sessionId, SessionManager::SessionId& out);

    // "session_id" must be a well-formed identifier (exactly 36 characters); otherwise
    // badValue with the bad field "sessionId".
    static bool requireSessionId(QueryValue sessionId, ResultDocument& result);
    // The session must hold the sensor lock (its last access is refreshed); otherwise the
    // session table's status (invalidId, lockNotHeld, lockHeldByAnother).
    bool requireLockHolder(QueryValue sessionId, ResultDocument& result) const;
    // The request's "capture_id" must be a well-formed identifier; otherwise badValue with the
    // bad field "captureId". On success `captureId` holds it.
    static bool requireCaptureId(mg_connection* connection,
                                 char (&captureId)[platform::kUuidTextLength + 1],
                                 ResultDocument& result);
    // The request's "user_id" must pass isValidUserId; otherwise badValue with the bad field
    // "userId". On success `userId` holds it.
    static bool requireUserId(mg_connection* connection, char (&userId)[kMaxUserIdLength + 1],
                              ResultDocument& result);
    // Both checks on the request's "session_id", as every sensor endpoint runs them before it
    // calls the camera controller.
    bool requireSensorSession(mg_connection* connection, ResultDocument& result) const;
    // The sensor checks, then requireUserId: what every endpoint about one gallery user runs.
    bool requireSensorUser(mg_connection* connection, char (&userId)[kMaxUserIdLength + 1],
                           ResultDocument& result) const;

private:
    ServiceContext* context_;
};

}  // namespace lensws
