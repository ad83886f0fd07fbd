#include "web/JsonResponder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "web/InlineAllocator.h"
#include "web/JsonText.h"
#include "web/MetaData.h"
#include "web/RequestDocument.h"
#include "web/ResultDocument.h"
#include "web/TestServer.h"

namespace {

using lensws::JsonResponder;
using lensws::JsonValue;
using lensws::ResultDocument;
using lensws::ResultStatus;
using webtest::FunctionHandler;
using webtest::TestServer;

std::string jsonHeader(std::size_t length) {
    return "HTTP/1.1 200\r\ncontent-length: " + std::to_string(length) +
           "\r\nContent-Type: application/json; charset=UTF-8\r\nstatus: 200\r\n"
           "Access-Control-Allow-Origin: *\r\n"
           "Cache-Control: no-cache, no-store, must-revalidate\r\nPragma: no-cache\r\n"
           "Expires: 0\r\n\r\n";
}

std::string get(const TestServer& server, const char* uri, const std::string& headers = "") {
    return server.exchange(std::string("GET ") + uri + " HTTP/1.1\r\nHost: localhost\r\n" +
                           headers + "\r\n");
}

class JsonResponderTest : public ::testing::Test {
protected:
    JsonResponderTest() { server.add("/t", handler); }
    FunctionHandler handler;  // outlives the server, which may call it until it is closed
    TestServer server;
};

TEST_F(JsonResponderTest, ResultIsTheExactHeaderThenThePrettyBody) {
    std::atomic<bool> written{false};
    handler.get = [&written](mg_connection* connection) {
        vtl_base_type::InlineAllocator<1024> pool;
        lensws::MetaData info(pool);
        info.addUint("sessionTimeout", 600);
        ResultDocument result;
        result.setStatus(ResultStatus::success);
        result.setSessionId("0f8fad5b-d9cb-469f-a165-70867728950e");
        written = JsonResponder(connection).writeResult(result, &info);
        return true;
    };
    const std::string body = R"({
    "status": "success",
    "sessionId": "0f8fad5b-d9cb-469f-a165-70867728950e",
    "metadata": [
        {
            "key": "sessionTimeout",
            "value": 600
        }
    ]
})";
    EXPECT_EQ(get(server, "/t"), jsonHeader(body.size()) + body);
    EXPECT_TRUE(written);
}

TEST_F(JsonResponderTest, LongBodyCrossesManySendBuffers) {
    std::string expected;
    handler.get = [&expected](mg_connection* connection) {
        ResultDocument result;
        result.setStatus(ResultStatus::failure, "a message with \"quotes\" and\ttabs");
        for (int i = 0; i < 300; ++i) {
            result.addCaptureId(("id-" + std::to_string(i)).c_str());
        }
        expected = webtest::render(result);
        JsonResponder(connection).writeResult(result);
        return true;
    };
    const std::string answer = get(server, "/t");
    ASSERT_GT(expected.size(), 10 * lensws::JsonOutputStream::kBufferSize);
    EXPECT_EQ(answer, jsonHeader(expected.size()) + expected);
}

TEST_F(JsonResponderTest, ResultWithoutStatusWritesNothing) {
    std::atomic<int> outcome{-1};
    handler.get = [&outcome](mg_connection* connection) {
        ResultDocument result;
        outcome = JsonResponder(connection).writeResult(result) ? 1 : 0;
        return true;
    };
    EXPECT_EQ(get(server, "/t"), "");
    EXPECT_EQ(outcome, 0);
}

TEST_F(JsonResponderTest, PreflightEchoesOriginAndRequestedMethod) {
    std::atomic<bool> answered{false};
    handler.options = [&answered](mg_connection* connection) {
        answered = JsonResponder(connection).writePreflight();
        return true;
    };
    const std::string answer = server.exchange(
        "OPTIONS /t HTTP/1.1\r\nHost: localhost\r\nOrigin: http://client.example\r\n"
        "Access-Control-Request-Method: PUT\r\n\r\n");
    EXPECT_EQ(
        answer,
        "HTTP/1.1 200\r\nstatus: 200\r\nAccess-Control-Allow-Origin: http://client.example\r\n"
        "Access-Control-Allow-Methods: PUT\r\n"
        "Access-Control-Allow-Headers: accept, content-type\r\n\r\n");
    EXPECT_TRUE(answered);
}

