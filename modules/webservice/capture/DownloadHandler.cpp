#include "capture/DownloadHandler.h"

#include <string_view>

#include "capture/CameraController.h"
#include "capture/DownloadParams.h"
#include "web/DownloadMetaData.h"
#include "web/InlineAllocator.h"
#include "web/PathTokenizer.h"
#include "web/RequestAnswer.h"
#include "web/RequestDocument.h"
#include "web/RequestPath.h"

namespace lensws {

namespace {

constexpr std::size_t kBodyScratch = 4096;
constexpr std::size_t kMetadataPool = 512;

// The variant after "/1.0/download/".
std::string_view variantOf(mg_connection* connection) {
    return PathTokenizer(requestPath(connection)).skip(3);
}

// The download the body's parameters ask for; failure with `message` "Invalid download
// parameters." when the body does not say which format at which quality. `imageFormat` names
// what was downloaded.
ResultStatus fetch(mg_connection* connection, CameraController& controller, const char* captureId,
                   CameraController::Download& out, const char*& imageFormat,
                   const char*& message) {
    alignas(8) unsigned char scratch[kBodyScratch];
    RequestDocument body(connection, scratch, sizeof scratch);
    DownloadParams params;
    if (!body.readMember("params",
                         [&params](const JsonValue& value) { return params.read(value); }) ||
        !params.usable()) {
        message = "Invalid download parameters.";
        return ResultStatus::failure;
    }
    const auto format = static_cast<std::uint8_t>(params.imageFormat);
    const auto quality = static_cast<std::uint8_t>(params.encodingQuality);
    if (params.isoRecord()) {
        imageFormat = kBiometricFormatNames[params.revisionCode() - 1];
        return controller.downloadIsoImage(captureId, params.revisionCode(), params.kindCode(),
                                           format, quality, out);
    }
    imageFormat = imageFormatName(params.imageFormat);
    return controller.downloadImage(captureId, params.kindCode(), format, quality, out);
}

}  // namespace

bool DownloadHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerDownload(connection, false);
}

bool DownloadHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerDownload(connection, true);
}

bool DownloadHandler::answerDownload(mg_connection* connection, bool withParams) const {
    CameraController::Download download;  // its text goes back to the pool after sending
    vtl_base_type::InlineAllocator<kMetadataPool> pool;
    DownloadMetaData metadata(pool);
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        char captureId[platform::kUuidTextLength + 1];
        if (!requireCaptureId(connection, captureId, result)) {
            return nullptr;
        }
        const std::string_view variant = variantOf(connection);
        const char* imageFormat = nullptr;  // none for a template
        const char* message = nullptr;
        ResultStatus status = ResultStatus::unsupported;
        if (variant == "image" && withParams) {
            status = fetch(connection, controller(), captureId, download, imageFormat, message);
        } else if (variant == "image") {
            imageFormat = imageFormatName(kImageFormatJpeg);
            status = controller().downloadDefaultImage(captureId, download);
        } else if (variant == "template" && !withParams) {
            status = controller().downloadTemplate(captureId, download);
        }
        result.setStatus(status, message);
        if (status != ResultStatus::success) {
            return nullptr;
        }
        if (imageFormat != nullptr) {
            result.setSensorData(download.data.text(), download.data.length());
            metadata.setImageFormat(imageFormat);
        } else {
            result.setTemplate(download.data.text(), download.data.length());
        }
        metadata.setSubmodality(download.eyeName);
        return &metadata;
    });
}

}  // namespace lensws
