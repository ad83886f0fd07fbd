#include "capture/IdentifyHandler.h"

#include "capture/CameraController.h"
#include "web/IdentifiedList.h"
#include "web/InlineAllocator.h"
#include "web/RequestAnswer.h"

namespace lensws {

namespace {

// Room for about a thousand candidates before the list's pool turns to the heap.
constexpr std::size_t kCandidatePool = 40960;

}  // namespace

// A capture, then the camera's search of its gallery for it. The controller is free between the
// two, as with verification.
bool IdentifyHandler::handlePost(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kCandidatePool> pool;
    IdentifiedList candidates(pool);
    const IdentifiedList* identified = nullptr;
    return answerJson(connection, identified, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        const char* message = nullptr;
        ResultStatus status =
            controller().runCapture(result, CapturePurpose::Identification, &message);
        result.setStatus(status, message);
        if (status != ResultStatus::success) {
            return nullptr;
        }
        status = controller().identifyUser(candidates);
        result.setStatus(status);
        if (status == ResultStatus::success) {
            identified = &candidates;
        } else {
            result.clearCaptureIds();
        }
        return nullptr;
    });
}

}  // namespace lensws
