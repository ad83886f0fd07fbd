#include "access/TokenHandler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "access/AccessTokenStore.h"
#include "access/TestServer.h"
#include "access/TokensHandler.h"
#include "support/TempDir.h"
#include "web/Base64.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

class TokenHandlerTest : public ::testing::Test {
protected:
    TokenHandlerTest() {
        server.add("/1.0/admin/token", &tokenHandler);
        server.add("/1.0/admin/tokens", &tokensHandler);
    }

    std::vector<std::string> listed() {
        HttpAnswer answer = server.request("GET", "/1.0/admin/tokens");
        std::vector<std::string> out;
        EXPECT_EQ(answer.statusName(), "success");
        EXPECT_TRUE(answer.json.HasMember("tokens") && answer.json["tokens"].IsArray())
            << answer.body;
        if (answer.json.HasMember("tokens") && answer.json["tokens"].IsArray()) {
            for (const auto& token : answer.json["tokens"].GetArray()) {
                out.emplace_back(token.GetString(), token.GetStringLength());
            }
        }
        return out;
    }
    std::vector<std::string> stored() {
        std::vector<std::string> out;
        store.listTokens(out);
        return out;
    }

    testsupport::TempDir dir;
    std::string path = dir.file("tokens.ini");
    AccessTokenStore store{path.c_str()};
    TokenHandler tokenHandler{&store};
    TokensHandler tokensHandler{&store};
    testsupport::TestServer server;
};

TEST_F(TokenHandlerTest, GenerateAnswersFreshLowerCaseUuidsThatAreNotStored) {
    std::set<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        HttpAnswer answer = server.request("GET", "/1.0/admin/token/generate");
        ASSERT_EQ(answer.status, 200);
        EXPECT_EQ(answer.statusName(), "success");
        EXPECT_FALSE(answer.json.HasMember("message"));
        std::string token = answer.text("token");
        ASSERT_EQ(token.size(), 36u) << answer.body;
        for (std::size_t c = 0; c < token.size(); ++c) {
            bool hyphen = c == 8 || c == 13 || c == 18 || c == 23;
            EXPECT_TRUE(hyphen ? token[c] == '-'
                               : std::isxdigit(token[c]) && !std::isupper(token[c]))
                << token;
        }
        seen.insert(token);
    }
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_TRUE(listed().empty());
}

TEST_F(TokenHandlerTest, GetOnOtherPathsIsUnsupported) {
    for (const char* target :
         {"/1.0/admin/token", "/1.0/admin/token/", "/1.0/admin/token/generatex",
          "/1.0/admin/token/generate/x", "/1.0/admin/token/x"}) {
        HttpAnswer answer = server.request("GET", target);
        EXPECT_EQ(answer.statusName(), "unsupported") << target;
        EXPECT_EQ(answer.text("message"), "unsupported") << target;
    }
}

TEST_F(TokenHandlerTest, AddListAndDuplicate) {
    HttpAnswer generated = server.request("GET", "/1.0/admin/token/generate");
    std::string token = generated.text("token");
    ASSERT_EQ(server.request("POST", "/1.0/admin/token?token_id=first").statusName(), "success");
    HttpAnswer added = server.request("POST", "/1.0/admin/token?token_id=" + token);
    EXPECT_EQ(added.statusName(), "success");
    EXPECT_EQ(listed(), (std::vector<std::string>{"first", token}));

    HttpAnswer again = server.request("POST", "/1.0/admin/token?token_id=" + token);
    EXPECT_EQ(again.statusName(), "duplicatedToken");
    EXPECT_EQ(again.text("message"), "Duplicated token");
    EXPECT_EQ(testsupport::readFile(path),
              "0\n" + base64::encode("first") + "\n" + base64::encode(token));
}

TEST_F(TokenHandlerTest, EmptyListIsAnEmptyArray) {
    HttpAnswer answer = server.request("GET", "/1.0/admin/tokens");
    EXPECT_EQ(answer.body, "{\n    \"status\": \"success\",\n    \"tokens\": []\n}");
}

TEST_F(TokenHandlerTest, TokenIdMustHoldOneTo8192Bytes) {
    for (const char* target :
         {"/1.0/admin/token", "/1.0/admin/token?token_id=", "/1.0/admin/token?token_id",
          "/1.0/admin/token?token_id=&x=1", "/1.0/admin/token?xtoken_id=abc"}) {
        for (const char* method : {"POST", "DELETE"}) {
            HttpAnswer answer = server.request(method, target);
            EXPECT_EQ(answer.statusName(), "badValue") << method << " " << target;
            ASSERT_TRUE(answer.json.HasMember("badFields")) << answer.body;
            EXPECT_EQ(answer.json["badFields"].Size(), 1u);
            EXPECT_STREQ(answer.json["badFields"][0].GetString(), "token");
        }
    }
    std::string longest(8192, 'a');
    EXPECT_EQ(server.request("POST", "/1.0/admin/token?token_id=" + longest + "b").statusName(),
              "badValue");
    EXPECT_EQ(server.request("POST", "/1.0/admin/token?token_id=" + longest).statusName(),
              "success");
    EXPECT_EQ(stored(), (std::vector<std::string>{longest}));
    AccessTokenStore reread(path.c_str());
    std::vector<std::string> onDisk;
    reread.listTokens(onDisk);
    EXPECT_EQ(onDisk, (std::vector<std::string>{longest}));
}

TEST_F(TokenHandlerTest, TokenIdIsTakenRawUpToTheNextAmpersand) {
    EXPECT_EQ(server.request("POST", "/1.0/admin/token?token_id=a%20b&c=d").statusName(),
              "success");
    EXPECT_EQ(server.request("POST", "/1.0/admin/token?x=1&token_id=e+f").statusName(), "success");
    EXPECT_EQ(stored(), (std::vector<std::string>{"a%20b", "e+f"}));
    EXPECT_EQ(server.request("DELETE", "/1.0/admin/token?token_id=a%20b").statusName(), "success");
    EXPECT_EQ(stored(), (std::vector<std::string>{"e+f"}));
}

TEST_F(TokenHandlerTest, RemovingUnknownSucceedsAndSavingFailuresAreReported) {
    ASSERT_EQ(server.request("POST", "/1.0/admin/token?token_id=keep").statusName(), "success");
    EXPECT_EQ(server.request("DELETE", "/1.0/admin/token?token_id=unknown").statusName(),
              "success");

    // A directory in place of the token file: nothing can be saved, memory stays as it was.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(server.request("POST", "/1.0/admin/token?token_id=new").statusName(),
              "duplicatedToken");
    HttpAnswer removal = server.request("DELETE", "/1.0/admin/token?token_id=keep");
    EXPECT_EQ(removal.statusName(), "failure");
    EXPECT_EQ(removal.text("message"), "failure");
    EXPECT_EQ(listed(), (std::vector<std::string>{"keep"}));
}

TEST_F(TokenHandlerTest, NoPreflightAndNoOtherMethods) {
    HttpAnswer options =
        server.request("OPTIONS", "/1.0/admin/tokens", "",
                       "Origin: http://example.test\r\nAccess-Control-Request-Method: GET\r\n");
    EXPECT_EQ(options.header("Access-Control-Allow-Headers"), "");
    EXPECT_EQ(options.statusName(), "<absent>");
    HttpAnswer put = server.request("PUT", "/1.0/admin/token?token_id=x");
    EXPECT_EQ(put.statusName(), "<absent>");
    EXPECT_TRUE(stored().empty());
}

}  // namespace
}  // namespace lensws
