#pragma once

// The process's one camera object: created on first use, connected to the first usable camera,
// disconnected and deleted when the process ends.
//
// Not locked: the service serialises connectCamera and every use of camera() through its
// controller.

#include <cstdint>
#include <functional>
#include <memory>

#include "camera/CameraConnection.h"
#include "camera/OcuScanner.h"

namespace vantrel_camera {

class CameraHolder {
public:
    using BusyCallback = void (*)(void* context);
    // Makes a camera object of a kind (1), or none; createCamera in the process's holder.
    using CameraFactory = std::function<std::unique_ptr<OcuScanner>(std::uint32_t kind)>;

    // The holder of the process, destroyed at exit.
    static CameraHolder& instance();

    explicit CameraHolder(CameraFactory factory);
    // The disconnect sequence, then the camera object is deleted.
    ~CameraHolder();
    CameraHolder(const CameraHolder&) = delete;
    CameraHolder& operator=(const CameraHolder&) = delete;

    // The camera object, or null before the first connectCamera.
    OcuScanner* camera() { return camera_.get(); }

    // How the camera is attached; USB unless set. Takes effect at the next connectCamera.
    void setConnection(const CameraConnection& connection) { connection_ = connection; }
    const CameraConnection& connection() const { return connection_; }

    // Closes the camera if it is open, creates the camera object if there is none (throws
    // std::runtime_error "Memory allocation failed" when none can be made), and opens a camera:
    // - USB: scans (a failed scan's status is returned as it stands; an empty list throws
    //   "No Tavisor camera available.") and opens the names in order. A monocular camera is
    //   taken at once. Binocular cameras are accepted too, but a monocular one is preferred:
    //   the first binocular camera stays open while the remaining names are tried on a second
    //   camera object, and every camera not kept is closed again.
    // - Serial line: sets the SDK's connection to the configured line and opens its port.
    // Returns 0 when a camera is open, else the status of the last failure; `busyCallback`
    // (when given) is called with `context` on failure.
    CamxStatus connectCamera(BusyCallback busyCallback = nullptr, void* context = nullptr);

private:
    CamxStatus connectUsb();
    CamxStatus connectSerial();
    // The status of an open that succeeded: 0 for a camera to keep, else its failure (the
    // camera is then closed again). `binocular` tells which kind was kept.
    static CamxStatus checkOpened(OcuScanner& camera, bool* binocular);
    void closeIfOpen();
    void disconnect();

    CameraFactory factory_;
    CameraConnection connection_;
    std::unique_ptr<OcuScanner> camera_;
};

}  // namespace vantrel_camera
