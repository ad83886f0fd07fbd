#include "service/DigestAuthGuard.h"

#include <fstream>
#include <utility>

#include "service/DigestAuthorization.h"

namespace lensws {

namespace {

bool isLowerHex(std::string_view text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

// The realm as a quoted-string value of a header: quotes and backslashes escaped, control
// characters (which would end the header) replaced.
std::string quotedRealm(const std::string& realm) {
    std::string out;
    for (char c : realm) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            out += '?';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

DigestAuthGuard::DigestAuthGuard(std::string passwordFile, std::string realm)
    : DigestAuthGuard(std::move(passwordFile), std::move(realm), DigestNonce()) {}

DigestAuthGuard::DigestAuthGuard(std::string passwordFile, std::string realm, DigestNonce nonces)
    : passwordFile_(std::move(passwordFile)),
      realm_(std::move(realm)),
      nonces_(std::move(nonces)) {}

bool DigestAuthGuard::authorize(CivetServer*, mg_connection* connection) {
    Verdict verdict = check(connection);
    if (verdict == Verdict::Authorized) {
        return true;
    }
    challenge(connection, verdict == Verdict::Stale);
    return false;
}

DigestAuthGuard::Verdict DigestAuthGuard::check(mg_connection* connection) const {
    const mg_request_info* request = mg_get_request_info(connection);
    const char* header = mg_get_header(connection, "Authorization");
    DigestAuthorization credentials;
    if (request == nullptr || header == nullptr || !credentials.parse(header) ||
        credentials.realm != realm_ || credentials.qop != "auth" || credentials.nc.empty() ||
        credentials.cnonce.empty() ||
        !(credentials.algorithm.empty() || credentials.algorithm == "MD5") ||
        !uriMatchesTarget(credentials.uri, request->request_uri, request->query_string)) {
        return Verdict::Refused;
    }
    DigestNonce::Check nonce = nonces_.check(credentials.nonce);
    std::string hash;
    if (nonce == DigestNonce::Check::Invalid ||
        !findHash(passwordFile_, credentials.username, realm_, hash) ||
        !credentials.responseMatches(hash, request->request_method)) {
        return Verdict::Refused;
    }
    return nonce == DigestNonce::Check::Stale ? Verdict::Stale : Verdict::Authorized;
}

void DigestAuthGuard::challenge(mg_connection* connection, bool stale) const {
    mg_printf(connection,
              "HTTP/1.1 401 Unauthorized\r\n"
              "WWW-Authenticate: Digest qop=\"auth\", realm=\"%s\", nonce=\"%s\"%s\r\n"
              "Content-Type: text/plain; charset=utf-8\r\n"
              "Content-Length: 0\r\n\r\n",
              quotedRealm(realm_).c_str(), nonces_.issue().c_str(), stale ? ", stale=true" : "");
}

bool DigestAuthGuard::findHash(const std::string& path, std::string_view user,
                               std::string_view realm, std::string& hash) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::size_t first = line.find(':');
        if (first == std::string::npos) {
            continue;
        }
        std::size_t second = line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        std::string_view text(line);
        std::string_view candidate = text.substr(second + 1);
        if (text.substr(0, first) == user && text.substr(first + 1, second - first - 1) == realm &&
            candidate.size() == 32) {
            hash.assign(candidate);
            for (char& c : hash) {
                if (c >= 'A' && c <= 'F') {
                    c = static_cast<char>(c - 'A' + 'a');
                }
            }
            return isLowerHex(hash);
        }
    }
    return false;
}

bool DigestAuthGuard::uriMatchesTarget(std::string_view digestUri, const char* decodedPath,
                                       const char* query) {
    if (decodedPath == nullptr) {
        return false;
    }
    std::size_t mark = digestUri.find('?');
    std::string path(digestUri.substr(0, mark));
    std::string_view digestQuery =
        mark == std::string_view::npos ? std::string_view() : digestUri.substr(mark + 1);
    std::string decoded(path.size() + 1, '\0');
    int length = mg_url_decode(path.c_str(), static_cast<int>(path.size()), decoded.data(),
                               static_cast<int>(decoded.size()), 0);
    if (length < 0) {
        return false;
    }
    decoded.resize(static_cast<std::size_t>(length));
    return decoded == decodedPath && digestQuery == std::string_view(query ? query : "");
}

}  // namespace lensws
