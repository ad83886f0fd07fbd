#include "web/Base64.h"

namespace lensws::base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of an alphabet character, or -1 for any other byte.
int sextet(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

}  // namespace

void encode(const unsigned char* bytes, std::size_t n, char* out) {
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16 |
                                    static_cast<std::uint32_t>(bytes[i + 1]) << 8 | bytes[i + 2];
        *out++ = kAlphabet[(group >> 18) & 0x3F];
        *out++ = kAlphabet[(group >> 12) & 0x3F];
        *out++ = kAlphabet[(group >> 6) & 0x3F];
        *out++ = kAlphabet[group & 0x3F];
    }
    const std::size_t rest = n - i;
    if (rest > 0) {
        std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (rest == 2) {
            group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        }
        *out++ = kAlphabet[(group >> 18) & 0x3F];
        *out++ = kAlphabet[(group >> 12) & 0x3F];
        *out++ = rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        *out = '=';
    }
}

std::size_t decode(const char* text, std::size_t length, unsigned char* out, std::size_t capacity) {
    std::size_t written = 0;
    const auto put = [&](std::uint32_t byte) {
        if (written == capacity) {
            return false;
        }
        out[written++] = static_cast<unsigned char>(byte & 0xFF);
        return true;
    };
    std::uint32_t group = 0;
    int count = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const int value = sextet(static_cast<unsigned char>(text[i]));
        if (value < 0) {
            continue;
        }
        group = group << 6 | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            if (!put(group >> 16) || !put(group >> 8) || !put(group)) {
                return written;
            }
            group = 0;
            count = 0;
        }
    }
    // A trailing group of 2 or 3 characters carries 1 or 2 bytes; a lone character carries none.
    if (count == 2) {
        put(group >> 4);
    } else if (count == 3 && put(group >> 10)) {
        put(group >> 2);
    }
    return written;
}

std::string encode(std::string_view bytes) {
    std::string out(encodedLength(bytes.size()), '\0');
    encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out.data());
    return out;
}

std::string decode(std::string_view text) {
    std::string out(decodedCapacity(text.size()), '\0');
    out.resize(
        decode(text.data(), text.size(), reinterpret_cast<unsigned char*>(out.data()), out.size()));
    return out;
}

}  // namespace lensws::base64
