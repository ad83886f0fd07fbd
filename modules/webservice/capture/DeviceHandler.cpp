#include "capture/DeviceHandler.h"

#include "capture/CameraController.h"
#include "web/DeviceInfoMetaData.h"
#include "web/InlineAllocator.h"
#include "web/RequestAnswer.h"
#include "web/RequestPath.h"

namespace lensws {

namespace {

// Room for the eight items and their texts.
constexpr std::size_t kInfoPool = 2048;

}  // namespace

bool DeviceHandler::handleGet(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kInfoPool> pool;
    DeviceInfoMetaData description(pool);
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        if (commandWord(connection) != "deviceinfo") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        vantrel_camera::DeviceInfo info;
        const ResultStatus status = controller().getDeviceInfo(info);
        result.setStatus(status);
        if (status != ResultStatus::success) {
            return nullptr;
        }
        description.addDeviceInfo(static_cast<std::int32_t>(info.productId), info.modelName,
                                  info.binocular != 0, info.serialNumber,
                                  static_cast<std::uint32_t>(info.typeCode), info.kernelVersion,
                                  info.kernelRevision, info.features);
        return &description;
    });
}

}  // namespace lensws
