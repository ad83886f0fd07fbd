#include "service/DigestNonce.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lensws {
namespace {

std::int64_t now = 0;
std::int64_t fakeClock() {
    return now;
}

class DigestNonceTest : public ::testing::Test {
protected:
    void SetUp() override { now = 5000; }
    DigestNonce nonces{"secret", &fakeClock};
};

TEST_F(DigestNonceTest, IssuedNonceIsValidForItsLifetimeThenStale) {
    std::string nonce = nonces.issue();
    EXPECT_EQ(nonces.check(nonce), DigestNonce::Check::Valid);
    now += DigestNonce::kLifetimeSeconds;
    EXPECT_EQ(nonces.check(nonce), DigestNonce::Check::Valid);
    now += 1;
    EXPECT_EQ(nonces.check(nonce), DigestNonce::Check::Stale);
}

TEST_F(DigestNonceTest, NonceOfAnotherSecretOrTamperedIsInvalid) {
    DigestNonce other("another secret", &fakeClock);
    EXPECT_EQ(nonces.check(other.issue()), DigestNonce::Check::Invalid);
    std::string nonce = nonces.issue();
    std::string later = nonce;
    later[0] = later[0] == '1' ? '2' : '1';  // claims another issue time
    EXPECT_EQ(nonces.check(later), DigestNonce::Check::Invalid);
    std::string tampered = nonce;
    tampered.back() = tampered.back() == '0' ? '1' : '0';
    EXPECT_EQ(nonces.check(tampered), DigestNonce::Check::Invalid);
}

TEST_F(DigestNonceTest, MalformedNoncesAreInvalid) {
    std::string nonce = nonces.issue();
    std::string mac = nonce.substr(nonce.find('-') + 1);
    const std::vector<std::string> malformed = {
        "",          "-",     "1388",         "-" + mac,
        "ZZ-" + mac, "1388-", "+1388-" + mac, std::string(16, 'f') + "-" + mac,
        nonce + "0"};
    for (const std::string& text : malformed) {
        EXPECT_EQ(nonces.check(text), DigestNonce::Check::Invalid) << text;
    }
}

TEST_F(DigestNonceTest, NonceFromTheFutureIsInvalid) {
    now = 9000;
    std::string nonce = nonces.issue();
    now = 8999;
    EXPECT_EQ(nonces.check(nonce), DigestNonce::Check::Invalid);
}

TEST_F(DigestNonceTest, WithoutSecretNothingIsValid) {
    DigestNonce unusable("", &fakeClock);
    EXPECT_EQ(unusable.check(unusable.issue()), DigestNonce::Check::Invalid);
}

TEST(DigestNonceRandomTest, EveryProcessSecretIsItsOwn) {
    DigestNonce first;
    DigestNonce second;
    EXPECT_EQ(first.check(first.issue()), DigestNonce::Check::Valid);
    EXPECT_EQ(second.check(first.issue()), DigestNonce::Check::Invalid);
}

}  // namespace
}  // namespace lensws
