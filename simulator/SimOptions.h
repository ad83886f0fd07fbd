#pragma once

#include <cstdint>
#include <string>

namespace ocusim {

// Everything the command line of ocucam-sim sets. The defaults make a monocular USB camera with
// current firmware and a person ("guest") in front of it.
struct SimOptions {
    std::string deviceDir;  // empty: the service's default device directory
    bool binocular = false;
    std::uint16_t vendorId = 0;   // 0: the maker's vendor identifier
    std::uint16_t productId = 0;  // 0: the first product of the table with the chosen optics
    std::uint32_t firmware = 0x40003;
    std::uint32_t secondFirmware = 0x30018;  // answered by vendor request 225 on firmware 0x30017
    std::uint32_t driverVersion = 0x30105;
    std::string serialNumber = "SIM00001";
    std::string serialLink;  // non-empty: serve a serial camera on a pty linked here
    std::uint32_t baud = 115200;
    bool pacing = true;       // pace serial output to the baud rate (10 bits per byte)
    std::string galleryFile;  // empty: the gallery persists in memory only
    std::string controlPath;  // empty: <device dir>/ocucam-<serial number>.control
    std::string subject = "guest";
    std::uint32_t captureMs = 1500;
    std::uint32_t frameRate = 30;
    std::uint32_t dozeMs = 2000;  // idle time after which firmware 0x40000+ dozes
    std::uint32_t wakePolls = 2;  // wake-up polls answered "still waking" after a doze
    std::uint32_t galleryCapacity = 1000;
    std::uint16_t emptyGalleryStatus = 0x4003;
    bool quiet = false;

    bool serial() const { return !serialLink.empty(); }
};

enum class ParseOutcome { Run, Help, Error };

// Parses the command line into `options`; on Error `message` says what is wrong.
ParseOutcome parseOptions(int argc, const char* const* argv, SimOptions& options,
                          std::string& message);

// The usage text printed by --help and after a command-line error.
const char* usageText();

// Parses a number written in decimal or, with a leading "0x", in hexadecimal.
bool parseNumber(const std::string& text, std::uint32_t& value);
// Parses a hexadecimal number with or without a leading "0x".
bool parseHex(const std::string& text, std::uint32_t& value);

}  // namespace ocusim
