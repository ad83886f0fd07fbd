#include "platform/Uuid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>

namespace platform {

namespace {

bool randomBytes(std::uint8_t* bytes, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        ssize_t n = getrandom(bytes + got, count - got, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool newUuidText(char (&out)[kUuidTextLength + 1]) {
    std::uint8_t bytes[16];
    out[0] = '\0';
    if (!randomBytes(bytes, sizeof bytes)) {
        return false;
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    static const char kHex[] = "0123456789abcdef";
    std::size_t pos = 0;
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            out[pos++] = '-';
        }
        out[pos++] = kHex[bytes[i] >> 4];
        out[pos++] = kHex[bytes[i] & 0x0F];
    }
    out[pos] = '\0';
    return true;
}

}  // namespace platform
