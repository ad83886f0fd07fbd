#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/CameraHolder.h"
#include "capture/CapturePurpose.h"
#include "capture/CaptureStore.h"
#include "capture/ControllerAdmission.h"
#include "capture/StreamHub.h"
#include "imaging/Base64Text.h"
#include "platform/TimedMutex.h"
#include "sdk/ScanList.h"
#include "web/ResultStatus.h"

namespace lensws {

class FrameReceiver;
class IdentifiedList;
class ResultDocument;
class TextList;
class UserRecord;

// The sensor's state, shared by every client: whether the camera is initialized, configured and
// capturing, the matching thresholds, the JPEG qualities, the listeners of a running capture
// (the stream hub) and the identifiers of the last capture (the capture store). It admits one
// sensor operation at a time: a second operation that arrives while one runs answers sensorBusy
// at once instead of queueing behind it. The camera is reached only through the camera holder
// given at construction (the process's holder by default), which must outlive the controller.
// Encoded frames, images and Base64 texts come from the process-wide memory pool (WSMemPool),
// which must exist while operations run.
//
// Locking: `controllerMutex_` is tried (never waited for, except by a cancel) by every
// operation and held for the whole operation, including its camera calls; it guards the frame
// size, the thresholds, the sample quality and the capture store. A capture runs on the camera's
// capture thread without it: that thread only reads the state bits and the streaming quality
// (atomics), clears the capturing bit and broadcasts through the hub, which has its own mutex.
class CameraController {
public:
    // Bits of the sensor state.
    enum StateFlag : std::uint32_t {
        kInitialized = 1,
        kConfigured = 2,
        kCapturing = 4,
        kCancelRequested = 8,
    };

    static constexpr float kDefaultGenuineThreshold = 1.05f;
    static constexpr float kDefaultImposterThreshold = 1.1f;
    static constexpr std::uint8_t kDefaultQualityStreaming = 50;
    static constexpr std::uint8_t kDefaultQualitySample = 80;

    // The device names of a scan, copied out of the camera's buffers.
    struct DeviceNames {
        char names[sdk::kMaxScanEntries][sdk::kDeviceNameSize] = {};
        std::size_t count = 0;
    };

    CameraController();
    explicit CameraController(vantrel_camera::CameraHolder& holder);
    // Stops a capture still running, so that the camera's thread never calls back into a
    // controller that is gone (the camera outlives the controller).
    ~CameraController();
    CameraController(const CameraController&) = delete;
    CameraController& operator=(const CameraController&) = delete;

    // Connects the camera when none is open and initializes it; a second call while initialized
    // succeeds without touching the camera. A failed connection answers failure with `message`
    // "Sensor access denied." or "Sensor not found."; a refused camera call sensorFailure.
    // Throws what the camera holder throws when no camera object can be made or the scan
    // finds none.
    ResultStatus initialize(const char** message);
    // De-initializes and closes the camera (its answers are ignored) and clears every state bit.
    ResultStatus uninitialize();
    // Writes the deduplication flag and the imposter threshold into the camera's configuration;
    // when the camera takes them, keeps all five values and marks the sensor configured. When it
    // refuses them, nothing changes (sensorFailure).
    ResultStatus configure(float genuineThreshold, float imposterThreshold,
                           std::uint8_t deduplicationEnroll, std::uint8_t qualityStreaming,
                           std::uint8_t qualitySample);
    // The frame size the camera reported when it was initialized.
    ResultStatus getFrameSize(std::uint32_t& width, std::uint32_t& height);
    ResultStatus getQualities(std::uint8_t& qualityStreaming, std::uint8_t& qualitySample);
    // The genuine threshold held here, the deduplication flag and imposter threshold read back
    // from the camera's configuration.
    ResultStatus getMatchSettings(bool& deduplicationEnroll, float& genuineThreshold,
                                  float& imposterThreshold);
    ResultStatus getDeviceInfo(vantrel_camera::DeviceInfo& info);
    // The cameras the camera object can see. Needs no initialized sensor, but answers sensorBusy
    // like every other operation while one runs, so that the scan never rebuilds the device
    // list under a camera in use; sensorFailure before the first initialization (there is no
    // camera object yet) and when the scan fails.
    ResultStatus scanDevices(DeviceNames& devices);