TEST_F(JsonResponderTest, PreflightWithoutHeadersSendsEmptyValues) {
    handler.options = [](mg_connection* connection) {
        return JsonResponder(connection).writePreflight();
    };
    EXPECT_EQ(server.exchange("OPTIONS /t HTTP/1.1\r\nHost: localhost\r\n\r\n"),
              "HTTP/1.1 200\r\nstatus: 200\r\nAccess-Control-Allow-Origin: \r\n"
              "Access-Control-Allow-Methods: \r\n"
              "Access-Control-Allow-Headers: accept, content-type\r\n\r\n");
}

TEST_F(JsonResponderTest, PreviewStreamFraming) {
    std::atomic<int> header{0};
    std::atomic<int> part{0};
    std::atomic<int> end{0};
    handler.get = [&](mg_connection* connection) {
        JsonResponder responder(connection);
        header = responder.writeStreamHeader();
        part = responder.writeStreamPart("\xff\xd8jpeg\xff\xd9", 8);
        responder.writeStreamPart("", 0);
        end = responder.writeStreamEnd();
        return true;
    };
    const std::string streamHeader =
        "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: *\r\n"
        "Cache-Control: no-cache, no-store, must-revalidate\r\nPragma: no-cache\r\nExpires: 0\r\n"
        "Content-Type: multipart/x-mixed-replace;boundary=vantrel\r\n\r\n";
    ASSERT_EQ(streamHeader.size(), 191u);
    EXPECT_EQ(get(server, "/t"),
              streamHeader +
                  "--vantrel\r\nContent-Type: image/jpeg\r\nContent-length: 8\r\n\r\n"
                  "\xff\xd8jpeg\xff\xd9\r\n"
                  "--vantrel\r\nContent-Type: image/jpeg\r\nContent-length: 0\r\n\r\n"
                  "--vantrel--");
    EXPECT_EQ(header, 191);
    EXPECT_EQ(part, 2);
    EXPECT_EQ(end, 11);
}

// Request bodies read from a real connection.
class RequestBodyTest : public JsonResponderTest {
protected:
    RequestBodyTest() {
        handler.post = [this](mg_connection* connection) {
            alignas(8) char scratch[1024];
            lensws::RequestDocument request(connection, scratch, sizeof scratch);
            std::string token;
            const bool ok = request.readMember("token", [&token](const JsonValue& value) {
                if (!value.IsString()) {
                    return false;
                }
                token = value.GetString();
                return true;
            });
            outcome = ok ? 1 : 0;
            ResultDocument result;
            result.setStatus(ok ? ResultStatus::success : ResultStatus::invalidParameter);
            result.setToken(ok ? token.c_str() : nullptr);
            JsonResponder(connection).writeResult(result);
            return true;
        };
    }

    std::string post(const std::string& body, long long declared) {
        outcome = -1;
        return server.exchange("POST /t HTTP/1.1\r\nHost: localhost\r\nContent-Length: " +
                               std::to_string(declared) + "\r\n\r\n" + body);
    }

    std::atomic<int> outcome{-1};
};

TEST_F(RequestBodyTest, BodyOfTheDeclaredLengthIsRead) {
    const std::string body = R"({"token": "abc"})";
    const std::string answer = post(body, static_cast<long long>(body.size()));
    EXPECT_EQ(outcome, 1);
    EXPECT_NE(answer.find("\"token\": \"abc\""), std::string::npos);
}

TEST_F(RequestBodyTest, BodyOfExactlyOneMebibyteIsRead) {
    std::string body = R"({"token": "abc"})";
    body.resize(1048576, ' ');
    post(body, 1048576);
    EXPECT_EQ(outcome, 1);
}

TEST_F(RequestBodyTest, BodyAboveOneMebibyteIsRefusedUnread) {
    // A valid document: only its declared size can make it fail.
    std::string body = R"({"token": "abc"})";
    body.resize(1048577, ' ');
    post(body, 1048577);
    EXPECT_EQ(outcome, 0);
}

TEST_F(RequestBodyTest, TenGigabyteDeclarationIsAnsweredAtOnce) {
    // Nothing of the body is sent: a reader waiting for it would time out instead.
    const std::string answer = post("", 10LL * 1000 * 1000 * 1000);
    EXPECT_EQ(outcome, 0);
    EXPECT_NE(answer.find("\"status\": \"invalidParameter\""), std::string::npos);
}

TEST_F(RequestBodyTest, MissingBodyFails) {
    const std::string answer =
        server.exchange("POST /t HTTP/1.1\r\nHost: localhost\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(outcome, 0);
    EXPECT_NE(answer.find("invalidParameter"), std::string::npos);
}

}  // namespace
