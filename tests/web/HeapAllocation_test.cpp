// Counts the global operator new calls of each thread, to show that answering a typical request
// needs no heap allocation: the result document, the dictionary and the writer's stacks live in
// inline areas, the response body streams through a fixed buffer.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "web/JsonOutputStream.h"
#include "web/JsonResponder.h"
#include "web/JsonWriter.h"
#include "web/TestServer.h"
#include "web/TypicalAnswer.h"

namespace {
thread_local long newCalls = 0;
}  // namespace

// The replacements below pair malloc with free; GCC cannot tell once it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++newCalls;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++newCalls;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using lensws::JsonResponder;
using webtest::TypicalAnswer;

// Takes the bytes and forgets them.
class DiscardingSink : public lensws::ByteSink {
public:
    int write(const char*, std::size_t length) override {
        bytes += length;
        return static_cast<int>(length);
    }
    std::size_t bytes = 0;
};

// Kept reachable so that the compiler cannot drop the allocation below.
int* volatile escaped = nullptr;

TEST(HeapAllocation, CountingReallyCounts) {
    const long before = newCalls;
    escaped = new int(1);
    EXPECT_EQ(newCalls - before, 1);
    delete escaped;
}

TEST(HeapAllocation, TypicalAnswerIsBuiltAndWrittenWithoutHeap) {
    DiscardingSink sink;
    const long before = newCalls;
    {
        TypicalAnswer answer;
        lensws::JsonOutputStream counter;
        {
            lensws::JsonWriter writer(counter);
            JsonResponder::writeResponseObject(writer, answer.result, &answer.info, nullptr);
        }
        lensws::JsonOutputStream out(sink);
        {
            lensws::JsonWriter writer(out);
            JsonResponder::writeResponseObject(writer, answer.result, &answer.info, nullptr);
        }
        out.Flush();
        EXPECT_EQ(sink.bytes, counter.count());
    }
    EXPECT_EQ(newCalls - before, 0);
    EXPECT_GT(sink.bytes, 400u);
}

TEST(HeapAllocation, WriteResultOnARealConnectionNeedsNoHeap) {
    webtest::FunctionHandler handler;
    std::atomic<long> calls{-1};
    handler.get = [&calls](mg_connection* connection) {
        const long before = newCalls;
        {
            TypicalAnswer answer;
            JsonResponder(connection).writeResult(answer.result, &answer.info);
        }
        calls = newCalls - before;
        return true;
    };
    webtest::TestServer server;
    server.add("/info", handler);
    for (int i = 0; i < 3; ++i) {
        const std::string answer = server.exchange("GET /info HTTP/1.1\r\nHost: localhost\r\n\r\n");
        ASSERT_NE(answer.find("livePreview"), std::string::npos);
        EXPECT_EQ(calls, 0) << "request " << i;
    }
}

}  // namespace
