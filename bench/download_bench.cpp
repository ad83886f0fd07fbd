// A download's work without the HTTP service around it, against ocucam-sim over USB: the camera
// interface fetching the raw result image of a capture, the JPEG encode at the sample quality
// and the Base64 text (BM_DirectFetchEncodeBase64), and the same through the camera controller's
// download operation (BM_ControllerDownload). bench/capture_bench.py runs it beside
// GET /1.0/download/image.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "DirectEncoders.h"
#include "camera/CreateCamera.h"
#include "capture/CameraController.h"
#include "imaging/EncoderFormat.h"
#include "imaging/ImageEncoder.h"
#include "sdk/Sdk.h"
#include "sdk/SimCamera.h"
#include "support/TempDir.h"
#include "web/ResultDocument.h"
#include "web/WSMemPool.h"

namespace {

using lensws::CameraController;
using lensws::ResultStatus;

// One simulated camera, initialized and configured, with one capture done; made once.
struct CapturedCamera {
    CapturedCamera() : camera(dir.path(), simtest::SimCameraOptions()) {
        lensws::WSMemPool::create();
        simtest::useDeviceDirectory(dir.path());
        sdk::sdkInit();
        if (!camera.start()) {
            std::fprintf(stderr, "ocucam-sim: %s\n", camera.error().c_str());
            std::exit(1);
        }
        camera.control("capture-ms 300");
        holder = std::make_unique<vantrel_camera::CameraHolder>(vantrel_camera::createCamera);
        controller = std::make_unique<CameraController>(*holder);
        const char* message = nullptr;
        lensws::ResultDocument result;
        if (controller->initialize(&message) != ResultStatus::success ||
            controller->configure(1.05f, 1.1f, 0, 50, 80) != ResultStatus::success ||
            controller->runCapture(result, lensws::CapturePurpose::Enrollment, &message) !=
                ResultStatus::success) {
            std::fprintf(stderr, "the simulated camera did not capture\n");
            std::exit(1);
        }
        captureId = result.captureIds().first()->text;
    }

    testsupport::TempDir dir;
    simtest::SimCamera camera;
    std::unique_ptr<vantrel_camera::CameraHolder> holder;
    std::unique_ptr<CameraController> controller;
    std::string captureId;
};

CapturedCamera& captured() {
    static CapturedCamera instance;
    return instance;
}

void BM_DirectFetchEncodeBase64(benchmark::State& state) {
    CapturedCamera& c = captured();
    vantrel_camera::OcuScanner& cam = *c.holder->camera();
    auto* pool = lensws::WSMemPool::access();
    for (auto _ : state) {
        const vantrel_camera::ImageInfo* images = nullptr;
        std::uint32_t count = 0;
        if (cam.getResultImage(1, sdk::kFormatRaw, 50, &images, &count) != CAMX_OK) {
            state.SkipWithError("getResultImage failed");
            break;
        }
        vtl_base_type::MemoryFile jpeg(pool);
        lensws::encodeGreyImage(images[0].data, images[0].width, images[0].height,
                                lensws::kEncoderJpeg, 80, &jpeg);
        lensws::Base64Text text =
            lensws::toBase64(jpeg.buffer(), static_cast<std::size_t>(jpeg.size()), pool);
        benchmark::DoNotOptimize(text.text());
    }
}
BENCHMARK(BM_DirectFetchEncodeBase64)->Unit(benchmark::kMillisecond);

void BM_ControllerDownload(benchmark::State& state) {
    CapturedCamera& c = captured();
    for (auto _ : state) {
        CameraController::Download out;
        if (c.controller->downloadDefaultImage(c.captureId.c_str(), out) != ResultStatus::success) {
            state.SkipWithError("download failed");
            break;
        }
        benchmark::DoNotOptimize(out.data.text());
    }
}
BENCHMARK(BM_ControllerDownload)->Unit(benchmark::kMillisecond);

// One libjpeg-turbo encode of a captured frame at the preview quality (50), straight into a
// vector: what a preview frame costs at the least. capture_bench.py sets the service's processor
// time per camera frame beside it.
void BM_DirectPreviewEncode(benchmark::State& state) {
    CapturedCamera& c = captured();
    const vantrel_camera::ImageInfo* images = nullptr;
    std::uint32_t count = 0;
    if (c.holder->camera()->getResultImage(1, sdk::kFormatRaw, 50, &images, &count) != CAMX_OK) {
        state.SkipWithError("getResultImage failed");
        return;
    }
    const std::vector<std::uint8_t> frame(images[0].data, images[0].data + images[0].size);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            imagingbench::directJpeg(frame.data(), images[0].width, images[0].height, 50));
    }
}
BENCHMARK(BM_DirectPreviewEncode)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
