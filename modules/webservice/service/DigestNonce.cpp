#include "service/DigestNonce.h"

#include <civetweb.h>

#include <chrono>
#include <cstdio>

#include "platform/Uuid.h"
#include "service/DigestAuthorization.h"

namespace lensws {

namespace {

std::int64_t steadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string randomSecret() {
    std::string secret;
    for (int i = 0; i < 2; ++i) {
        char text[platform::kUuidTextLength + 1];
        if (!platform::newUuidText(text)) {
            return std::string();
        }
        secret += text;
    }
    return secret;
}

bool parseHex(std::string_view text, std::int64_t& value) {
    if (text.empty() || text.size() > 15) {
        return false;
    }
    value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return false;
        }
        value = value * 16 + digit;
    }
    return true;
}

}  // namespace

DigestNonce::DigestNonce() : DigestNonce(randomSecret(), &steadySeconds) {}

DigestNonce::DigestNonce(std::string secret, Clock clock)
    : secret_(std::move(secret)), clock_(clock) {}

std::string DigestNonce::mac(std::string_view time) const {
    char digest[33];
    std::string timeText(time);
    mg_md5(digest, secret_.c_str(), ":", timeText.c_str(), nullptr);
    return digest;
}

std::string DigestNonce::issue() const {
    char time[24];
    std::snprintf(time, sizeof time, "%llx", static_cast<unsigned long long>(clock_()));
    return std::string(time) + "-" + mac(time);
}

DigestNonce::Check DigestNonce::check(std::string_view nonce) const {
    std::size_t dash = nonce.find('-');
    std::int64_t issued = 0;
    if (secret_.empty() || dash == std::string_view::npos ||
        !parseHex(nonce.substr(0, dash), issued) ||
        !equalInConstantTime(nonce.substr(dash + 1), mac(nonce.substr(0, dash)))) {
        return Check::Invalid;
    }
    std::int64_t age = clock_() - issued;
    if (age < 0) {
        return Check::Invalid;
    }
    return age > kLifetimeSeconds ? Check::Stale : Check::Valid;
}

}  // namespace lensws
