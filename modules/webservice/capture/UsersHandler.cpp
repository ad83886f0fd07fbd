#include "capture/UsersHandler.h"

#include <vector>

#include "capture/CameraController.h"
#include "capture/UserRecord.h"
#include "web/InlineAllocator.h"
#include "web/PathTokenizer.h"
#include "web/RequestAnswer.h"
#include "web/RequestPath.h"
#include "web/TextList.h"

namespace lensws {

namespace {

// Room for about a thousand identifiers before the list's pool turns to the heap.
constexpr std::size_t kUserIdPool = 40960;

}  // namespace

// GET /1.0/users/id lists the enrolled identifiers; GET /1.0/users/info would list the user
// records, which this service does not keep.
bool UsersHandler::handleGet(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kUserIdPool> pool;
    TextList userIds(pool);
    std::vector<UserRecord> records;
    std::vector<const JsonWritable*> recordViews;
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        const std::string_view what = PathTokenizer(requestPath(connection)).skip(3);
        if (what == "id") {
            const ResultStatus status = controller().listUsers(userIds);
            result.setStatus(status);
            if (status == ResultStatus::success) {
                result.setUserIds(&userIds);
            }
        } else if (what == "info") {
            const ResultStatus status = controller().listUserRecords(records);
            result.setStatus(status);
            if (status == ResultStatus::success) {
                recordViews.assign(records.size(), nullptr);
                for (std::size_t i = 0; i < records.size(); ++i) {
                    recordViews[i] = &records[i];
                }
                result.setUserInfos(recordViews.data(), recordViews.size());
            }
        } else {
            result.setStatus(ResultStatus::unsupported);
        }
        return nullptr;
    });
}

// Removes every user from the gallery.
bool UsersHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        result.setStatus(controller().deleteUser(nullptr));
        return nullptr;
    });
}

}  // namespace lensws
