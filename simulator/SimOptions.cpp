#include "simulator/SimOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ocusim {

namespace {

bool parseWithBase(const std::string& text, int base, std::uint32_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, base);
    if (errno != 0 || end == text.c_str() || *end != '\0' || parsed > 0xFFFFFFFFull) {
        return false;
    }
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

bool hasHexPrefix(const std::string& text) {
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// Serial numbers become part of a socket name: letters, digits, '.', '-' and '_' only.
bool validSerialNumber(const std::string& text) {
    if (text.empty() || text.size() > 32) {
        return false;
    }
    for (char c : text) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum && c != '.' && c != '-' && c != '_') {
            return false;
        }
    }
    return true;
}

}  // namespace

bool parseNumber(const std::string& text, std::uint32_t& value) {
    if (hasHexPrefix(text)) {
        return parseWithBase(text.substr(2), 16, value);
    }
    return parseWithBase(text, 10, value);
}

bool parseHex(const std::string& text, std::uint32_t& value) {
    return parseWithBase(hasHexPrefix(text) ? text.substr(2) : text, 16, value);
}

const char* usageText() {
    return "usage: ocucam-sim [options]\n"
           "  --device-dir DIR          where the USB camera is published\n"
           "                            (default: the service's device directory)\n"
           "  --model mono|bino         monocular (default) or binocular camera\n"
           "  --product-id 0xNNNN       USB product identifier (default: from the model)\n"
           "  --vendor-id 0xNNNN        USB vendor identifier (default: the maker's)\n"
           "  --firmware 0xNNNNN        firmware version word (default 0x40003)\n"
           "  --second-firmware 0xNNNNN second version word of firmware 0x30017 (default "
           "0x30018)\n"
           "  --driver-version 0xNNNNN  USB driver version (default 0x30105)\n"
           "  --serial-number TEXT      serial number (default SIM00001)\n"
           "  --serial LINK             serve a serial camera on a pseudo-terminal linked at "
           "LINK\n"
           "  --baud N                  serial baud rate (default 115200)\n"
           "  --no-pacing               send serial output as fast as the pty takes it\n"
           "  --gallery FILE            where committed enrollments persist\n"
           "  --control PATH            control socket (default DIR/ocucam-<serial>.control)\n"
           "  --subject NAME|none       who is in front of the camera (default guest)\n"
           "  --capture-ms N            capture length until a qualified frame (default 1500)\n"
           "  --frame-rate N            live frames per second (default 30)\n"
           "  --doze-ms N               idle time before firmware 0x40000+ dozes (default "
           "2000)\n"
           "  --wake-polls N            wake-up polls answered 1 after a doze (default 2)\n"
           "  --gallery-capacity N      maximum number of templates (default 1000)\n"
           "  --empty-gallery-status 0xNNNN  status of gallery replies when empty (0 or "
           "0x4003, default 0x4003)\n"
           "  --quiet                   print nothing but errors\n"
           "  --help                    this text\n";
}

ParseOutcome parseOptions(int argc, const char* const* argv, SimOptions& options,
                          std::string& message) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            return ParseOutcome::Help;
        }
        if (name == "--no-pacing") {
            options.pacing = false;
            continue;
        }
        if (name == "--quiet") {
            options.quiet = true;
            continue;
        }
        if (i + 1 >= argc) {
            message = "missing value after " + name;
            return ParseOutcome::Error;
        }
        const std::string value = argv[++i];
        std::uint32_t number = 0;
        const bool isNumber = parseNumber(value, number);
        auto needNumber = [&](std::uint32_t low, std::uint32_t high) {
            if (!isNumber || number < low || number > high) {
                message = "bad value for " + name + ": " + value;
                return false;
            }
            return true;
        };
        if (name == "--device-dir") {
            options.deviceDir = value;
        } else if (name == "--model") {
            if (value != "mono" && value != "bino") {
                message = "--model takes mono or bino";
                return ParseOutcome::Error;
            }
            options.binocular = value == "bino";
        } else if (name == "--product-id") {
            if (!needNumber(1, 0xFFFF)) {
                return ParseOutcome::Error;
            }
            options.productId = static_cast<std::uint16_t>(number);
        } else if (name == "--vendor-id") {
            if (!needNumber(1, 0xFFFF)) {
                return ParseOutcome::Error;
            }
            options.vendorId = static_cast<std::uint16_t>(number);
        } else if (name == "--firmware") {
            if (!needNumber(0, 0xFFFFFFFFu)) {
                return ParseOutcome::Error;
            }
            options.firmware = number;
        } else if (name == "--second-firmware") {
            if (!needNumber(0, 0xFFFFFFFFu)) {
                return ParseOutcome::Error;
            }
            options.secondFirmware = number;
        } else if (name == "--driver-version") {
            if (!needNumber(0, 0xFFFFFFFFu)) {
                return ParseOutcome::Error;
            }
            options.driverVersion = number;
        } else if (name == "--serial-number") {
            if (!validSerialNumber(value)) {
                message = "the serial number takes 1 to 32 letters, digits, '.', '-' or '_'";
                return ParseOutcome::Error;
            }
            options.serialNumber = value;
        } else if (name == "--serial") {
            options.serialLink = value;
        } else if (name == "--baud") {
            if (!needNumber(50, 4000000)) {
                return ParseOutcome::Error;
            }
            options.baud = number;
        } else if (name == "--gallery") {
            options.galleryFile = value;
        } else if (name == "--control") {
            options.controlPath = value;
        } else if (name == "--subject") {
            if (value.empty()) {
                message = "--subject takes a name or none";
                return ParseOutcome::Error;
            }
            options.subject = value;
        } else if (name == "--capture-ms") {
            if (!needNumber(0, 600000)) {
                return ParseOutcome::Error;
            }
            options.captureMs = number;
        } else if (name == "--frame-rate") {
            if (!needNumber(1, 120)) {
                return ParseOutcome::Error;
            }
            options.frameRate = number;
        } else if (name == "--doze-ms") {
            if (!needNumber(1, 3600000)) {
                return ParseOutcome::Error;
            }
            options.dozeMs = number;
        } else if (name == "--wake-polls") {
            if (!needNumber(0, 1000)) {
                return ParseOutcome::Error;
            }
            options.wakePolls = number;
        } else if (name == "--gallery-capacity") {
            if (!needNumber(1, 100000)) {
                return ParseOutcome::Error;
            }
            options.galleryCapacity = number;
        } else if (name == "--empty-gallery-status") {
            std::uint32_t status = 0;
            if (!parseHex(value, status) || (status != 0 && status != 0x4003)) {
                message = "--empty-gallery-status takes 0 or 0x4003";
                return ParseOutcome::Error;
            }
            options.emptyGalleryStatus = static_cast<std::uint16_t>(status);
        } else {
            message = "unknown option " + name;
            return ParseOutcome::Error;
        }
    }
    return ParseOutcome::Run;
}

}  // namespace ocusim
