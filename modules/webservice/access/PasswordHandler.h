#pragma once

#include <CivetServer.h>

#include <mutex>
#include <string>

namespace lensws {

// POST /1.0/admin/password?new_password=…: sets the password of the user "admin" in the
// digest password file and realm that guard the administration routes, so the next
// administration request must present the new password. No preflight.
//
// The library rewrites the file through a temporary copy of a fixed name, so two changes at the
// same moment would overwrite each other's copy and can leave an empty file behind; `fileMutex_`
// lets one change at a time at the file.
class PasswordHandler : public CivetHandler {
public:
    PasswordHandler(const std::string& passwordFile, const std::string& realm)
        : passwordFile_(passwordFile), realm_(realm) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;

private:
    const std::string passwordFile_;
    const std::string realm_;
    std::mutex fileMutex_;  // held while the password file is rewritten
};

}  // namespace lensws
