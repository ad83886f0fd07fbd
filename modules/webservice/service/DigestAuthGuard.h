#pragma once

#include <CivetServer.h>

#include <string>

namespace lensws {

// Digest authentication of the administration URIs ("/admin" and "/1.0/admin"), checked
// against the configured password file and realm. CivetWeb's own protect_uri check lets a
// request through when the password file cannot be opened; this guard, registered as the
// authorization handler of those URIs (which takes the place of protect_uri for them), refuses
// instead: a request passes only with valid credentials from a readable password file, and is
// otherwise answered 401 with a digest challenge. Holds no state besides its two texts; safe
// for every worker thread.
class DigestAuthGuard : public CivetAuthHandler {
public:
    DigestAuthGuard(std::string passwordFile, std::string realm);

    bool authorize(CivetServer* server, mg_connection* connection) override;

private:
    const std::string passwordFile_;
    const std::string realm_;
};

}  // namespace lensws
