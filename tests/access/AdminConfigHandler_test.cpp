#include "access/AdminConfigHandler.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "access/AccessTokenStore.h"
#include "access/TestServer.h"
#include "support/TempDir.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

class AdminConfigHandlerTest : public ::testing::Test {
protected:
    AdminConfigHandlerTest() { server.add("/1.0/admin/config", &handler); }

    testsupport::TempDir dir;
    std::string path = dir.file("tokens.ini");
    AccessTokenStore store{path.c_str()};
    AdminConfigHandler handler{&store};
    testsupport::TestServer server;
};

TEST_F(AdminConfigHandlerTest, GetAnswersTheSwitch) {
    HttpAnswer answer = server.request("GET", "/1.0/admin/config");
    EXPECT_EQ(answer.body,
              "{\n    \"status\": \"success\",\n    \"tokenAuthentication\": false\n}");
    ASSERT_TRUE(store.setTokenAuthentication(true));
    answer = server.request("GET", "/1.0/admin/config");
    EXPECT_TRUE(answer.json["tokenAuthentication"].GetBool());
}

TEST_F(AdminConfigHandlerTest, GetOnALongerPathIsUnsupported) {
    EXPECT_EQ(server.request("GET", "/1.0/admin/config/x").statusName(), "unsupported");
    EXPECT_EQ(server.request("GET", "/1.0/admin/config/").statusName(), "unsupported");
}

TEST_F(AdminConfigHandlerTest, PostSwitchesAndSaves) {
    HttpAnswer on =
        server.request("POST", "/1.0/admin/config", R"({"config":{"tokenAuthentication":true}})");
    EXPECT_EQ(on.statusName(), "success");
    EXPECT_TRUE(store.tokenAuthentication());
    EXPECT_EQ(testsupport::readFile(path), "1");
    EXPECT_TRUE(server.request("GET", "/1.0/admin/config").json["tokenAuthentication"].GetBool());
    HttpAnswer off = server.request("POST", "/1.0/admin/config/anything",
                                    R"({"config":{"tokenAuthentication":false,"other":1}})");
    EXPECT_EQ(off.statusName(), "success");
    EXPECT_EQ(testsupport::readFile(path), "0");
}

TEST_F(AdminConfigHandlerTest, UnreadableBodiesAreUnsupported) {
    const char* bodies[] = {R"({"config":{"tokenAuthentication":1}})",
                            R"({"config":{"tokenAuthentication":"true"}})",
                            R"({"config":{}})",
                            R"({"config":true})",
                            R"({"tokenAuthentication":true})",
                            R"([{"config":{"tokenAuthentication":true}}])",
                            R"({"config":{"tokenAuthentication":true}} x)",
                            "not json"};
    for (const char* body : bodies) {
        EXPECT_EQ(server.request("POST", "/1.0/admin/config", body).statusName(), "unsupported")
            << body;
    }
    EXPECT_EQ(server.request("POST", "/1.0/admin/config").statusName(), "unsupported") << "no body";
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(AdminConfigHandlerTest, SavingFailureAnswersFailureAndKeepsTheSwitch) {
    std::filesystem::create_directory(path);
    HttpAnswer answer =
        server.request("POST", "/1.0/admin/config", R"({"config":{"tokenAuthentication":true}})");
    EXPECT_EQ(answer.statusName(), "failure");
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_FALSE(server.request("GET", "/1.0/admin/config").json["tokenAuthentication"].GetBool());
}

}  // namespace
}  // namespace lensws
