#include "service/DigestAuthGuard.h"

#include <utility>

namespace lensws {

DigestAuthGuard::DigestAuthGuard(std::string passwordFile, std::string realm)
    : passwordFile_(std::move(passwordFile)), realm_(std::move(realm)) {}

bool DigestAuthGuard::authorize(CivetServer*, mg_connection* connection) {
    // > 0: valid credentials; 0: none or wrong; < 0: no readable password file or a bad
    // parameter, which must refuse as well.
    if (mg_check_digest_access_authentication(connection, realm_.c_str(), passwordFile_.c_str()) >
        0) {
        return true;
    }
    mg_send_digest_access_authentication_request(connection, realm_.c_str());
    return false;
}

}  // namespace lensws
