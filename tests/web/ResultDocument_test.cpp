#include "web/ResultDocument.h"

#include <gtest/gtest.h>

#include <string>

#include "web/InlineAllocator.h"
#include "web/JsonText.h"

namespace {

using lensws::JsonWritable;
using lensws::JsonWriter;
using lensws::ResultDocument;
using lensws::ResultStatus;
using lensws::TextList;
using webtest::render;

// A borrowed object standing in for the user record and the quality.
class OneMember : public JsonWritable {
public:
    OneMember(const char* name, int value) : name_(name), value_(value) {}
    void writeJson(JsonWriter& writer) const override {
        writer.startObject();
        writer.key(name_);
        writer.int32(value_);
        writer.endObject();
    }

private:
    const char* name_;
    int value_;
};

TEST(ResultDocument, NewDocumentIsFailureWithoutStatusText) {
    ResultDocument result;
    EXPECT_EQ(result.statusCode(), 1);
    EXPECT_FALSE(result.hasStatus());
    EXPECT_EQ(result.statusName(), nullptr);
    EXPECT_EQ(result.message(), nullptr);
}

TEST(ResultDocument, SuccessfulRegistrationHasExactlyStatusAndSessionId) {
    ResultDocument result;
    result.setStatus(ResultStatus::success);
    result.setSessionId("0f8fad5b-d9cb-469f-a165-70867728950e");
    EXPECT_EQ(render(result), R"({
    "status": "success",
    "sessionId": "0f8fad5b-d9cb-469f-a165-70867728950e"
})");
}

TEST(ResultDocument, StatusWithoutMessageTakesTheDefaultMessage) {
    ResultDocument result;
    result.setStatus(ResultStatus::unsupported);
    EXPECT_EQ(render(result),
              "{\n    \"status\": \"unsupported\",\n    \"message\": \"unsupported\"\n}");
    result.setStatus(ResultStatus::lockNotHeld);
    EXPECT_STREQ(result.message(), "Lock is not held by the requesting session");
    result.setStatus(ResultStatus::nocapturing);
    EXPECT_EQ(render(result),
              "{\n    \"status\": \"nocapturing\",\n    \"message\": \"noCapturing\"\n}");
    result.setStatus(ResultStatus::failure, "");
    EXPECT_STREQ(result.message(), "failure");
}

TEST(ResultDocument, GivenMessageIsCopiedAndSuccessDropsIt) {
    ResultDocument result;
    char message[] = "User ID does not exist.";
    result.setStatus(ResultStatus::invalidId, message);
    message[0] = 'X';
    EXPECT_STREQ(result.message(), "User ID does not exist.");
    result.setStatus(ResultStatus::success, "ignored");
    EXPECT_EQ(result.message(), nullptr);
    EXPECT_EQ(render(result), "{\n    \"status\": \"success\"\n}");
}

TEST(ResultDocument, UnknownStatusValueIsWrittenAsUnknown) {
    ResultDocument result;
    result.setStatus(static_cast<ResultStatus>(99));
    EXPECT_EQ(result.statusCode(), 99);
    EXPECT_EQ(render(result), "{\n    \"status\": \"unknown\",\n    \"message\": \"unknown\"\n}");
}

TEST(ResultDocument, BadValueAnswerListsTheBadField) {
    ResultDocument result;
    result.setStatus(ResultStatus::badValue);
    result.addBadField("sessionId");
    EXPECT_EQ(render(result), R"({
    "status": "badValue",
    "message": "badValue",
    "badFields": [
        "sessionId"
    ]
})");
}