    // Starts a capture on the camera's capture thread; needs a configured sensor.
    ResultStatus beginCapture(CapturePurpose purpose);
    // The whole capture of POST /1.0/capture: starts it, waits for its end as a listener of the
    // hub (without limit: the camera always reports an end) and collects its identifiers into
    // the result's "captureIds". canceled when the capture ended without completing or was
    // cancelled; sensorFailure when a camera error ended it.
    ResultStatus runCapture(ResultDocument& result, CapturePurpose purpose, const char** message);
    // Fetches the last capture's images and names each with a fresh identifier in the store
    // and in the result's "captureIds". failure when none came back, with "No qualified
    // sample." or "Function GetResultImage is disabled." when the camera said why.
    ResultStatus collectCaptureResults(ResultDocument& result, const char** message);
    // Stops a running capture (its listeners then see it end as cancelled); waits for a
    // running operation instead of answering busy. Always success.
    ResultStatus cancelCapture();

    // The scores of one image of the last capture.
    struct SampleScores {
        std::int32_t totalScore = 0;
        std::int32_t usableAreaScore = 0;
        std::int32_t lowerUsableAreaScore = -1;
        const char* submodality = "";
    };
    ResultStatus sampleQuality(const char* captureId, SampleScores& scores);

    // The current preview images of a running capture, JPEG-encoded and in Base64: up to two
    // entries, one per eye; `count` entries are filled.
    ResultStatus getStreamSnapshot(Base64Text (&entries)[2], std::size_t& count);

    // An image, ISO record or template of the last capture in Base64, and the eye it shows.
    struct Download {
        Base64Text data;
        const char* eyeName = "";
    };
    // One eye image of the last capture by its identifier, in a camera format, or as JPEG (6)
    // or PNG (14) encoded here from the camera's raw image, at `quality`.
    ResultStatus downloadImage(const char* captureId, std::int32_t kind, std::uint8_t format,
                               std::uint8_t quality, Download& out);
    // The same as an ISO/IEC 19794-6 record of a revision (1: 2005, 2: 2011).
    ResultStatus downloadIsoImage(const char* captureId, std::int32_t revision, std::int32_t kind,
                                  std::uint8_t format, std::uint8_t quality, Download& out);
    // The template of the last capture (one for both eyes of a binocular capture).
    ResultStatus downloadTemplate(const char* captureId, Download& out);
    // The uncropped image as JPEG at the sample quality.
    ResultStatus downloadDefaultImage(const char* captureId, Download& out);

    // Enrolls the camera's last capture under `userId` and commits the gallery; needs a
    // configured sensor. failure "Cannot enroll more to this userId." when the user has no room
    // left, invalidId "Invalid userId." when the camera refuses the identifier,
    // duplicatedEnrollment "Duplicated enrollment." when the camera's duplicate check finds the
    // iris enrolled already.
    ResultStatus enrollUser(const char* userId, const char** message);
    // Compares the camera's last capture with the user's templates: matched when the distance is
    // below the genuine threshold. invalidId "User ID does not exist." for a user not enrolled.
    ResultStatus verifyUser(const char* userId, const char** message, bool& matched);
    // The users nearer to the camera's last capture than the genuine threshold, in the camera's
    // order (nearest first).
    ResultStatus identifyUser(IdentifiedList& identified);

    // The gallery's size as the camera reports it; an empty gallery has zero counts.
    struct GalleryCounts {
        static constexpr std::uint32_t kMaxTemplatesPerId = 8;
        std::uint32_t usedIds = 0;
        std::uint32_t maxIds = 0;
        std::uint32_t usedTemplates = 0;
        std::uint32_t maxTemplates = 0;
        std::uint32_t maxTemplatesPerId = kMaxTemplatesPerId;
    };
    // The gallery operations need an initialized sensor, not a configured one.
    ResultStatus getGalleryCounts(GalleryCounts& counts);
    // Appends the enrolled user identifiers to `users` in the camera's order.
    ResultStatus listUsers(TextList& users);
    // Removes one user (or every user for null) and commits the gallery. Removing a user who is
    // not enrolled succeeds.
    ResultStatus deleteUser(const char* userId);
    // The first six words of the camera's record of the user's templates: template version,
    // creator version, left, right, unknown and total iris counts. invalidId "User ID does not
    // exist." for a user not enrolled.
    struct TemplateInfo {
        std::uint32_t words[6] = {};
    };
    ResultStatus getTemplateInfo(const char* userId, TemplateInfo& info, const char** message);
    // This controller keeps no user records: the three answer unsupported at once.
    ResultStatus getUserRecord(const char* userId, UserRecord& record);
    ResultStatus setUserRecord(const char* userId, const UserRecord* record);
    ResultStatus listUserRecords(std::vector<UserRecord>& records);

