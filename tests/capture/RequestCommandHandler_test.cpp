#include "capture/RequestCommandHandler.h"

#include <gtest/gtest.h>

#include "access/AccessTokenStore.h"
#include "capture/HandlerFixture.h"
#include "capture/LockHandler.h"
#include "capture/RegisterHandler.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

class RequestCommandHandlerTest : public testsupport::HandlerFixture {
protected:
    RequestCommandHandlerTest() {
        server.add("/1.0/register", &registerHandler);
        server.add("/1.0/lock", &lockHandler);
        server.add("/1.0/", &commandHandler);
    }

    AccessTokenStore tokens{"/nonexistent/tokens.ini"};
    RegisterHandler registerHandler{&context, &tokens};
    LockHandler lockHandler{&context};
    RequestCommandHandler commandHandler{&context};
};

TEST_F(RequestCommandHandlerTest, UnknownWordsAreUnsupported) {
    HttpAnswer nothing = server.request("GET", "/1.0/nothing");
    EXPECT_EQ(nothing.body,
              "{\n    \"status\": \"unsupported\",\n    \"message\": \"unsupported\"\n}");
    EXPECT_EQ(server.request("POST", "/1.0/nothing").statusName(), "unsupported");
    EXPECT_EQ(server.request("POST", "/1.0/cancelx").statusName(), "unsupported");
    EXPECT_EQ(server.request("GET", "/1.0/token/x").statusName(), "unsupported");
}

// Only the three names, as the whole rest of the path, are streams; without a capture they
// answer the JSON failure.
TEST_F(RequestCommandHandlerTest, StreamNamesWithoutACaptureAnswerNoCapturing) {
    for (const char* target : {"/1.0/stream", "/1.0/stream1", "/1.0/stream2"}) {
        HttpAnswer answer = server.request("GET", target);
        EXPECT_EQ(answer.statusName(), "failure") << target;
        EXPECT_EQ(answer.text("message"), "No capturing is going on.") << target;
    }
    for (const char* target : {"/1.0/streams", "/1.0/stream/x", "/1.0/stream3"}) {
        EXPECT_EQ(server.request("GET", target).statusName(), "unsupported") << target;
    }
}

TEST_F(RequestCommandHandlerTest, CancelChecksSessionAndLockFirst) {
    HttpAnswer noQuery = server.request("POST", "/1.0/cancel");
    EXPECT_EQ(noQuery.statusName(), "badValue");
    EXPECT_EQ(testsupport::onlyBadField(noQuery), "sessionId");

    std::string a = registerSession();
    std::string b = registerSession();
    EXPECT_EQ(server.request("POST", "/1.0/cancel?session_id=" + a).statusName(), "lockNotHeld");
    ASSERT_EQ(server.request("POST", "/1.0/lock?session_id=" + a).statusName(), "success");
    EXPECT_EQ(server.request("POST", "/1.0/cancel?session_id=" + b).statusName(),
              "lockHeldByAnother");
    EXPECT_EQ(server.request("POST", "/1.0/cancel?session_id=00000000-0000-4000-8000-000000000000")
                  .statusName(),
              "invalidId");
    // With no capture running there is nothing to stop.
    EXPECT_EQ(server.request("POST", "/1.0/cancel?session_id=" + a).statusName(), "success");
}

TEST_F(RequestCommandHandlerTest, CancelTouchesTheHoldersSession) {
    std::string a = registerSession();
    ASSERT_EQ(server.request("POST", "/1.0/lock?session_id=" + a).statusName(), "success");
    clock.advance(500);
    server.request("POST", "/1.0/cancel?session_id=" + a);
    clock.advance(500);
    EXPECT_EQ(server.request("POST", "/1.0/lock?session_id=" + a).statusName(), "success");
}

}  // namespace
}  // namespace lensws
