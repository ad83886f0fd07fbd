#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lensws {

// Nonces of digest challenges: "<issue time in seconds, hex>-<md5(secret:time), hex>". Only
// this process can make a nonce that checks as valid, since the secret comes from the kernel's
// random source at construction; a nonce stays valid for kLifetimeSeconds, then is stale (the
// client retries with a fresh challenge, without asking its user again). Immutable after
// construction: safe for every worker thread.
class DigestNonce {
public:
    static constexpr std::int64_t kLifetimeSeconds = 3600;

    using Clock = std::int64_t (*)();  // seconds on a monotonic clock

    enum class Check { Valid, Stale, Invalid };

    DigestNonce();
    // A fixed secret and clock (tests). An empty secret makes every nonce invalid.
    DigestNonce(std::string secret, Clock clock);

    std::string issue() const;
    Check check(std::string_view nonce) const;

private:
    std::string mac(std::string_view time) const;

    std::string secret_;  // empty when no random secret could be had: nothing checks valid
    Clock clock_;
};

}  // namespace lensws
