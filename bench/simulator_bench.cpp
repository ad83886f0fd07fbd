// How much of a core the camera simulator needs: live frames at 30 per second (one or two eyes
// each), the analysis of a completed capture, JPEG 2000 results and identification.

#include <benchmark/benchmark.h>

#include <vector>

#include "sdk/CommandCode.h"
#include "simulator/CameraDevice.h"
#include "simulator/CaptureResult.h"
#include "simulator/DeviceSession.h"
#include "simulator/IrisMatcher.h"
#include "simulator/Jpeg2000Encoder.h"
#include "simulator/SyntheticEyeGenerator.h"

namespace {

using namespace ocusim;

CaptureSession session(bool binocular, std::uint64_t sequence) {
    CaptureSetup setup;
    setup.subject = "bench";
    setup.binocular = binocular;
    setup.captureMs = 1500;
    setup.sequence = sequence;
    return CaptureSession(setup, Clock::now());
}

// One live frame of one eye, as 0x200F renders it.
void BM_LiveFrame(benchmark::State& state) {
    SyntheticEyeGenerator generator;
    const CaptureSession capture = session(false, 1);
    GreyImage frame;
    std::uint32_t index = 1;
    for (auto _ : state) {
        generator.render(capture.liveScene(0, index++ % 45 + 1), 640, 480, frame);
        benchmark::DoNotOptimize(frame.pixels.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveFrame)->Unit(benchmark::kMillisecond);

// The whole stream command on a binocular camera: two frames rendered and framed as a reply.
void BM_StreamCommandBinocular(benchmark::State& state) {
    SyntheticEyeGenerator generator;
    Gallery gallery(1000, "");
    DeviceProfile profile;
    profile.binocular = true;
    profile.firmware = 0x30020;
    SceneControl scene;
    scene.captureMs = 600000;
    CameraDevice camera(profile, scene, generator, gallery, 600000, 2);
    DeviceSession link(camera);
    Clock::time_point now = Clock::now();
    auto send = [&](std::uint16_t code, std::vector<std::uint8_t> params) {
        std::vector<std::uint8_t> block(88, 0);
        const std::uint32_t magic = 0xADDE3201;
        const std::uint32_t length = static_cast<std::uint32_t>(12 + params.size());
        for (int i = 0; i < 4; ++i) {
            block[i] = static_cast<std::uint8_t>(magic >> (8 * i));
            block[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        }
        block[8] = static_cast<std::uint8_t>(code);
        block[9] = static_cast<std::uint8_t>(code >> 8);
        std::copy(params.begin(), params.end(), block.begin() + 12);
        std::vector<Outbound> out;
        link.onTransfer(block.data(), block.size(), now, out);
        return out;
    };
    send(sdk::command::kInitCamera, {});
    send(sdk::command::kStartCapture, {1, 3, 0, 1, 1, 1, 0});
    std::size_t bytes = 0;
    for (auto _ : state) {
        now += std::chrono::milliseconds(34);  // one frame period later
        const std::vector<Outbound> out = send(sdk::command::kStreamImages, {});
        bytes += out.size() == 2 ? out[1].bytes.size() : 0;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StreamCommandBinocular)->Unit(benchmark::kMillisecond);

// Segmentation, iris code and quality of a completed monocular capture.
void BM_CaptureAnalysis(benchmark::State& state) {
    SyntheticEyeGenerator generator;
    std::uint64_t sequence = 1;
    for (auto _ : state) {
        CaptureSession capture = session(false, sequence++);
        benchmark::DoNotOptimize(CaptureAnalyzer::analyze(capture, generator, 40));
    }
}
BENCHMARK(BM_CaptureAnalysis)->Unit(benchmark::kMillisecond);

// A full-frame JPEG 2000 result at quality 80.
void BM_Jpeg2000Frame(benchmark::State& state) {
    SyntheticEyeGenerator generator;
    GreyImage frame;
    generator.render(session(false, 1).finalScene(0), 640, 480, frame);
    Compression compression;
    compression.kind = Compression::Quality;
    compression.value = 80;
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        encodeJpeg2000(frame, Jpeg2000Container::Jp2, compression, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Jpeg2000Frame)->Unit(benchmark::kMillisecond);

// One comparison of two iris codes (identification against a full gallery of 1000 templates
// costs a thousand of these).
void BM_IrisComparison(benchmark::State& state) {
    SyntheticEyeGenerator generator;
    const CaptureResult a = CaptureAnalyzer::analyze(session(false, 1), generator, 40);
    const CaptureResult b = CaptureAnalyzer::analyze(session(false, 2), generator, 40);
    for (auto _ : state) {
        benchmark::DoNotOptimize(IrisMatcher::distance(a.eyes[0].code, b.eyes[0].code));
    }
}
BENCHMARK(BM_IrisComparison)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
