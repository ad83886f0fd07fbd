#include "access/AdminConfigHandler.h"

#include "access/AccessTokenStore.h"
#include "web/RequestAnswer.h"
#include "web/RequestDocument.h"
#include "web/RequestPath.h"

namespace lensws {

namespace {

constexpr std::size_t kConfigBodyScratch = 1024;

}  // namespace

bool AdminConfigHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (pathFromCommandWord(connection) != "/admin/config") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        result.setTokenAuthentication(tokens_->tokenAuthentication());
        result.setStatus(ResultStatus::success);
        return nullptr;
    });
}

bool AdminConfigHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        alignas(8) unsigned char scratch[kConfigBodyScratch];
        RequestDocument body(connection, scratch, sizeof scratch);
        bool on = false;
        bool readable = body.readMember("config", [&on](const JsonValue& config) {
            if (!config.IsObject()) {
                return false;
            }
            auto member = config.FindMember("tokenAuthentication");
            if (member == config.MemberEnd() || !member->value.IsBool()) {
                return false;
            }
            on = member->value.GetBool();
            return true;
        });
        if (!readable) {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        result.setStatus(tokens_->setTokenAuthentication(on) ? ResultStatus::success
                                                             : ResultStatus::failure);
        return nullptr;
    });
}

}  // namespace lensws
