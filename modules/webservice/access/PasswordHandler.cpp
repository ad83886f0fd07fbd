#include "access/PasswordHandler.h"

#include "web/QueryParameter.h"
#include "web/RequestAnswer.h"

namespace lensws {

namespace {

constexpr const char* kAdministrator = "admin";

}  // namespace

bool PasswordHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        const mg_request_info* info = mg_get_request_info(connection);
        QueryValue value =
            lookupQueryParameter(info != nullptr ? info->query_string : nullptr, "new_password");
        if (!value.present() || value.length() == 0) {
            result.setStatus(ResultStatus::badValue, "Password must be not empty!");
            result.addBadField("password");
            return nullptr;
        }
        const std::string password(value.view());
        int written = 0;
        {
            std::lock_guard<std::mutex> hold(fileMutex_);
            written = mg_modify_passwords_file(passwordFile_.c_str(), realm_.c_str(),
                                               kAdministrator, password.c_str());
        }
        if (written == 0) {
            result.setStatus(ResultStatus::failure, "Updating password failed!");
            return nullptr;
        }
        result.setStatus(ResultStatus::success);
        return nullptr;
    });
}

}  // namespace lensws
