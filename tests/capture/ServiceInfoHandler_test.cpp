#include "capture/ServiceInfoHandler.h"

#include <gtest/gtest.h>

#include "capture/HandlerFixture.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

class ServiceInfoHandlerTest : public testsupport::HandlerFixture {
protected:
    ServiceInfoHandlerTest() { server.add("/1.0/info", &handler); }

    HttpAnswer infoWithHost(const std::string& host) {
        return server.send("GET /1.0/info HTTP/1.1\r\nHost: " + host +
                           "\r\nConnection: close\r\n\r\n");
    }

    ServiceInfoHandler handler{&context};
};

TEST_F(ServiceInfoHandlerTest, AnswersTheDictionaryExactly) {
    HttpAnswer answer = infoWithHost("camera.example:8081");
    const std::string expected =
        "{\n"
        "    \"status\": \"success\",\n"
        "    \"metadata\": [\n"
        "        {\n"
        "            \"key\": \"sessionTimeout\",\n"
        "            \"value\": 600\n"
        "        },\n"
        "        {\n"
        "            \"key\": \"lockStealingPreventionPeriod\",\n"
        "            \"value\": 30\n"
        "        },\n"
        "        {\n"
        "            \"key\": \"livePreview\",\n"
        "            \"value\": {\n"
        "                \"name\": \"livePreview\",\n"
        "                \"type\": \"Resource\",\n"
        "                \"readOnly\": true,\n"
        "                \"defaultValue\": [\n"
        "                    {\n"
        "                        \"uri\": \"http://camera.example:8081/stream\",\n"
        "                        \"contentType\": \"multipart/x-mixed-replace\",\n"
        "                        \"relationship\": \"livePreview\"\n"
        "                    }\n"
        "                ]\n"
        "            }\n"
        "        }\n"
        "    ]\n"
        "}";
    EXPECT_EQ(answer.body, expected);
    EXPECT_EQ(answer.header("content-length"), std::to_string(expected.size()));
}

TEST_F(ServiceInfoHandlerTest, LongerPathsAreUnsupportedNotLeftUnanswered) {
    for (const char* target : {"/1.0/info/x", "/1.0/info/", "/1.0/info/x/y"}) {
        HttpAnswer answer = server.request("GET", target);
        EXPECT_EQ(answer.status, 200) << target;
        EXPECT_EQ(answer.statusName(), "unsupported") << target;
        EXPECT_FALSE(answer.json.HasMember("metadata"));
    }
}

TEST_F(ServiceInfoHandlerTest, HostUpTo238CharactersFitsAndLongerIsUnsupported) {
    std::string host(238, 'h');
    HttpAnswer fits = infoWithHost(host);
    EXPECT_EQ(fits.statusName(), "success");
    EXPECT_NE(fits.body.find("\"http://" + host + "/stream\""), std::string::npos);
    HttpAnswer tooLong = infoWithHost(host + "h");
    EXPECT_EQ(tooLong.status, 200);
    EXPECT_EQ(tooLong.statusName(), "unsupported");
    HttpAnswer huge = infoWithHost(std::string(4000, 'h'));
    EXPECT_EQ(huge.statusName(), "unsupported");
}

TEST_F(ServiceInfoHandlerTest, WithoutHostTheAddressNamesThisMachine) {
    HttpAnswer answer = server.send("GET /1.0/info HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.statusName(), "success");
    EXPECT_NE(answer.body.find("\"http://localhost:" + std::to_string(server.port()) + "/stream\""),
              std::string::npos)
        << answer.body;
}

TEST_F(ServiceInfoHandlerTest, NeedsNoSessionAndTouchesNone) {
    HttpAnswer answer = server.request("GET", "/1.0/info?session_id=nonsense");
    EXPECT_EQ(answer.statusName(), "success");
}

}  // namespace
}  // namespace lensws
