#include "capture/UserHandler.h"

#include "capture/CameraController.h"
#include "capture/UserRecord.h"
#include "web/InlineAllocator.h"
#include "web/MetaData.h"
#include "web/PathTokenizer.h"
#include "web/RequestAnswer.h"
#include "web/RequestDocument.h"
#include "web/RequestPath.h"

namespace lensws {

namespace {

constexpr std::size_t kTemplateInfoPool = 1024;
// Seeds the body parser's pool; a larger record continues on the heap.
constexpr std::size_t kBodyScratch = 8192;

void addTemplateInfo(MetaData& metadata, const CameraController::TemplateInfo& info) {
    static const char* const kKeys[] = {"templateVersion", "creatorVersion",   "leftIrisCount",
                                        "rightIrisCount",  "unknownIrisCount", "totalIrisCount"};
    static_assert(std::size(kKeys) == std::size(CameraController::TemplateInfo{}.words));
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        metadata.addUint(kKeys[i], info.words[i]);
    }
}

}  // namespace

// GET /1.0/user/templateinfo reads what the camera stores of a user; GET /1.0/user/info would
// read the user's record, which this service does not keep.
bool UserHandler::handleGet(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kTemplateInfoPool> pool;
    MetaData metadata(pool);
    UserRecord record;
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        const std::string_view what = PathTokenizer(requestPath(connection)).skip(3);
        if (what != "templateinfo" && what != "info") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        char userId[kMaxUserIdLength + 1];
        if (!requireUserId(connection, userId, result)) {
            return nullptr;
        }
        if (what == "info") {
            const ResultStatus status = controller().getUserRecord(userId, record);
            result.setStatus(status);
            if (status == ResultStatus::success) {
                result.setUserInfo(&record);
            }
            return nullptr;
        }
        CameraController::TemplateInfo info;
        const char* message = nullptr;
        const ResultStatus status = controller().getTemplateInfo(userId, info, &message);
        result.setStatus(status, message);
        if (status != ResultStatus::success) {
            return nullptr;
        }
        addTemplateInfo(metadata, info);
        return &metadata;
    });
}

// Stores a user's record. The controller is asked first whether it keeps records at all, so
// that a service without a record store never reads the body.
bool UserHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        char userId[kMaxUserIdLength + 1];
        if (!requireSensorUser(connection, userId, result)) {
            return nullptr;
        }
        ResultStatus status = controller().setUserRecord(nullptr, nullptr);
        if (status == ResultStatus::unsupported) {
            result.setStatus(status);
            return nullptr;
        }
        unsigned char scratch[kBodyScratch];
        RequestDocument body(connection, scratch, sizeof scratch);
        UserRecord record;
        if (!body.readMember("userInfo",
                             [&](const JsonValue& value) { return record.read(value); })) {
            result.setStatus(ResultStatus::failure, "Invalid user information.");
            return nullptr;
        }
        status = controller().setUserRecord(userId, &record);
        result.setStatus(status);
        return nullptr;
    });
}

// Removes the user from the gallery; a user who is not enrolled is no failure.
bool UserHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        char userId[kMaxUserIdLength + 1];
        if (!requireSensorUser(connection, userId, result)) {
            return nullptr;
        }
        result.setStatus(controller().deleteUser(userId));
        return nullptr;
    });
}

}  // namespace lensws
