#include "capture/GalleryHandler.h"

#include "capture/CameraController.h"
#include "web/InlineAllocator.h"
#include "web/MetaData.h"
#include "web/RequestAnswer.h"

namespace lensws {

namespace {

constexpr std::size_t kCountsPool = 1024;

}  // namespace

bool GalleryHandler::handleGet(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kCountsPool> pool;
    MetaData counts(pool);
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        CameraController::GalleryCounts gallery;
        const ResultStatus status = controller().getGalleryCounts(gallery);
        result.setStatus(status);
        if (status != ResultStatus::success) {
            return nullptr;
        }
        counts.addUint("usedIds", gallery.usedIds);
        counts.addUint("maxIds", gallery.maxIds);
        counts.addUint("usedTemplates", gallery.usedTemplates);
        counts.addUint("maxTemplates", gallery.maxTemplates);
        counts.addUint("maxTemplatesPerId", gallery.maxTemplatesPerId);
        return &counts;
    });
}

}  // namespace lensws
