#pragma once

// Drives a simulated camera in-process with explicit time, for the simulator's unit tests.

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/ByteWriter.h"
#include "simulator/CameraDevice.h"
#include "simulator/SyntheticEyeGenerator.h"

namespace ocusim::test {

struct KitOptions {
    bool binocular = false;
    std::uint32_t firmware = 0x30020;
    LinkKind link = LinkKind::Usb;
    std::string galleryFile;
    std::uint32_t captureMs = 300;
    std::string subject = "alice";
};

class CameraKit {
public:
    explicit CameraKit(const KitOptions& options = {});

    // One command at the kit's current time. With `data`, the command must ask for exactly that
    // data phase and is then finished with it.
    CommandOutcome run(std::uint16_t code, const std::vector<std::uint8_t>& params = {});
    CommandOutcome runWithData(std::uint16_t code, const std::vector<std::uint8_t>& params,
                               const std::vector<std::uint8_t>& data);
    void advance(int milliseconds) { now += std::chrono::milliseconds(milliseconds); }

    // Initialises the camera, captures `subject` (eye subtype as given) and waits until done.
    // Returns the status of the start command.
    std::uint16_t capture(const std::string& subject, std::uint8_t eyeSubtype = 0);

    CameraState& state() { return camera.state(); }

    Clock::time_point now;
    SyntheticEyeGenerator generator;
    Gallery gallery;
    CameraDevice camera;
};

// Parameter bytes for start capture: mode 1, count 3, quality mode 1, operation mode 1, auto 1.
std::vector<std::uint8_t> startParams(std::uint8_t eyeSubtype = 0);
// Parameters of a result image request on firmware 0x2001C and later.
std::vector<std::uint8_t> imageParams(std::uint8_t kind, std::uint8_t format,
                                      std::uint8_t compressionKind = 2,
                                      std::uint32_t compressionValue = 80);
// Parameters of an ISO request on firmware 0x2001C and later; `dateTime` empty means all 0xFF.
std::vector<std::uint8_t> isoParams(std::uint8_t revision, std::uint8_t kind, std::uint8_t format,
                                    std::uint8_t eyePosition, std::uint8_t compressionKind = 2,
                                    std::uint32_t compressionValue = 80,
                                    const std::vector<std::uint8_t>& dateTime = {});
std::vector<std::uint8_t> textParam(const std::string& text);
std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset);
float f32At(const std::vector<std::uint8_t>& bytes, std::size_t offset);

// Result-image data split into its entries.
struct ImageEntry {
    std::uint8_t kind = 0;
    std::uint8_t format = 0;
    std::uint32_t first = 0;  // width (raw) or byte size
    std::uint32_t second = 0;
    std::vector<std::uint8_t> bytes;
};
// False when the data does not split exactly into entries.
bool splitImageEntries(const std::vector<std::uint8_t>& data, std::vector<ImageEntry>& entries);

}  // namespace ocusim::test