    // Registers a listener of the running capture; failure "No capturing is going on." when
    // none runs, failure "No more streaming clients allowed." when the hub is full. A listener
    // registered this way is sure to see the capture's last notification.
    ResultStatus addStreamClient(const StreamClient& client, const char** message);
    void removeStreamClient(const StreamClient& client);

    // The capture thread's callback: encodes the preview frames once when a frame listener
    // exists, and hands progress, errors and frames to the listeners. When the capture ends
    // the capturing bit is cleared before the last notification goes out, so the waiting
    // request can collect its results at once.
    static void onCameraFrame(void* controller, const vantrel_camera::ImageInfo* images,
                              std::uint32_t count, const std::uint32_t* captureStatus,
                              const vantrel_camera::CaptureError* error);

    // True while an operation holds the controller or a capture runs.
    bool isBusy();

    std::uint32_t stateFlags() const { return stateFlags_.load(); }

private:
    enum class Need { Nothing, Initialized, Configured };

    // The admission rule: sensorBusy while the controller is held or a capture runs, then the
    // state the operation needs.
    ResultStatus admit(const ControllerAdmission& admission, Need need) const;
    bool hasFlag(StateFlag flag) const { return (stateFlags_.load() & flag) != 0; }
    void setFlag(StateFlag flag) { stateFlags_.fetch_or(flag); }
    void clearFlag(StateFlag flag) { stateFlags_.fetch_and(~static_cast<std::uint32_t>(flag)); }
    vantrel_camera::OcuScanner* camera() { return holder_.camera(); }
    // Opens a camera when none is; success or failure with its message.
    ResultStatus connect(const char** message);
    // Runs `work(record, camera)` after the checks every download starts with, holding the
    // controller: a configured sensor (the admission), the capture in the store, a camera.
    template <class Work>
    ResultStatus withCapture(const char* captureId, Work work);
    // One eye image of `record` from the camera, encoded when asked for JPEG or PNG.
    ResultStatus fetchImage(const CaptureRecord& record, vantrel_camera::OcuScanner& cam,
                            std::int32_t kind, std::uint8_t format, std::uint8_t quality,
                            Download& out);
    // Runs `work(camera)` holding the controller, after the admission for `need` and with a
    // camera object (sensorFailure without one).
    template <class Work>
    ResultStatus withCamera(Need need, Work work);
    // The outcome of a capture as its last notification tells it.
    static ResultStatus waitForCaptureEnd(FrameReceiver& receiver);
    void handleFrame(const vantrel_camera::ImageInfo* images, std::uint32_t count,
                     const std::uint32_t* captureStatus, const vantrel_camera::CaptureError* error);

    vantrel_camera::CameraHolder& holder_;
    platform::TimedMutex controllerMutex_;
    std::atomic<std::uint32_t> stateFlags_{0};
    // Guarded by controllerMutex_.
    std::uint32_t frameWidth_ = 0;
    std::uint32_t frameHeight_ = 0;
    float genuineThreshold_ = kDefaultGenuineThreshold;
    float imposterThreshold_ = kDefaultImposterThreshold;
    std::uint8_t qualitySample_ = kDefaultQualitySample;
    CaptureStore captureStore_;
    // Written under controllerMutex_, read by the capture thread.
    std::atomic<std::uint8_t> qualityStreaming_{kDefaultQualityStreaming};
    StreamHub streamHub_;
};

template <class Work>
ResultStatus CameraController::withCamera(Need need, Work work) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, need);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    return cam != nullptr ? work(*cam) : ResultStatus::sensorFailure;
}

}  // namespace lensws
