#include "service/DigestAuthorization.h"

#include <civetweb.h>
#include <gtest/gtest.h>

namespace lensws {
namespace {

// The worked example of RFC 2617, section 3.5.
const char* const kExample =
    "Digest username=\"Mufasa\", realm=\"testrealm@host.com\", "
    "nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", uri=\"/dir/index.html\", qop=auth, "
    "nc=00000001, cnonce=\"0a4f113b\", response=\"6629fae49393a05397450978507c4ef1\", "
    "opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"";

std::string exampleHash() {
    char hash[33];
    mg_md5(hash, "Mufasa:testrealm@host.com:Circle Of Life", nullptr);
    return hash;
}

TEST(DigestAuthorizationTest, ParsesEveryField) {
    DigestAuthorization credentials;
    ASSERT_TRUE(credentials.parse(kExample));
    EXPECT_EQ(credentials.username, "Mufasa");
    EXPECT_EQ(credentials.realm, "testrealm@host.com");
    EXPECT_EQ(credentials.nonce, "dcd98b7102dd2f0e8b11d0f600bfb0c093");
    EXPECT_EQ(credentials.uri, "/dir/index.html");
    EXPECT_EQ(credentials.qop, "auth");
    EXPECT_EQ(credentials.nc, "00000001");
    EXPECT_EQ(credentials.cnonce, "0a4f113b");
    EXPECT_EQ(credentials.response, "6629fae49393a05397450978507c4ef1");
    EXPECT_EQ(credentials.algorithm, "");
}

TEST(DigestAuthorizationTest, ComputesTheWorkedExampleResponse) {
    DigestAuthorization credentials;
    ASSERT_TRUE(credentials.parse(kExample));
    EXPECT_EQ(credentials.expectedResponse(exampleHash(), "GET"),
              "6629fae49393a05397450978507c4ef1");
    EXPECT_TRUE(credentials.responseMatches(exampleHash(), "GET"));
    EXPECT_FALSE(credentials.responseMatches(exampleHash(), "POST"));
    credentials.uri = "/dir/other.html";
    EXPECT_FALSE(credentials.responseMatches(exampleHash(), "GET"));
}

TEST(DigestAuthorizationTest, NamesIgnoreCaseAndTheFirstValueCounts) {
    DigestAuthorization credentials;
    ASSERT_TRUE(credentials.parse("digest USERNAME=first,username=second ,\tRealm = \"r\""));
    EXPECT_EQ(credentials.username, "first");
    EXPECT_EQ(credentials.realm, "r");
}

TEST(DigestAuthorizationTest, QuotedValuesLoseTheirEscapes) {
    DigestAuthorization credentials;
    ASSERT_TRUE(credentials.parse("Digest username=\"a\\\"b\\\\c, d\", uri=\"/x?a=1,b=2\""));
    EXPECT_EQ(credentials.username, "a\"b\\c, d");
    EXPECT_EQ(credentials.uri, "/x?a=1,b=2");
}

TEST(DigestAuthorizationTest, MalformedHeadersAreRefused) {
    DigestAuthorization credentials;
    for (const char* header :
         {"", "Digest", "Digest ", "Basic dXNlcjpwdw==", "Digestusername=a", "Digest username",
          "Digest username=", "Digest username=\"open", "Digest username=\"a\\", "Digest a=b c=d",
          "Digest =b", "Digest a=b,,", "Digest a=b,"}) {
        EXPECT_FALSE(credentials.parse(header)) << header;
    }
}

TEST(DigestAuthorizationTest, ConstantTimeComparisonComparesWholeTexts) {
    EXPECT_TRUE(equalInConstantTime("abc", "abc"));
    EXPECT_FALSE(equalInConstantTime("abc", "abd"));
    EXPECT_FALSE(equalInConstantTime("abc", "ab"));
    EXPECT_TRUE(equalInConstantTime("", ""));
}

}  // namespace
}  // namespace lensws
