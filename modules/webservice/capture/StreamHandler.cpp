#include "capture/StreamHandler.h"

#include "capture/CameraController.h"
#include "web/InlineAllocator.h"
#include "web/RequestAnswer.h"
#include "web/TextList.h"

namespace lensws {

bool StreamHandler::handleGet(CivetServer*, mg_connection* connection) {
    // The texts stay in the pool until the answer has been sent.
    Base64Text snapshots[2];
    vtl_base_type::InlineAllocator<256> listPool;
    TextList streamDatas(listPool);
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        std::size_t count = 0;
        const ResultStatus status = controller().getStreamSnapshot(snapshots, count);
        result.setStatus(status);
        if (status == ResultStatus::success) {
            for (std::size_t i = 0; i < count; ++i) {
                streamDatas.addBorrowed(snapshots[i].text(), snapshots[i].length());
            }
            result.setStreamDatas(&streamDatas);
        }
        return nullptr;
    });
}

}  // namespace lensws
