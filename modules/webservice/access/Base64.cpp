#include "access/Base64.h"

#include <cstdint>

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

std::string encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        std::uint32_t group =
            static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
            static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += kAlphabet[(group >> 6) & 0x3F];
        out += kAlphabet[group & 0x3F];
    }
    std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]))
                              << 16;
        if (rest == 2) {
            group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        }
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

std::string decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 2);
    std::uint32_t group = 0;
    int count = 0;
    for (char c : text) {
        int value = sextet(static_cast<unsigned char>(c));
        if (value < 0) {
            continue;
        }
        group = group << 6 | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            out += static_cast<char>((group >> 16) & 0xFF);
            out += static_cast<char>((group >> 8) & 0xFF);
            out += static_cast<char>(group & 0xFF);
            group = 0;
            count = 0;
        }
    }
    // A trailing group of 2 or 3 characters carries 1 or 2 bytes; a lone character carries none.
    if (count == 2) {
        out += static_cast<char>((group >> 4) & 0xFF);
    } else if (count == 3) {
        out += static_cast<char>((group >> 10) & 0xFF);
        out += static_cast<char>((group >> 2) & 0xFF);
    }
    return out;
}

}  // namespace lensws::base64
