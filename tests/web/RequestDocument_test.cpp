#include "web/RequestDocument.h"

#include <gtest/gtest.h>

#include <string>

#include "web/TextBody.h"

namespace {

using lensws::JsonValue;
using lensws::RequestDocument;
using webtest::TextBody;

// Reads member `name` of `body` into `out` when it is a string.
bool readString(lensws::RequestBody& body, const char* name, std::string& out) {
    alignas(8) char scratch[2048];
    RequestDocument request(body, scratch, sizeof scratch);
    return request.readMember(name, [&out](const JsonValue& value) {
        if (!value.IsString()) {
            return false;
        }
        out.assign(value.GetString(), value.GetStringLength());
        return true;
    });
}

bool readToken(const std::string& text, long long declared, std::string* out = nullptr) {
    TextBody body(text, declared);
    std::string token;
    const bool ok = readString(body, "token", token);
    if (out != nullptr) {
        *out = token;
    }
    return ok;
}

TEST(RequestDocument, ReadsTheNamedMemberOfTheTopLevelObject) {
    std::string token;
    const std::string text = R"({"other": 1, "token": "abc"})";
    EXPECT_TRUE(readToken(text, static_cast<long long>(text.size()), &token));
    EXPECT_EQ(token, "abc");
}

TEST(RequestDocument, AbsentZeroOrNegativeLengthFailsWithoutReading) {
    for (long long declared : {-1LL, 0LL, -5LL}) {
        TextBody body(R"({"token": "abc"})", declared);
        std::string token;
        EXPECT_FALSE(readString(body, "token", token)) << declared;
        EXPECT_EQ(body.reads, 0) << declared;
    }
}

TEST(RequestDocument, BodiesAboveOneMebibyteAreRefusedUnread) {
    // A valid document, padded with blanks to just above the limit.
    std::string text = R"({"token": "abc"})";
    text.resize(1048577, ' ');
    TextBody over(text, 1048577);
    std::string token;
    EXPECT_FALSE(readString(over, "token", token));
    EXPECT_EQ(over.reads, 0);

    TextBody huge(text, 10LL * 1000 * 1000 * 1000);
    EXPECT_FALSE(readString(huge, "token", token));
    EXPECT_EQ(huge.reads, 0);

    text.resize(1048576);
    TextBody limit(text, 1048576);
    EXPECT_TRUE(readString(limit, "token", token));
    EXPECT_EQ(limit.bytesRead, 1048576u);
    EXPECT_EQ(token, "abc");
}

TEST(RequestDocument, ShortBodyIsParsedAsFarAsItCame) {
    const std::string complete = R"({"token": "abc"})";
    // Declared longer than sent: what came is a complete document.
    EXPECT_TRUE(readToken(complete, 100));
    // What came is cut inside the document.
    EXPECT_FALSE(readToken(R"({"token": "ab)", 100));
}

TEST(RequestDocument, BodyLongerThanDeclaredIsRefused) {
    // The declared length cuts the text; one more byte than declared arrived.
    EXPECT_FALSE(readToken(R"({"token": "abc"}   )", 16));
    // Exactly the declared length.
    EXPECT_TRUE(readToken(R"({"token": "abc"})", 16));
}

TEST(RequestDocument, BodyArrivingInSmallPiecesIsReadWhole) {
    const std::string text = R"({"token": "abcdefghijklmnopqrstuvwxyz"})";
    TextBody body(text, static_cast<long long>(text.size()), 3);
    std::string token;
    EXPECT_TRUE(readString(body, "token", token));
    EXPECT_EQ(token, "abcdefghijklmnopqrstuvwxyz");
    EXPECT_GT(body.reads, 10);
}

TEST(RequestDocument, ReadErrorFails) {
    TextBody body(R"({"token": "abc"})", 16);
    body.failReads = true;
    std::string token;
    EXPECT_FALSE(readString(body, "token", token));
}

TEST(RequestDocument, TextThatIsNotOneJsonObjectFails) {
    for (const std::string& text :
         {std::string(""), std::string("   "), std::string("not json"), std::string("{"),
          std::string(R"({"token": "abc"} x)"), std::string(R"({"token": "abc"}{})"),
          std::string(R"(["token"])"), std::string(R"("token")"), std::string("null"),
          std::string(R"({"token": "abc",})"), std::string(R"({'token': 'abc'})")}) {
        EXPECT_FALSE(readToken(text, text.empty() ? 1 : static_cast<long long>(text.size())))
            << text;
    }
}

TEST(RequestDocument, WhiteSpaceAroundTheDocumentIsAccepted) {
    const std::string text = " \r\n\t{\"token\": \"abc\"}\n ";
    EXPECT_TRUE(readToken(text, static_cast<long long>(text.size())));
}

TEST(RequestDocument, MissingOrMisspelledMemberFails) {
    const std::string text = R"({"Token": "abc", "tokens": "x", "nested": {"token": "y"}})";
    EXPECT_FALSE(readToken(text, static_cast<long long>(text.size())));
}

TEST(RequestDocument, ReaderDecidesAboutTheValueType) {
    const std::string text = R"({"token": 5})";
    EXPECT_FALSE(readToken(text, static_cast<long long>(text.size())));
}

TEST(RequestDocument, BodyIsReadOnceForSeveralMembers) {
    const std::string text = R"({"a": "1", "b": "2"})";
    TextBody body(text);
    alignas(8) char scratch[1024];
    RequestDocument request(body, scratch, sizeof scratch);
    std::string seen;
    auto collect = [&seen](const JsonValue& value) {
        seen += value.GetString();
        return true;
    };
    EXPECT_TRUE(request.readMember("a", collect));
    EXPECT_TRUE(request.readMember("b", collect));
    EXPECT_FALSE(request.readMember("c", collect));
    EXPECT_EQ(seen, "12");
    EXPECT_EQ(body.bytesRead, text.size());
}

TEST(RequestDocument, FailedBodyStaysFailed) {
    TextBody body("{", 1);
    alignas(8) char scratch[256];
    RequestDocument request(body, scratch, sizeof scratch);
    auto any = [](const JsonValue&) { return true; };
    EXPECT_FALSE(request.readMember("a", any));
    EXPECT_FALSE(request.readMember("a", any));
    EXPECT_EQ(body.reads, 2);  // one read took the byte, one met the end; no second attempt
}

TEST(RequestDocument, LargeDocumentsOutgrowTheScratchArea) {
    std::string text = R"({"list": [)";
    for (int i = 0; i < 5000; ++i) {
        text += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
    }
    text += "]}";
    TextBody body(text);
    alignas(8) char scratch[1024];
    RequestDocument request(body, scratch, sizeof scratch);
    rapidjson::SizeType count = 0;
    EXPECT_TRUE(request.readMember("list", [&count](const JsonValue& value) {
        count = value.Size();
        return std::string(value[4999].GetString()) == "4999";
    }));
    EXPECT_EQ(count, 5000u);
}

TEST(RequestDocument, DeepNestingNeitherCrashesNorIsRefused) {
    // A mebibyte of "[" used to exhaust the thread's stack in a recursive parse.
    EXPECT_FALSE(readToken(std::string(1048576, '['), 1048576));
    const int depth = 200000;
    const std::string nested =
        R"({"token": "abc", "deep": )" + std::string(depth, '[') + std::string(depth, ']') + "}";
    std::string token;
    EXPECT_TRUE(readToken(nested, static_cast<long long>(nested.size()), &token));
    EXPECT_EQ(token, "abc");
}

TEST(RequestDocument, NulByteEndsTheText) {
    const std::string text = std::string(R"({"token": "abc"})") + std::string(1, '\0') + "junk";
    EXPECT_TRUE(readToken(text, static_cast<long long>(text.size())));
}

}  // namespace
