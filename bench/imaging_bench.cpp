// The image encoder against the codec libraries called directly: a 640 x 480 grey eye frame from
// the simulator's generator, encoded as JPEG at quality 50 (every preview frame) and 80 (the
// default download), PNG, and JPEG 2000 at quality 50, each side by side with the direct call
// of the library with the same settings writing into a std::vector. The set-up checks that both
// write the very same bytes, so the two differ only in the plumbing around the library.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "DirectEncoders.h"
#include "imaging/ImageEncoder.h"
#include "simulator/SyntheticEyeGenerator.h"
#include "web/MemoryFile.h"
#include "web/WSMemPool.h"

namespace {

using imagingbench::directJp2;
using imagingbench::directJpeg;
using imagingbench::directPng;

const std::vector<std::uint8_t>& eyeFrame() {
    static const std::vector<std::uint8_t> pixels = [] {
        ocusim::SyntheticEyeGenerator generator;
        ocusim::EyeScene scene;
        scene.identitySeed = 7;
        ocusim::GreyImage frame;
        generator.render(scene, 640, 480, frame);
        return frame.pixels;
    }();
    return pixels;
}

std::vector<unsigned char> direct(int format, float quality) {
    const std::uint8_t* pixels = eyeFrame().data();
    switch (format) {
        case lensws::kEncoderJpeg:
            return directJpeg(pixels, 640, 480, static_cast<int>(quality));
        case lensws::kEncoderPng:
            return directPng(pixels, 640, 480);
        default:
            return directJp2(pixels, 640, 480, 100 / quality);
    }
}

// One encodeGreyImage into a memory file of the service's pool, as the frame callback does.
bool encode(vtl_base_type::ServiceMemoryPool* pool, int format, float quality,
            const std::vector<unsigned char>* expected) {
    vtl_base_type::MemoryFile file(pool);
    const bool encoded =
        lensws::encodeGreyImage(eyeFrame().data(), 640, 480, format, quality, &file);
    benchmark::DoNotOptimize(file.buffer());
    return encoded && (expected == nullptr ||
                       (static_cast<std::size_t>(file.size()) == expected->size() &&
                        std::memcmp(file.buffer(), expected->data(), expected->size()) == 0));
}

// Each iteration runs the encoder and the direct call once, in alternating order, and times
// both: on a shared machine the speed drifts by more than the difference being measured, and
// pairs see the same drift. The iteration time covers both calls; the counters give each one's
// mean and the ratio encoder / direct.
void BM_EncoderVsDirect(benchmark::State& state, int format, float quality) {
    using Clock = std::chrono::steady_clock;
    lensws::WSMemPool::create();
    vtl_base_type::ServiceMemoryPool* pool = lensws::WSMemPool::access();
    const std::vector<unsigned char> expected = direct(format, quality);
    if (!encode(pool, format, quality, &expected)) {
        state.SkipWithError("the encoder's bytes differ from the direct call's");
        return;
    }
    Clock::duration encoder{}, library{};
    bool encoderFirst = true;
    for (auto _ : state) {
        for (int turn = 0; turn < 2; ++turn) {
            const Clock::time_point start = Clock::now();
            if (encoderFirst == (turn == 0)) {
                encode(pool, format, quality, nullptr);
                encoder += Clock::now() - start;
            } else {
                benchmark::DoNotOptimize(direct(format, quality).data());
                library += Clock::now() - start;
            }
        }
        encoderFirst = !encoderFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["encoder_us"] = std::chrono::duration<double, std::micro>(encoder).count() / n;
    state.counters["direct_us"] = std::chrono::duration<double, std::micro>(library).count() / n;
    state.counters["ratio"] = std::chrono::duration<double>(encoder).count() /
                              std::chrono::duration<double>(library).count();
    state.counters["bytes"] = static_cast<double>(expected.size());
}

BENCHMARK_CAPTURE(BM_EncoderVsDirect, jpeg_q50, lensws::kEncoderJpeg, 50);
BENCHMARK_CAPTURE(BM_EncoderVsDirect, jpeg_q80, lensws::kEncoderJpeg, 80);
BENCHMARK_CAPTURE(BM_EncoderVsDirect, png, lensws::kEncoderPng, 50);
BENCHMARK_CAPTURE(BM_EncoderVsDirect, jp2_q50, lensws::kEncoderJpeg2000, 50);

}  // namespace

BENCHMARK_MAIN();
