#include "access/PasswordHandler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "access/TestServer.h"
#include "support/TempDir.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

class PasswordHandlerTest : public ::testing::Test {
protected:
    PasswordHandlerTest() { server.add("/1.0/admin/password", &handler); }

    testsupport::TempDir dir;
    std::string path = dir.file("password");
    PasswordHandler handler{path, "administration"};
    testsupport::TestServer server;
};

TEST_F(PasswordHandlerTest, WritesTheDigestLineOfAdminInTheConfiguredFileAndRealm) {
    HttpAnswer answer = server.request("POST", "/1.0/admin/password?new_password=secret");
    EXPECT_EQ(answer.body, "{\n    \"status\": \"success\"\n}");
    // md5("admin:administration:secret")
    EXPECT_EQ(testsupport::readFile(path),
              "admin:administration:172ec2f86be8cd6dec1eccff8ae8e884\n");
}

TEST_F(PasswordHandlerTest, ChangingReplacesTheLineAndKeepsOthers) {
    testsupport::writeFile(path, "admin:other realm:cb38e90770988aadafda4f78ffba9a50\n");
    ASSERT_EQ(server.request("POST", "/1.0/admin/password?new_password=secret").statusName(),
              "success");
    // A percent escape is part of the password as it stands.
    ASSERT_EQ(server.request("POST", "/1.0/admin/password?new_password=n3w%41pw&x=y").statusName(),
              "success");
    std::string content = testsupport::readFile(path);
    EXPECT_NE(content.find("admin:other realm:cb38e90770988aadafda4f78ffba9a50\n"),
              std::string::npos);
    EXPECT_NE(content.find("admin:administration:bb260449f5fa391cc25055ff23035b6a\n"),
              std::string::npos);
    EXPECT_EQ(content.find("172ec2f86be8cd6dec1eccff8ae8e884"), std::string::npos);
}

TEST_F(PasswordHandlerTest, EmptyOrMissingPasswordIsRefused) {
    for (const char* target :
         {"/1.0/admin/password", "/1.0/admin/password?new_password=",
          "/1.0/admin/password?new_password=&a=b", "/1.0/admin/password?password=x"}) {
        HttpAnswer answer = server.request("POST", target);
        EXPECT_EQ(answer.statusName(), "badValue") << target;
        EXPECT_EQ(answer.text("message"), "Password must be not empty!");
        ASSERT_TRUE(answer.json.HasMember("badFields"));
        EXPECT_STREQ(answer.json["badFields"][0].GetString(), "password");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PasswordHandlerTest, UnwritableFileAnswersFailure) {
    PasswordHandler nowhere(dir.file("absent/password"), "administration");
    server.add("/1.0/admin/password", &nowhere);
    HttpAnswer answer = server.request("POST", "/1.0/admin/password?new_password=secret");
    EXPECT_EQ(answer.statusName(), "failure");
    EXPECT_EQ(answer.text("message"), "Updating password failed!");
}

// Changes arriving together on several workers leave one complete line: one of the passwords.
TEST_F(PasswordHandlerTest, ConcurrentChangesLeaveOneCompleteLine) {
    for (int round = 0; round < 20; ++round) {
        std::filesystem::remove(path);
        std::vector<std::thread> clients;
        for (int i = 0; i < 5; ++i) {
            clients.emplace_back([this, i] {
                HttpAnswer answer = server.request(
                    "POST", "/1.0/admin/password?new_password=pw" + std::to_string(i));
                EXPECT_EQ(answer.statusName(), "success");
            });
        }
        for (std::thread& client : clients) {
            client.join();
        }
        std::string content = testsupport::readFile(path);
        ASSERT_EQ(content.size(), std::string("admin:administration:").size() + 32 + 1)
            << "round " << round << ": [" << content << "]";
        EXPECT_EQ(content.rfind("admin:administration:", 0), 0u);
    }
}

}  // namespace
}  // namespace lensws
