#pragma once

#include <CivetServer.h>

#include <string>
#include <string_view>

#include "service/DigestNonce.h"

namespace lensws {

// Digest authentication (qop "auth", MD5) of the administration URIs ("/admin" and
// "/1.0/admin"), against the configured password file (lines "user:realm:md5(user:realm:pw)",
// as CivetWeb's mg_modify_passwords_file writes them) and realm. Registered as the
// authorization handler of those URIs (every URI that begins with either text, in any case),
// in the place of CivetWeb's protect_uri check, for two reasons: protect_uri lets a request
// through when the password file cannot be opened, while this guard refuses it (fail closed);
// and CivetWeb's own digest check gives up on an Authorization header of 8 KiB or more, while
// an administration request may carry a token of 8192 bytes in its URI, which the header
// repeats.
//
// A request passes when its credentials match a line of a readable password file for the
// realm, its digest URI is the request's target and its nonce is one this guard issued;
// otherwise it is answered 401 with a fresh challenge. Immutable after construction: safe for
// every worker thread.
class DigestAuthGuard : public CivetAuthHandler {
public:
    DigestAuthGuard(std::string passwordFile, std::string realm);
    DigestAuthGuard(std::string passwordFile, std::string realm, DigestNonce nonces);

    bool authorize(CivetServer* server, mg_connection* connection) override;

    // The stored hash for `user` in `realm` from the password file at `path` (lower case).
    // False when the file cannot be read or holds no such line.
    static bool findHash(const std::string& path, std::string_view user, std::string_view realm,
                         std::string& hash);

    // Whether the URI of a digest authorization names the request's target, given the target's
    // URL-decoded path and its raw query (nullptr when there is none) as CivetWeb reports them.
    static bool uriMatchesTarget(std::string_view digestUri, const char* decodedPath,
                                 const char* query);

private:
    enum class Verdict { Authorized, Stale, Refused };

    Verdict check(mg_connection* connection) const;
    void challenge(mg_connection* connection, bool stale) const;

    const std::string passwordFile_;
    const std::string realm_;
    const DigestNonce nonces_;
};

}  // namespace lensws
