#include "access/TokenHandler.h"

#include "access/AccessTokenStore.h"
#include "platform/Uuid.h"
#include "web/QueryParameter.h"
#include "web/RequestAnswer.h"
#include "web/RequestPath.h"

namespace lensws {

namespace {

// The "token_id" query value when it holds 1 to 8192 bytes; otherwise badValue with the bad
// field "token" is put into the result and false returned.
bool requireTokenId(mg_connection* connection, ResultDocument& result, std::string_view& token) {
    const mg_request_info* info = mg_get_request_info(connection);
    QueryValue value =
        lookupQueryParameter(info != nullptr ? info->query_string : nullptr, "token_id");
    if (!value.present() || value.length() == 0 ||
        value.length() > AccessTokenStore::kMaxTokenLength) {
        result.setStatus(ResultStatus::badValue);
        result.addBadField("token");
        return false;
    }
    token = value.view();
    return true;
}

}  // namespace

bool TokenHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (pathFromCommandWord(connection) != "/admin/token/generate") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        char token[platform::kUuidTextLength + 1];
        if (!platform::newUuidText(token)) {
            result.setStatus(ResultStatus::failure, "GUID generating failed.");
            return nullptr;
        }
        result.setStatus(ResultStatus::success);
        result.setToken(token);
        return nullptr;
    });
}

bool TokenHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        std::string_view token;
        if (requireTokenId(connection, result, token)) {
            // Refused both for a token already stored and for a token file that cannot be saved.
            result.setStatus(tokens_->addToken(token) ? ResultStatus::success
                                                      : ResultStatus::duplicatedToken);
        }
        return nullptr;
    });
}

bool TokenHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        std::string_view token;
        if (requireTokenId(connection, result, token)) {
            result.setStatus(tokens_->removeToken(token) ? ResultStatus::success
                                                         : ResultStatus::failure);
        }
        return nullptr;
    });
}

}  // namespace lensws
