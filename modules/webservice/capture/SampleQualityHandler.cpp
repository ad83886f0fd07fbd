#include "capture/SampleQualityHandler.h"

#include "capture/CameraController.h"
#include "capture/SampleQuality.h"
#include "web/RequestAnswer.h"

namespace lensws {

bool SampleQualityHandler::handleGet(CivetServer*, mg_connection* connection) {
    SampleQuality quality;
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        char captureId[platform::kUuidTextLength + 1];
        if (!requireCaptureId(connection, captureId, result)) {
            return nullptr;
        }
        CameraController::SampleScores scores;
        const ResultStatus status = controller().sampleQuality(captureId, scores);
        result.setStatus(status);
        if (status == ResultStatus::success) {
            quality.submodality = scores.submodality;
            quality.totalScore = scores.totalScore;
            quality.usableAreaScore = scores.usableAreaScore;
            quality.lowerUsableAreaScore = scores.lowerUsableAreaScore;
            result.setQuality(&quality);
        }
        return nullptr;
    });
}

}  // namespace lensws
