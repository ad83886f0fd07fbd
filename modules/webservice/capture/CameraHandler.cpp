#include "capture/CameraHandler.h"

#include "capture/CameraController.h"
#include "web/PathTokenizer.h"
#include "web/RequestAnswer.h"
#include "web/RequestPath.h"

namespace lensws {

bool CameraHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        if (PathTokenizer(requestPath(connection)).skip(3) != "scan") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        CameraController::DeviceNames devices;
        const ResultStatus status = controller().scanDevices(devices);
        result.setStatus(status);
        if (status == ResultStatus::success) {
            for (std::size_t i = 0; i < devices.count; ++i) {
                result.addDevice(devices.names[i]);
            }
        }
        return nullptr;
    });
}

}  // namespace lensws
