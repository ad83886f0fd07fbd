#include "capture/LockHandler.h"

#include <gtest/gtest.h>

#include <cctype>

#include "access/AccessTokenStore.h"
#include "capture/HandlerFixture.h"
#include "capture/RegisterHandler.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

class LockHandlerTest : public testsupport::HandlerFixture {
protected:
    LockHandlerTest() {
        server.add("/1.0/register", &registerHandler);
        server.add("/1.0/lock", &lockHandler);
    }
    std::string lock(const char* method, const std::string& id) {
        return server.request(method, "/1.0/lock?session_id=" + id).statusName();
    }

    AccessTokenStore tokens{"/nonexistent/tokens.ini"};
    RegisterHandler registerHandler{&context, &tokens};
    LockHandler lockHandler{&context};
};

TEST_F(LockHandlerTest, LockStealUnlockAcrossTwoSessions) {
    std::string a = registerSession();
    std::string b = registerSession();
    EXPECT_EQ(lock("POST", a), "success");
    EXPECT_EQ(lock("POST", a), "success");
    HttpAnswer refused = server.request("POST", "/1.0/lock?session_id=" + b);
    EXPECT_EQ(refused.statusName(), "lockHeldByAnother");
    EXPECT_EQ(refused.text("message"), "Lock is held by another session");
    EXPECT_EQ(lock("DELETE", b), "lockHeldByAnother");
    EXPECT_EQ(lock("PUT", b), "success");
    clock.advance(30);
    EXPECT_EQ(lock("PUT", a), "failure");
    clock.advance(1);
    EXPECT_EQ(lock("PUT", a), "success");
    EXPECT_EQ(lock("DELETE", a), "success");
    EXPECT_EQ(lock("DELETE", a), "success") << "a free lock";
    EXPECT_EQ(lock("POST", b), "success");
}

TEST_F(LockHandlerTest, SuccessAnswersOnlyTheStatus) {
    std::string a = registerSession();
    HttpAnswer answer = server.request("POST", "/1.0/lock?session_id=" + a);
    EXPECT_EQ(answer.body, "{\n    \"status\": \"success\"\n}");
    EXPECT_EQ(answer.header("content-length"), std::to_string(answer.body.size()));
}

TEST_F(LockHandlerTest, MalformedSessionIdIsABadValue) {
    std::string a = registerSession();
    const std::string targets[] = {"/1.0/lock",
                                   "/1.0/lock?session_id=",
                                   "/1.0/lock?session_id=&x=1",
                                   "/1.0/lock?xsession_id=" + a,
                                   "/1.0/lock?session_id=" + a.substr(0, 35),
                                   "/1.0/lock?session_id=" + a + "0",
                                   "/1.0/lock?session_id=" + a.substr(0, 33) + "%41"};
    for (const std::string& target : targets) {
        for (const char* method : {"POST", "PUT", "DELETE"}) {
            HttpAnswer answer = server.request(method, target);
            EXPECT_EQ(answer.statusName(), "badValue") << method << " " << target;
            EXPECT_EQ(testsupport::onlyBadField(answer), "sessionId") << target;
        }
    }
}

TEST_F(LockHandlerTest, IdentifierIsTakenUpToTheNextAmpersand) {
    std::string a = registerSession();
    EXPECT_EQ(lock("POST", a + "&other=1"), "success");
    EXPECT_EQ(server.request("DELETE", "/1.0/lock?x=y&session_id=" + a).statusName(), "success");
}

TEST_F(LockHandlerTest, UpperCaseFormAndUnknownIdentifiersAreInvalid) {
    std::string a = registerSession();
    std::string upper = a;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    HttpAnswer answer = server.request("POST", "/1.0/lock?session_id=" + upper);
    EXPECT_EQ(answer.statusName(), "invalidId");
    EXPECT_EQ(answer.text("message"), "Invalid ID (either not found, expired or not registered)");
    EXPECT_EQ(lock("PUT", "00000000-0000-4000-8000-000000000000"), "invalidId");
}

TEST_F(LockHandlerTest, LockRequestsKeepTheSessionAlive) {
    std::string a = registerSession();
    std::string b = registerSession();
    ASSERT_EQ(lock("POST", a), "success");
    clock.advance(600);
    EXPECT_EQ(lock("POST", a), "success");
    clock.advance(601);
    EXPECT_EQ(lock("POST", a), "invalidId");
    EXPECT_EQ(lock("POST", b), "invalidId");
}

TEST_F(LockHandlerTest, ExpiredHolderLeavesTheLockToOthers) {
    std::string a = registerSession();
    ASSERT_EQ(lock("POST", a), "success");
    clock.advance(601);
    std::string b = registerSession();
    EXPECT_EQ(lock("POST", b), "success");
}

TEST_F(LockHandlerTest, GetIsLeftToTheWebServerAndOptionsIsThePreflight) {
    HttpAnswer get = server.request("GET", "/1.0/lock");
    EXPECT_EQ(get.statusName(), "<absent>");
    HttpAnswer options =
        server.request("OPTIONS", "/1.0/lock", "",
                       "Origin: http://client.test\r\nAccess-Control-Request-Method: PUT\r\n");
    EXPECT_EQ(
        options.head,
        "HTTP/1.1 200\r\nstatus: 200\r\nAccess-Control-Allow-Origin: http://client.test\r\n"
        "Access-Control-Allow-Methods: PUT\r\nAccess-Control-Allow-Headers: accept, content-type");
    EXPECT_EQ(options.body, "");
}

}  // namespace
}  // namespace lensws
