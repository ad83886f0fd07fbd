// Micro-benchmarks of the web front: the two passes of a typical JSON answer, the request-body
// reader, the query lookup and the shared pool's block recycling.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "web/ByteSink.h"
#include "web/InlineAllocator.h"
#include "web/JSConfiguration.h"
#include "web/JsonOutputStream.h"
#include "web/JsonResponder.h"
#include "web/JsonWriter.h"
#include "web/MemoryPool.h"
#include "web/QueryParameter.h"
#include "web/RequestBody.h"
#include "web/RequestDocument.h"
#include "web/TypicalAnswer.h"

namespace {

class DiscardingSink : public lensws::ByteSink {
public:
    int write(const char* bytes, std::size_t length) override {
        benchmark::DoNotOptimize(bytes);
        return static_cast<int>(length);
    }
};

class StringBody : public lensws::RequestBody {
public:
    explicit StringBody(const std::string& text) : text_(text) {}
    long long contentLength() override { return static_cast<long long>(text_.size()); }
    int read(void* buffer, std::size_t length) override {
        const std::size_t n = std::min(length, text_.size() - offset_);
        std::memcpy(buffer, text_.data() + offset_, n);
        offset_ += n;
        return static_cast<int>(n);
    }

private:
    const std::string& text_;
    std::size_t offset_ = 0;
};

// Builds and writes (measure, then send) a GET /1.0/info-sized answer.
void BM_TypicalAnswer(benchmark::State& state) {
    DiscardingSink sink;
    std::size_t bytes = 0;
    for (auto _ : state) {
        webtest::TypicalAnswer answer;
        lensws::JsonOutputStream counter;
        {
            lensws::JsonWriter writer(counter);
            lensws::JsonResponder::writeResponseObject(writer, answer.result, &answer.info,
                                                       nullptr);
        }
        lensws::JsonOutputStream out(sink);
        {
            lensws::JsonWriter writer(out);
            lensws::JsonResponder::writeResponseObject(writer, answer.result, &answer.info,
                                                       nullptr);
        }
        out.Flush();
        bytes += counter.count();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_TypicalAnswer);

void BM_ConfigurationBody(benchmark::State& state) {
    const std::string text =
        R"({"configuration": {"item": [{"key": "deduplicationEnroll", "value": true},)"
        R"({"key": "genuineThreshold", "value": 1.05}, {"key": "imposterThreshold", "value": 1.1},)"
        R"({"key": "qualityStreaming", "value": 50}, {"key": "qualitySample", "value": 80}]}})";
    for (auto _ : state) {
        StringBody body(text);
        alignas(8) char scratch[2048];
        lensws::RequestDocument request(body, scratch, sizeof scratch);
        vtl_base_type::InlineAllocator<2048> pool;
        lensws::JSConfiguration configuration(pool);
        const bool ok = request.readMember(
            "configuration", [&](const lensws::JsonValue& v) { return configuration.read(v); });
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_ConfigurationBody);

void BM_QueryLookup(benchmark::State& state) {
    const char* query =
        "user_id=someone&xsession_id=1&session_id=0f8fad5b-d9cb-469f-a165-70867728950e";
    const std::size_t length = std::strlen(query);
    for (auto _ : state) {
        benchmark::DoNotOptimize(lensws::lookupQueryParameter(query, length, "session_id"));
    }
}
BENCHMARK(BM_QueryLookup);

// Preview frames of similar sizes recycled through the shared pool.
void BM_PoolRecycling(benchmark::State& state) {
    vtl_base_type::ServiceMemoryPool pool;
    std::size_t size = 20000;
    for (auto _ : state) {
        void* frame = pool.allocate(size);
        benchmark::DoNotOptimize(frame);
        pool.release(frame);
        size = 20000 + (size * 7) % 2000;
    }
}
BENCHMARK(BM_PoolRecycling);

}  // namespace

BENCHMARK_MAIN();
