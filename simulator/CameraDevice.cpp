#include "simulator/CameraDevice.h"

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CaptureCommands.h"
#include "simulator/DeviceCommands.h"
#include "simulator/GalleryCommands.h"
#include "simulator/ResultCommands.h"
#include "simulator/TemplateCommands.h"

namespace ocusim {

namespace cmd = sdk::command;

namespace {

bool needsInitialisation(std::uint16_t code) {
    switch (code) {
        case cmd::kDeinitCamera:
        case cmd::kStartCapture:
        case cmd::kStopCapture:
        case cmd::kCaptureStatus:
        case cmd::kStreamImages:
        case cmd::kCameraCommand:
        case cmd::kResultImage:
        case cmd::kResultImageWithData:
        case cmd::kResultQuality:
        case cmd::kIsoImage:
        case cmd::kIsoImageWithData:
        case cmd::kResultTemplate:
        case cmd::kTemplateFromData:
        case cmd::kIdentify:
        case cmd::kCompareWithEnrollee:
        case cmd::kCompareWithTemplate:
        case cmd::kCompareWithTemplateVariant:
        case cmd::kEnroll:
            return true;
        default:
            return false;
    }
}

// Commands that may announce a data phase from the host.
bool mayTakeData(std::uint16_t code) {
    switch (code) {
        case cmd::kWriteCameraConfig:
        case cmd::kResultImageWithData:
        case cmd::kIsoImageWithData:
        case cmd::kTemplateFromData:
        case cmd::kMatchTemplateBlock:
        case cmd::kAddTemplate:
        case cmd::kCompareWithTemplate:
        case cmd::kCompareWithTemplateVariant:
            return true;
        default:
            return false;
    }
}

}  // namespace

CameraDevice::CameraDevice(const DeviceProfile& profile, const SceneControl& scene,
                           FrameGenerator& generator, Gallery& gallery, std::uint32_t dozeMs,
                           std::uint32_t wakePolls)
    : state_(profile, scene, generator, gallery, dozeMs, wakePolls) {
    groups_.push_back(std::make_unique<DeviceCommands>(state_));
    groups_.push_back(std::make_unique<CaptureCommands>(state_));
    groups_.push_back(std::make_unique<ResultCommands>(state_));
    groups_.push_back(std::make_unique<TemplateCommands>(state_));
    groups_.push_back(std::make_unique<GalleryCommands>(state_));
}

CameraDevice::~CameraDevice() = default;

CommandGroup* CameraDevice::groupFor(std::uint16_t code) const {
    for (const auto& group : groups_) {
        if (group->handles(code)) {
            return group.get();
        }
    }
    return nullptr;
}

CommandOutcome CameraDevice::begin(const CommandBlock& block, Clock::time_point now) {
    failAfterData_ = false;
    CommandGroup* group = groupFor(block.code);
    const Params params(block.params);

    const auto armed = failures_.find(block.code);
    if (armed != failures_.end()) {
        const std::uint16_t status = armed->second;
        failures_.erase(armed);
        if (group != nullptr && mayTakeData(block.code)) {
            CommandOutcome outcome = group->begin(block.code, params, now);
            if (outcome.dataOutLength > 0) {
                failAfterData_ = true;
                failAfterDataStatus_ = status;
                return outcome;
            }
        }
        return CommandOutcome::failure(status);
    }

    if (state_.capturing(now)) {
        state_.power.noteActivity(now);
    }
    if (block.code != cmd::kWakeUp) {
        if (state_.power.dozing(now)) {
            return CommandOutcome::failure(CAMX_DEV_BUSY);
        }
        state_.power.noteActivity(now);
    }
    if (group == nullptr) {
        return CommandOutcome::failure(CAMX_DEV_PROC_NOT_FOUND);
    }
    if (needsInitialisation(block.code) && !state_.initialised) {
        return CommandOutcome::failure(CAMX_SE_NOT_INIT);
    }
    return group->begin(block.code, params, now);
}

CommandOutcome CameraDevice::finish(const CommandBlock& block,
                                    const std::vector<std::uint8_t>& data, Clock::time_point now) {
    state_.power.noteActivity(now);
    if (failAfterData_) {
        failAfterData_ = false;
        return CommandOutcome::failure(failAfterDataStatus_);
    }
    CommandGroup* group = groupFor(block.code);
    if (group == nullptr) {
        return CommandOutcome::failure(CAMX_DEV_PROC_NOT_FOUND);
    }
    return group->finish(block.code, Params(block.params), data, now);
}

std::uint32_t CameraDevice::wakePoll(Clock::time_point now) {
    if (state_.capturing(now)) {
        state_.power.noteActivity(now);
    }
    return state_.power.poll(now);
}

void CameraDevice::noteActivity(Clock::time_point now) {
    state_.power.noteActivity(now);
}

void CameraDevice::hostDetached(Clock::time_point now) {
    if (state_.capture) {
        state_.capture->stop(now);
    }
}

}  // namespace ocusim
