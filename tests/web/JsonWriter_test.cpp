#include "web/JsonWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "web/JsonText.h"

namespace {

using lensws::JsonOutputStream;
using lensws::JsonWriter;
using webtest::renderValue;
using webtest::StringSink;

std::string stringValue(const std::string& text) {
    return renderValue([&](JsonWriter& w) { w.string(text.data(), text.size()); });
}

TEST(JsonWriter, EscapesQuoteBackslashAndControlCharacters) {
    EXPECT_EQ(stringValue("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(stringValue("\b\f\n\r\t"), R"("\b\f\n\r\t")");
    EXPECT_EQ(stringValue(std::string("\x00\x01\x0b\x1f", 4)), R"("\u0000\u0001\u000B\u001F")");
}

TEST(JsonWriter, CopiesEveryOtherByteUnchanged) {
    EXPECT_EQ(stringValue("/ \x7f"), "\"/ \x7f\"");
    EXPECT_EQ(stringValue("\xc3\xa9\xe2\x82\xac"), "\"\xc3\xa9\xe2\x82\xac\"");
    // Invalid UTF-8 is not the writer's business: the bytes pass as they are.
    EXPECT_EQ(stringValue("\xff\xfe\x80"), "\"\xff\xfe\x80\"");
}

TEST(JsonWriter, ExplicitLengthTextsIncludeEveryByte) {
    EXPECT_EQ(renderValue([](JsonWriter& w) { w.string("abcdef", 3); }), R"("abc")");
    EXPECT_EQ(renderValue([](JsonWriter& w) { w.string(nullptr); }), R"("")");
}

TEST(JsonWriter, FloatsUsePrintfFixedWithSixDecimals) {
    auto f = [](float v) { return renderValue([v](JsonWriter& w) { w.floatFixed(v); }); };
    EXPECT_EQ(f(1.05f), "1.050000");
    EXPECT_EQ(f(1.1f), "1.100000");
    EXPECT_EQ(f(0.0f), "0.000000");
    EXPECT_EQ(f(-2.5f), "-2.500000");
    EXPECT_EQ(f(1e-7f), "0.000000");
    EXPECT_EQ(f(3.4028234e38f), "340282346638528859811704183484516925440.000000");
}

TEST(JsonWriter, DoublesUseTheShortestRoundTripFormWithPointZero) {
    auto d = [](double v) { return renderValue([v](JsonWriter& w) { w.doubleShortest(v); }); };
    EXPECT_EQ(d(640), "640.0");
    EXPECT_EQ(d(480.0), "480.0");
    EXPECT_EQ(d(0.0), "0.0");
    EXPECT_EQ(d(1.05), "1.05");
    EXPECT_EQ(d(-0.5), "-0.5");
    EXPECT_EQ(d(1e300), "1e300");
}

TEST(JsonWriter, NonFiniteNumbersStayValidJson) {
    EXPECT_EQ(renderValue([](JsonWriter& w) { w.floatFixed(1.0f / 0.0f); }), "null");
    EXPECT_EQ(renderValue([](JsonWriter& w) { w.doubleShortest(0.0 / 0.0); }), "null");
}

TEST(JsonWriter, PrettyPrintsWithFourBlanksAndEmptyContainersInline) {
    const std::string text = renderValue([](JsonWriter& w) {
        w.startObject();
        w.key("a");
        w.startArray();
        w.endArray();
        w.key("b");
        w.startObject();
        w.endObject();
        w.key("c");
        w.startArray();
        w.int32(-1);
        w.startObject();
        w.key("d");
        w.uint32(4294967295u);
        w.boolMember("e", false);
        w.endObject();
        w.endArray();
        w.boolMember("f", true);
        w.endObject();
    });
    EXPECT_EQ(text, R"({
    "a": [],
    "b": {},
    "c": [
        -1,
        {
            "d": 4294967295,
            "e": false
        }
    ],
    "f": true
})");
}

TEST(JsonWriter, TextMemberLeavesOutAbsentAndEmptyTexts) {
    const std::string text = renderValue([](JsonWriter& w) {
        w.startObject();
        w.textMember("absent", nullptr);
        w.textMember("empty", "");
        w.textMember("kept", "x");
        w.endObject();
    });
    EXPECT_EQ(text, "{\n    \"kept\": \"x\"\n}");
}

TEST(JsonWriter, DeepNestingOutgrowsTheInlineStack) {
    constexpr int kDepth = 100;
    const std::string text = renderValue([](JsonWriter& w) {
        for (int i = 0; i < kDepth; ++i) {
            w.startArray();
        }
        for (int i = 0; i < kDepth; ++i) {
            w.endArray();
        }
    });
    std::string expected = "[";
    for (int level = 1; level < kDepth; ++level) {
        expected += "\n" + std::string(4 * level, ' ') + "[";
    }
    expected += "]";
    for (int level = kDepth - 2; level >= 0; --level) {
        expected += "\n" + std::string(4 * level, ' ') + "]";
    }
    EXPECT_EQ(text, expected);
}

TEST(JsonOutputStream, CountingStreamOnlyCounts) {
    JsonOutputStream counter;
    for (int i = 0; i < 5000; ++i) {
        counter.Put('x');
    }
    counter.Flush();
    EXPECT_EQ(counter.count(), 5000u);
}

TEST(JsonOutputStream, HandsOverFull536ByteBuffersThenTheRest) {
    StringSink sink;
    JsonOutputStream out(sink);
    std::string expected;
    for (int i = 0; i < 1200; ++i) {
        const char c = static_cast<char>('a' + i % 26);
        out.Put(c);
        expected.push_back(c);
    }
    EXPECT_EQ(sink.writes, 2);
    EXPECT_EQ(sink.text.size(), 1072u);
    out.Flush();
    out.Flush();  // nothing left: no empty write
    EXPECT_EQ(sink.writes, 3);
    EXPECT_EQ(sink.largestWrite, 536u);
    EXPECT_EQ(sink.text, expected);
    EXPECT_EQ(out.count(), 1200u);
}

class ShortSink : public lensws::ByteSink {
public:
    explicit ShortSink(int answer) : answer_(answer) {}
    int write(const char*, std::size_t) override { return answer_; }

private:
    int answer_;
};

void expectSocketWritingFailed(int sinkAnswer) {
    ShortSink sink(sinkAnswer);
    JsonOutputStream out(sink);
    try {
        for (std::size_t i = 0; i < JsonOutputStream::kBufferSize; ++i) {
            out.Put('x');
        }
        FAIL() << "no exception for a sink answering " << sinkAnswer;
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Socket writing failed!");
    }
}

TEST(JsonOutputStream, ShortWriteThrowsSocketWritingFailed) {
    expectSocketWritingFailed(535);
    expectSocketWritingFailed(0);
    expectSocketWritingFailed(-1);
}

TEST(JsonOutputStream, ShortWriteOnTheFinalFlushThrows) {
    ShortSink sink(1);
    JsonOutputStream out(sink);
    out.Put('a');
    out.Put('b');
    EXPECT_THROW(out.Flush(), std::runtime_error);
}

}  // namespace
