#include "simulator/ResultCommands.h"

#include <algorithm>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteWriter.h"
#include "simulator/IsoRecordWriter.h"
#include "simulator/ResultImageBuilder.h"
#include "simulator/TemplateCodec.h"

namespace ocusim {

namespace cmd = sdk::command;

namespace {

constexpr std::size_t kMaxAttachedData = 64;
constexpr std::size_t kDateTimeSize = 9;

struct ImageRequest {
    std::uint8_t kind = 1;
    std::uint8_t format = 2;
    Compression compression;
};

// Compression as the image commands give it: a kind and a 32-bit value on firmware 0x2001C and
// later, only an 8-bit quality value before. Checked only for the compressed formats.
std::uint32_t parseCompression(const Params& params, std::size_t offset, bool newLayouts,
                               bool compressed, Compression& compression) {
    if (newLayouts) {
        compression.kind = params.u8(offset);
        compression.value = params.u32(offset + 1);
    } else {
        compression.kind = Compression::Quality;
        compression.value = params.u8(offset);
    }
    if (!compressed) {
        return CAMX_OK;
    }
    switch (compression.kind) {
        case Compression::Ratio:
        case Compression::Quality:
            return compression.value >= 1 && compression.value <= 100 ? CAMX_OK
                                                                      : CAMX_INVALID_PARAMETER;
        case Compression::ByteSize:
            return compression.value >= 1536 ? CAMX_OK : CAMX_INVALID_PARAMETER;
        default:
            return CAMX_INVALID_PARAMETER;
    }
}

std::uint32_t parseImageRequest(const Params& params, bool newLayouts, ImageRequest& request) {
    if (!params.has(0, newLayouts ? 7 : 3)) {
        return CAMX_DEV_BAD_DATA;
    }
    request.kind = params.u8(0);
    request.format = params.u8(1);
    if (!isImageKind(request.kind) || !ResultImageBuilder::isResultFormat(request.format)) {
        return CAMX_INVALID_PARAMETER;
    }
    return parseCompression(params, 2, newLayouts, ResultImageBuilder::isCompressed(request.format),
                            request.compression);
}

}  // namespace

bool ResultCommands::handles(std::uint16_t code) const {
    return code == cmd::kResultImage || code == cmd::kResultImageWithData ||
           code == cmd::kResultQuality || code == cmd::kIsoImage || code == cmd::kIsoImageWithData;
}

std::size_t ResultCommands::imageDataLengthOffset() const {
    return (state_.profile.newLayouts() ? 7 : 3) + (state_.profile.binocular ? 1 : 0);
}

std::size_t ResultCommands::isoDataLengthOffset() const {
    return state_.profile.newLayouts() ? 18 : 4;
}

const CaptureResult* ResultCommands::result(Clock::time_point now, std::uint32_t& status) {
    if (state_.capturing(now)) {
        status = CAMX_DEV_BUSY;
        return nullptr;
    }
    const CaptureResult* completed = state_.completedResult(now);
    status = completed != nullptr ? completed->status() : CAMX_SE_NO_QUALIFIED_FRAME;
    return completed != nullptr && completed->anyQualified() ? completed : nullptr;
}

CommandOutcome ResultCommands::begin(std::uint16_t code, const Params& params,
                                     Clock::time_point now) {
    switch (code) {
        case cmd::kResultImage:
            return resultImages(params, false, {}, now);
        case cmd::kResultImageWithData: {
            ImageRequest request;
            const std::size_t offset = imageDataLengthOffset();
            if (!params.has(offset, 4)) {
                return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
            }
            const std::uint32_t check =
                parseImageRequest(params, state_.profile.newLayouts(), request);
            if (check != CAMX_OK) {
                return CommandOutcome::failure(check);
            }
            const std::uint32_t length = params.u32(offset);
            if (length > kMaxAttachedData) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            if (length > 0) {
                return CommandOutcome::expectData(length);
            }
            return resultImages(params, true, {}, now);
        }
        case cmd::kResultQuality:
            return quality(now);
        case cmd::kIsoImage:
            return isoRecord(params, nullptr, now);
        case cmd::kIsoImageWithData: {
            const std::size_t offset = isoDataLengthOffset();
            if (!params.has(offset, 4)) {
                return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
            }
            const std::uint32_t length = params.u32(offset);
            if (length == 0) {
                return isoRecord(params, nullptr, now);
            }
            if (length != kDateTimeSize || params.u8(0) != 2) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            return CommandOutcome::expectData(length);
        }
        default:
            return CommandOutcome::failure(CAMX_DEV_PROC_NOT_FOUND);
    }
}

CommandOutcome ResultCommands::finish(std::uint16_t code, const Params& params,
                                      const std::vector<std::uint8_t>& data,
                                      Clock::time_point now) {
    if (code == cmd::kResultImageWithData) {
        return resultImages(params, true, data, now);
    }
    if (code == cmd::kIsoImageWithData) {
        return isoRecord(params, &data, now);
    }
    return CommandGroup::finish(code, params, data, now);
}

CommandOutcome ResultCommands::resultImages(const Params& params, bool withData,
                                            const std::vector<std::uint8_t>& attached,
                                            Clock::time_point now) {
    ImageRequest request;
    const std::uint32_t check = parseImageRequest(params, state_.profile.newLayouts(), request);
    if (check != CAMX_OK) {
        return CommandOutcome::failure(check);
    }
    std::uint32_t status = CAMX_OK;
    const CaptureResult* completed = result(now, status);
    if (completed == nullptr) {
        return CommandOutcome::failure(status);
    }
    const bool longRecords = state_.profile.newLayouts();
    ByteWriter data;
    for (const EyeCapture& eye : completed->eyes) {
        if (!eye.qualified) {
            continue;
        }
        if (withData) {
            std::vector<std::uint8_t> record;
            if (!ResultImageBuilder::buildRecord(eye, request.kind, request.format,
                                                 request.compression, longRecords, attached,
                                                 record)) {
                return CommandOutcome::failure(CAMX_SE_COMPRESSION_FAILED);
            }
            EyeTemplate eyeTemplate{
                eye.eyeLabel, eye.quality.total, state_.profile.effectiveFirmware(), {}, eye.code};
            const std::vector<std::uint8_t> templateBytes = encodeTemplate(eyeTemplate);
            data.u32(static_cast<std::uint32_t>(record.size()));
            data.bytes(record);
            data.u32(static_cast<std::uint32_t>(templateBytes.size()));
            data.bytes(templateBytes);
            continue;
        }
        BuiltImage image;
        if (!ResultImageBuilder::build(eye, request.kind, request.format, request.compression,
                                       longRecords, image)) {
            return CommandOutcome::failure(CAMX_SE_COMPRESSION_FAILED);
        }
        data.u8(image.kind);
        data.u8(image.format);
        if (image.format == image_format::kRaw) {
            data.u32(static_cast<std::uint32_t>(image.kindImage.image.width));
            data.u32(static_cast<std::uint32_t>(image.kindImage.image.height));
        } else {
            data.u32(static_cast<std::uint32_t>(image.bytes.size()));
            data.u32(0);
        }
        data.bytes(image.bytes);
    }
    return CommandOutcome::withData(data.take(), status);
}

CommandOutcome ResultCommands::quality(Clock::time_point now) {
    std::uint32_t status = CAMX_OK;
    const CaptureResult* completed = result(now, status);
    if (completed == nullptr) {
        return CommandOutcome::failure(status);
    }
    CommandOutcome outcome = CommandOutcome::failure(status);
    for (const EyeCapture& eye : completed->eyes) {
        if (eye.qualified) {
            outcome.results.push_back(eye.quality.total);
            outcome.results.push_back(eye.quality.usableArea);
        }
    }
    return outcome;
}

CommandOutcome ResultCommands::isoRecord(const Params& params,
                                         const std::vector<std::uint8_t>* dateTime,
                                         Clock::time_point now) {
    const bool newLayouts = state_.profile.newLayouts();
    if (!params.has(0, newLayouts ? 18 : 4)) {
        return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
    }
    const std::uint8_t revision = params.u8(0);
    const std::uint8_t kind = params.u8(1);
    const std::uint8_t format = params.u8(2);
    const bool compressed = format == image_format::kJpeg2000;
    Compression compression;
    bool valid = (revision == 1 || revision == 2) && isImageKind(kind) &&
                 (revision == 2 || kind == 1 || kind == 2) &&
                 (format == image_format::kRaw || compressed) &&
                 parseCompression(params, 3, newLayouts, compressed, compression) == CAMX_OK;
    // Eye position: 0 unknown, 1 right, 2 left, 3 both (binocular only); older firmware has none.
    const std::uint8_t position = newLayouts ? params.u8(8) : (state_.profile.binocular ? 3 : 0);
    valid = valid && position <= (state_.profile.binocular ? 3 : 2);
    if (!valid) {
        return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
    }
    std::uint32_t status = CAMX_OK;
    const CaptureResult* completed = result(now, status);
    if (completed == nullptr) {
        return CommandOutcome::failure(status);
    }

    std::vector<int> slots;
    if (!state_.profile.binocular || position == 1) {
        slots = {0};
    } else if (position == 2) {
        slots = {1};
    } else {
        slots = {0, 1};
    }
    std::vector<IsoImage> images;
    for (int slot : slots) {
        const EyeCapture& eye = completed->eyes[slot];
        if (!eye.qualified) {
            continue;
        }
        BuiltImage built;
        if (!ResultImageBuilder::build(eye, kind, format, compression, newLayouts, built)) {
            return CommandOutcome::failure(CAMX_SE_COMPRESSION_FAILED);
        }
        IsoImage image;
        image.eyeLabel = state_.profile.binocular ? eye.eyeLabel : position;
        image.kind = kind;
        image.format = format;
        image.lossy = built.lossy;
        image.width = built.kindImage.image.width;
        image.height = built.kindImage.image.height;
        image.bytes = std::move(built.bytes);
        image.geometry = built.kindImage.geometry;
        image.quality = eye.quality.total;
        image.occluded = eye.occluded;
        images.push_back(std::move(image));
    }
    if (images.empty()) {
        return CommandOutcome::failure(slots.size() == 2 ? status : CAMX_SE_NO_QUALIFIED_FRAME);
    }
    const std::uint32_t recordStatus = slots.size() == 2 ? status : CAMX_OK;

    IsoCapture capture;
    capture.vendorId = state_.profile.vendorId;
    capture.productId = state_.profile.productId;
    capture.serialNumber = state_.profile.serialNumber;
    std::copy(std::begin(completed->dateTime), std::end(completed->dateTime), capture.dateTime);
    if (dateTime != nullptr && dateTime->size() == kDateTimeSize) {
        std::copy(dateTime->begin(), dateTime->end(), capture.dateTime);
    } else if (newLayouts && revision == 2) {
        const std::uint8_t* extra = params.at(9);
        if (!std::all_of(extra, extra + kDateTimeSize, [](std::uint8_t b) { return b == 0xFF; })) {
            std::copy(extra, extra + kDateTimeSize, capture.dateTime);
        }
    }
    std::vector<std::uint8_t> record =
        revision == 1 ? writeIso2005(images, capture) : writeIso2011(images, capture);
    return CommandOutcome::withData(std::move(record), recordStatus);
}

}  // namespace ocusim
