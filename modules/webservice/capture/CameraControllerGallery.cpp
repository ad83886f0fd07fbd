// The camera controller's gallery operations: the gallery's counts, its users, their template
// information and their removal. The gallery lives in the camera; these need an initialized
// sensor but no configuration.

#include <cstring>

#include "capture/CameraController.h"
#include "sdk/SdkStatus.h"
#include "web/TextList.h"

namespace lensws {

namespace {

// A camera may report an empty gallery with a status of its own, together with zero counts;
// an empty gallery is an answer, not a failure of the sensor.
bool listedFine(CamxStatus status) {
    return status == CAMX_OK || status == CAMX_GAL_EMPTY;
}

}  // namespace

ResultStatus CameraController::getGalleryCounts(GalleryCounts& counts) {
    return withCamera(Need::Initialized, [&](vantrel_camera::OcuScanner& cam) {
        std::uint32_t count = 0;
        std::uint32_t usedTemplates = 0;
        std::uint32_t maxTemplates = 0;
        if (!listedFine(cam.listEnrollees(nullptr, &count, &usedTemplates, &maxTemplates))) {
            return ResultStatus::sensorFailure;
        }
        counts.usedIds = count;
        counts.usedTemplates = usedTemplates;
        counts.maxTemplates = maxTemplates;
        counts.maxIds = maxTemplates;
        counts.maxTemplatesPerId = GalleryCounts::kMaxTemplatesPerId;
        return ResultStatus::success;
    });
}

ResultStatus CameraController::listUsers(TextList& users) {
    return withCamera(Need::Initialized, [&](vantrel_camera::OcuScanner& cam) {
        vantrel_camera::NameList names = nullptr;
        std::uint32_t count = 0;
        if (!listedFine(cam.listEnrollees(&names, &count, nullptr, nullptr))) {
            return ResultStatus::sensorFailure;
        }
        // The names live in the camera's buffers until its next call: copy them out.
        for (std::uint32_t i = 0; names != nullptr && i < count; ++i) {
            users.add(names[i]);
        }
        return ResultStatus::success;
    });
}

ResultStatus CameraController::deleteUser(const char* userId) {
    return withCamera(Need::Initialized, [&](vantrel_camera::OcuScanner& cam) {
        CamxStatus code = cam.unenroll(userId);
        if (code == CAMX_OK) {
            code = cam.commitGallery();
        }
        // Nobody to remove (the user is not enrolled, or the gallery is empty) is no failure.
        return code == CAMX_OK || code == CAMX_GAL_ID_NOT_EXIST || code == CAMX_GAL_EMPTY
                   ? ResultStatus::success
                   : ResultStatus::sensorFailure;
    });
}

ResultStatus CameraController::getTemplateInfo(const char* userId, TemplateInfo& info,
                                               const char** message) {
    return withCamera(Need::Initialized, [&](vantrel_camera::OcuScanner& cam) {
        vantrel_camera::MatchRecord record;
        const CamxStatus code = cam.getEnrolleeRecord(userId, &record);
        if (code == CAMX_GAL_ID_NOT_EXIST) {
            *message = "User ID does not exist.";
            return ResultStatus::invalidId;
        }
        if (code != CAMX_OK) {
            return ResultStatus::sensorFailure;
        }
        static_assert(sizeof(info.words) <= sizeof(record.words));
        std::memcpy(info.words, record.words, sizeof(info.words));
        return ResultStatus::success;
    });
}

ResultStatus CameraController::getUserRecord(const char*, UserRecord&) {
    return ResultStatus::unsupported;
}

ResultStatus CameraController::setUserRecord(const char*, const UserRecord*) {
    return ResultStatus::unsupported;
}

ResultStatus CameraController::listUserRecords(std::vector<UserRecord>&) {
    return ResultStatus::unsupported;
}

}  // namespace lensws
