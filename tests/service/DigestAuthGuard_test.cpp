#include "service/DigestAuthGuard.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace lensws {
namespace {

using testsupport::TempDir;

TEST(DigestAuthGuardTest, FindsTheHashOfTheUserInTheRealm) {
    TempDir directory;
    std::string path =
        directory.write("password",
                        "admin:other:00000000000000000000000000000000\n"
                        "administrator:administration:11111111111111111111111111111111\n"
                        "admin:administration:ABCDEF0123456789abcdef0123456789\r\n"
                        "admin:administration:22222222222222222222222222222222\n");
    std::string hash;
    ASSERT_TRUE(DigestAuthGuard::findHash(path, "admin", "administration", hash));
    EXPECT_EQ(hash, "abcdef0123456789abcdef0123456789");
    ASSERT_TRUE(DigestAuthGuard::findHash(path, "admin", "other", hash));
    EXPECT_EQ(hash, "00000000000000000000000000000000");
    EXPECT_FALSE(DigestAuthGuard::findHash(path, "adm", "administration", hash));
    EXPECT_FALSE(DigestAuthGuard::findHash(path, "admin", "administratio", hash));
    EXPECT_FALSE(DigestAuthGuard::findHash(path, "", "", hash));
}

TEST(DigestAuthGuardTest, MissingOrMalformedFilesGiveNoHash) {
    TempDir directory;
    std::string hash;
    EXPECT_FALSE(DigestAuthGuard::findHash(directory.file("absent"), "admin", "r", hash));
    EXPECT_FALSE(DigestAuthGuard::findHash(directory.path(), "admin", "r", hash));
    std::string path = directory.write("password",
                                       "admin:r:short\n"
                                       "admin:r:zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz\n"
                                       "admin\n"
                                       "admin:r\n");
    EXPECT_FALSE(DigestAuthGuard::findHash(path, "admin", "r", hash));
}

TEST(DigestAuthGuardTest, DigestUriMustBeTheRequestTarget) {
    EXPECT_TRUE(
        DigestAuthGuard::uriMatchesTarget("/1.0/admin/tokens", "/1.0/admin/tokens", nullptr));
    EXPECT_TRUE(DigestAuthGuard::uriMatchesTarget("/1.0/admin/token?token_id=a%20b",
                                                  "/1.0/admin/token", "token_id=a%20b"));
    EXPECT_TRUE(DigestAuthGuard::uriMatchesTarget("/1.0/admin/%74oken?x", "/1.0/admin/token", "x"));
    EXPECT_TRUE(DigestAuthGuard::uriMatchesTarget("/1.0/admin/tokens?", "/1.0/admin/tokens", ""));
    EXPECT_FALSE(
        DigestAuthGuard::uriMatchesTarget("/1.0/admin/tokens", "/1.0/admin/config", nullptr));
    EXPECT_FALSE(DigestAuthGuard::uriMatchesTarget("/1.0/admin/token?token_id=a",
                                                   "/1.0/admin/token", "token_id=b"));
    EXPECT_FALSE(
        DigestAuthGuard::uriMatchesTarget("/1.0/admin/token", "/1.0/admin/token", "token_id=b"));
    EXPECT_FALSE(DigestAuthGuard::uriMatchesTarget("/a%00b", "/a", nullptr));
    EXPECT_FALSE(DigestAuthGuard::uriMatchesTarget("/x", nullptr, nullptr));
}

}  // namespace
}  // namespace lensws
