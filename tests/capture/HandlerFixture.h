#pragma once

#include <gtest/gtest.h>

#include <string>

#include "access/TestServer.h"
#include "capture/ManualClock.h"
#include "capture/ServiceContext.h"

namespace testsupport {

// A service context on a hand-moved clock, and a server for the handlers a test adds. The
// handlers are members of the derived fixtures, destroyed before this base: the server stops
// in TearDown, before any of them goes.
class HandlerFixture : public ::testing::Test {
protected:
    void TearDown() override { server.stop(); }

    static constexpr std::int64_t kStart = 1'700'000'000;

    // Registers a session through POST /1.0/register (the handler must be added).
    std::string registerSession() {
        HttpAnswer answer = server.request("POST", "/1.0/register");
        EXPECT_EQ(answer.statusName(), "success") << answer.body;
        return answer.text("sessionId");
    }

    ManualClock clock{kStart};
    lensws::ServiceContext context{clock};
    TestServer server;
};

// The only entry of "badFields", or "<absent>".
inline std::string onlyBadField(const HttpAnswer& answer) {
    if (!answer.json.IsObject() || !answer.json.HasMember("badFields") ||
        answer.json["badFields"].Size() != 1) {
        return "<absent>";
    }
    return answer.json["badFields"][0].GetString();
}

}  // namespace testsupport