TEST(ResultDocument, EveryMemberInItsOrder) {
    vtl_base_type::InlineAllocator<1024> pool;
    TextList tokens(pool);
    tokens.add("A");
    tokens.add("B\"");
    TextList userIds(pool);
    TextList streamDatas(pool);
    streamDatas.addBorrowed("frame0", 6);
    OneMember user("age", 7);
    const JsonWritable* users[] = {&user, &user};
    OneMember quality("totalScore", 80);

    ResultDocument result;
    // Set in an order unlike the written one.
    result.setStreamDatas(&streamDatas);
    result.addStreamUrl("http://h/1.0/stream");
    result.addDevice("dev");
    result.setCameraModality("Iris");
    result.setQuality(&quality);
    result.setUserInfos(users, 2);
    result.setUserInfo(&user);
    result.setTemplate("tplXX", 3);
    result.setSensorData("a\0b", 3);
    result.setUserIds(&userIds);
    result.setNamedList("tokens", &tokens);
    result.addCaptureId("c1");
    result.addCaptureId("c2");
    result.addBadField("userId");
    result.setTokenAuthentication(false);
    result.setToken("tok");
    result.setMatched(true);
    result.setSessionId("sid");
    result.setStatus(ResultStatus::failure, "why");

    EXPECT_EQ(render(result), R"({
    "status": "failure",
    "message": "why",
    "sessionId": "sid",
    "matched": true,
    "token": "tok",
    "tokenAuthentication": false,
    "badFields": [
        "userId"
    ],
    "captureIds": [
        "c1",
        "c2"
    ],
    "tokens": [
        "A",
        "B\""
    ],
    "userIds": [],
    "sensorData": "a\u0000b",
    "template": "tpl",
    "userInfo": {
        "age": 7
    },
    "userInfos": [
        {
            "age": 7
        },
        {
            "age": 7
        }
    ],
    "quality": {
        "totalScore": 80
    },
    "cameraModality": "Iris",
    "devices": [
        "dev"
    ],
    "streamUrls": [
        "http://h/1.0/stream"
    ],
    "streamDatas": [
        "frame0"
    ]
})");
}

TEST(ResultDocument, EmptyOrAbsentMembersAreLeftOut) {
    ResultDocument result;
    result.setStatus(ResultStatus::success);
    result.setSessionId("");
    result.setToken(nullptr);
    result.addBadField("");
    result.addBadField(nullptr);
    result.addCaptureId("");
    result.addDevice(nullptr);
    result.addStreamUrl("");
    result.setCameraModality("");
    result.setUserInfos(nullptr, 3);
    result.setSensorData(nullptr, 5);
    result.setTemplate(nullptr, 0);
    result.setQuality(nullptr);
    EXPECT_EQ(render(result), "{\n    \"status\": \"success\"\n}");
}

TEST(ResultDocument, AttachedEmptyListsAreWrittenAsEmptyArrays) {
    vtl_base_type::InlineAllocator<256> pool;
    TextList none(pool);
    ResultDocument result;
    result.setStatus(ResultStatus::success);
    result.setNamedList("tokens", nullptr);
    result.setUserIds(&none);
    result.setStreamDatas(&none);
    result.setSensorData("", 0);
    EXPECT_EQ(render(result), R"({
    "status": "success",
    "tokens": [],
    "userIds": [],
    "sensorData": "",
    "streamDatas": []
})");
}

TEST(ResultDocument, ClearedCaptureIdsAreLeftOut) {
    ResultDocument result;
    result.setStatus(ResultStatus::invalidId, "User ID does not exist.");
    result.addCaptureId("c1");
    result.clearCaptureIds();
    EXPECT_EQ(render(result), R"({
    "status": "invalidId",
    "message": "User ID does not exist."
})");
}

TEST(ResultDocument, LaterTextsReplaceEarlierOnes) {
    ResultDocument result;
    result.setStatus(ResultStatus::success);
    result.setSessionId("first");
    result.setSessionId("second");
    result.setMatched(true);
    result.setMatched(false);
    EXPECT_EQ(render(result),
              "{\n    \"status\": \"success\",\n    \"sessionId\": \"second\",\n    \"matched\": "
              "false\n}");
}

TEST(ResultDocument, LargeContentOutgrowsTheInlineArea) {
    ResultDocument result;
    result.setStatus(ResultStatus::success);
    std::string expected = "{\n    \"status\": \"success\",\n    \"captureIds\": [";
    for (int i = 0; i < 500; ++i) {
        const std::string id = "capture-" + std::to_string(i);
        result.addCaptureId(id.c_str());
        expected += (i == 0 ? "\n" : ",\n") + std::string(8, ' ') + "\"" + id + "\"";
    }
    expected += "\n    ]\n}";
    EXPECT_EQ(render(result), expected);
}

}  // namespace
