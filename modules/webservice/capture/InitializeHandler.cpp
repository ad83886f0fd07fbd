#include "capture/InitializeHandler.h"

#include "capture/CameraController.h"
#include "capture/CameraModality.h"
#include "web/RequestAnswer.h"

namespace lensws {

bool InitializeHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        const char* message = nullptr;
        const ResultStatus status = controller().initialize(&message);
        result.setStatus(status, message);
        if (status == ResultStatus::success) {
            describeCamera(result);
        }
        return nullptr;
    });
}

bool InitializeHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (requireSensorSession(connection, result)) {
            result.setStatus(controller().uninitialize());
        }
        return nullptr;
    });
}

// The sensor is up whatever the device information says: when it cannot be read, the client
// still gets its success, with an unknown modality and the one stream every camera has.
void InitializeHandler::describeCamera(ResultDocument& result) const {
    vantrel_camera::DeviceInfo info;
    CameraModality modality = CameraModality::Unknown;
    if (controller().getDeviceInfo(info) == ResultStatus::success) {
        modality = info.binocular != 0 ? CameraModality::Binocular : CameraModality::Monocular;
    }
    result.setCameraModality(cameraModalityName(modality));
    if (modality == CameraModality::Binocular) {
        result.addStreamUrl("stream1");
        result.addStreamUrl("stream2");
    } else {
        result.addStreamUrl("stream");
    }
}

}  // namespace lensws
