#include "access/TokensHandler.h"

#include <string>
#include <vector>

#include "access/AccessTokenStore.h"
#include "web/InlineAllocator.h"
#include "web/RequestAnswer.h"
#include "web/TextList.h"

namespace lensws {

namespace {

// The answer's list starts in 8 KiB on the stack and grows in 64 KiB steps.
constexpr std::size_t kListArea = 8192;

}  // namespace

bool TokensHandler::handleGet(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kListArea> area;
    TextList list(area);
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        std::vector<std::string> tokens;
        tokens_->listTokens(tokens);
        for (const std::string& token : tokens) {
            list.add(token.data(), token.size());
        }
        result.setNamedList("tokens", &list);
        result.setStatus(ResultStatus::success);
        return nullptr;
    });
}

}  // namespace lensws
