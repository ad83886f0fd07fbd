#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "camera/CameraHolder.h"
#include "platform/TimedMutex.h"
#include "sdk/ScanList.h"
#include "web/ResultStatus.h"

namespace lensws {

class ControllerAdmission;

// The sensor's state, shared by every client: whether the camera is initialized, configured and
// capturing, the matching thresholds and the JPEG qualities. It admits one sensor operation at
// a time: a second operation that arrives while one runs answers sensorBusy at once instead of
// queueing behind it. The camera is reached only through the camera holder given at
// construction (the process's holder by default), which must outlive the controller.
//
// Locking: `controllerMutex_` is tried (never waited for) by every operation and held for the
// whole operation, including its camera calls; it guards the frame size, the thresholds and
// the sample quality. The state bits and the streaming quality are atomics because the camera's
// capture thread reads them without the mutex.
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
    vantrel_camera::OcuScanner* camera() { return holder_.camera(); }
    // Opens a camera when none is; success or failure with its message.
    ResultStatus connect(const char** message);

    vantrel_camera::CameraHolder& holder_;
    platform::TimedMutex controllerMutex_;
    std::atomic<std::uint32_t> stateFlags_{0};
    // Guarded by controllerMutex_.
    std::uint32_t frameWidth_ = 0;
    std::uint32_t frameHeight_ = 0;
    float genuineThreshold_ = kDefaultGenuineThreshold;
    float imposterThreshold_ = kDefaultImposterThreshold;
    std::uint8_t qualitySample_ = kDefaultQualitySample;
    // Written under controllerMutex_, read by the capture thread.
    std::atomic<std::uint8_t> qualityStreaming_{kDefaultQualityStreaming};
};

}  // namespace lensws
