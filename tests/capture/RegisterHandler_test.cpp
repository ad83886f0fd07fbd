#include "capture/RegisterHandler.h"

#include <gtest/gtest.h>

#include <set>

#include "access/AccessTokenStore.h"
#include "capture/HandlerFixture.h"
#include "capture/LockHandler.h"
#include "capture/WellFormedUuid.h"
#include "support/TempDir.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

class RegisterHandlerTest : public testsupport::HandlerFixture {
protected:
    RegisterHandlerTest() {
        server.add("/1.0/register", &registerHandler);
        server.add("/1.0/lock", &lockHandler);
    }

    testsupport::TempDir dir;
    std::string tokenPath = dir.file("tokens.ini");
    AccessTokenStore tokens{tokenPath.c_str()};
    RegisterHandler registerHandler{&context, &tokens};
    LockHandler lockHandler{&context};
};

TEST_F(RegisterHandlerTest, SuccessAnswersStatusAndSessionIdOnly) {
    HttpAnswer answer = server.request("POST", "/1.0/register");
    std::string id = answer.text("sessionId");
    EXPECT_TRUE(isWellFormedUuid(id.c_str()));
    EXPECT_EQ(answer.body, "{\n    \"status\": \"success\",\n    \"sessionId\": \"" + id + "\"\n}");
}

TEST_F(RegisterHandlerTest, ThirtyFirstRegistrationFailsUntilOneExpires) {
    std::set<std::string> ids;
    for (int i = 0; i < 30; ++i) {
        ids.insert(registerSession());
    }
    EXPECT_EQ(ids.size(), 30u);
    HttpAnswer full = server.request("POST", "/1.0/register");
    EXPECT_EQ(full.statusName(), "failure");
    EXPECT_EQ(full.text("message"), "failure");
    EXPECT_FALSE(full.json.HasMember("sessionId"));
    clock.advance(601);
    EXPECT_EQ(server.request("POST", "/1.0/register").statusName(), "success");
}

TEST_F(RegisterHandlerTest, CommandWordMustBeRegister) {
    for (const char* method : {"POST", "DELETE"}) {
        HttpAnswer answer = server.request(
            method, "/1.0/registerx?session_id=00000000-0000-4000-8000-000000000000");
        EXPECT_EQ(answer.statusName(), "unsupported") << method;
    }
    EXPECT_EQ(server.request("POST", "/1.0/register/extra").statusName(), "success");
}

TEST_F(RegisterHandlerTest, DeleteEndsTheSessionAndFreesItsLock) {
    std::string a = registerSession();
    std::string b = registerSession();
    ASSERT_EQ(server.request("POST", "/1.0/lock?session_id=" + a).statusName(), "success");
    EXPECT_EQ(server.request("DELETE", "/1.0/register?session_id=" + a).statusName(), "success");
    EXPECT_EQ(server.request("POST", "/1.0/lock?session_id=" + a).statusName(), "invalidId");
    EXPECT_EQ(server.request("POST", "/1.0/lock?session_id=" + b).statusName(), "success");
    // Unknown or already ended: still success.
    EXPECT_EQ(server.request("DELETE", "/1.0/register?session_id=" + a).statusName(), "success");
    EXPECT_EQ(server.request("DELETE", "/1.0/register?session_id=" + a + "&x").statusName(),
              "success");
}

TEST_F(RegisterHandlerTest, DeleteNeedsAWellFormedIdentifier) {
    for (const char* target :
         {"/1.0/register", "/1.0/register?session_id=abc", "/1.0/register?session_id="}) {
        HttpAnswer answer = server.request("DELETE", target);
        EXPECT_EQ(answer.statusName(), "badValue") << target;
        EXPECT_EQ(testsupport::onlyBadField(answer), "sessionId");
    }
}

class RegisterWithTokensTest : public RegisterHandlerTest {
protected:
    RegisterWithTokensTest() {
        EXPECT_TRUE(tokens.addToken("A-token"));
        EXPECT_TRUE(tokens.addToken("B \"quoted\""));
        EXPECT_TRUE(tokens.setTokenAuthentication(true));
    }
};

TEST_F(RegisterWithTokensTest, KnownTokenRegisters) {
    EXPECT_EQ(server.request("POST", "/1.0/register", R"({"token":"A-token"})").statusName(),
              "success");
    EXPECT_EQ(
        server.request("POST", "/1.0/register", R"({"token":"B \"quoted\"","x":1})").statusName(),
        "success");
}

TEST_F(RegisterWithTokensTest, UnknownTokenIsInvalid) {
    for (const char* body : {R"({"token":"C"})", R"({"token":"A-token "})", R"({"token":""})"}) {
        HttpAnswer answer = server.request("POST", "/1.0/register", body);
        EXPECT_EQ(answer.statusName(), "failure") << body;
        EXPECT_EQ(answer.text("message"), "Invalid access token!") << body;
        EXPECT_FALSE(answer.json.HasMember("sessionId"));
    }
}

TEST_F(RegisterWithTokensTest, MissingOrMistypedTokenIsRequired) {
    for (const char* body :
         {R"({"token":5})", R"({"tok":"A-token"})", R"({"token":null})", R"({"token":["A-token"]})",
          R"(["A-token"])", "A-token", R"({"token":"A-token"} {})"}) {
        HttpAnswer answer = server.request("POST", "/1.0/register", body);
        EXPECT_EQ(answer.statusName(), "failure") << body;
        EXPECT_EQ(answer.text("message"), "Access token required!") << body;
    }
    HttpAnswer noBody = server.request("POST", "/1.0/register");
    EXPECT_EQ(noBody.text("message"), "Access token required!");
}

TEST_F(RegisterWithTokensTest, SwitchingTheCheckOffLetsEveryoneIn) {
    ASSERT_TRUE(tokens.setTokenAuthentication(false));
    EXPECT_EQ(server.request("POST", "/1.0/register", R"({"token":5})").statusName(), "success");
    EXPECT_EQ(server.request("POST", "/1.0/register").statusName(), "success");
}

TEST_F(RegisterWithTokensTest, CommandWordIsCheckedBeforeTheToken) {
    EXPECT_EQ(server.request("POST", "/1.0/registered").statusName(), "unsupported");
}

}  // namespace
}  // namespace lensws
