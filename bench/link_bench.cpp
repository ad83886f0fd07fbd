// The camera link against ocucam-sim: round trips per second of a small command (capture status,
// 0x200E) and the throughput of 640 x 480 image transfers, over USB and over a serial
// pseudo-terminal (unpaced, and paced to 921600 and 115200 baud by the simulator).
//
// Stream images (0x200F) come at the simulator's frame rate, set to its highest (120 per second)
// so that the link is measured against four times the 30 frames per second of a real camera;
// the result image (0x200C, raw) of a finished capture measures the transfer alone.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "sdk/CCommUART.h"
#include "sdk/CCommUSB.h"
#include "sdk/CaptureCommands.h"
#include "sdk/DeviceCommands.h"
#include "sdk/ResultCommands.h"
#include "sdk/SimulatorProcess.h"

namespace {

using fakes::SimulatorProcess;

enum LinkArg { kUsb = 0, kSerialUnpaced = 1, kSerial921600 = 2, kSerial115200 = 3 };

// One simulator and an open, initialised link to it.
struct Camera {
    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<sdk::CCommObj> transport;
    sdk::DeviceLink link;
    sdk::DataBuffer buffer;

    bool open(LinkArg kind, std::vector<std::string> extra) {
        const bool serial = kind != kUsb;
        if (kind == kSerial921600 || kind == kSerial115200) {
            extra.insert(extra.end(), {"--baud", kind == kSerial921600 ? "921600" : "115200"});
        }
        extra.insert(extra.end(), {"--firmware", "0x2001C"});
        const bool paced = kind == kSerial921600 || kind == kSerial115200;
        sim = std::make_unique<SimulatorProcess>(
            serial ? SimulatorProcess::Link::Serial : SimulatorProcess::Link::Usb, extra, paced);
        if (!sim->ready()) {
            return false;
        }
        if (serial) {
            transport = std::make_unique<sdk::CCommUART>();
        } else {
            transport = std::make_unique<sdk::CCommUSB>();
        }
        transport->initialise();
        if (transport->open(sim->devicePath().c_str(), nullptr) != CAMX_OK) {
            return false;
        }
        link.transport = transport.get();
        link.kind = serial ? sdk::LinkKind::Serial : sdk::LinkKind::Usb;
        link.firmwareVersion = 0x2001C;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        return buffer.reserve(2 * 640 * 480 + 2048) &&
               sdk::initCamera(link, &width, &height) == CAMX_OK;
    }
};

void BM_CaptureStatusRoundTrip(benchmark::State& state) {
    const auto kind = static_cast<LinkArg>(state.range(0));
    Camera camera;
    if (!camera.open(kind, {})) {
        state.SkipWithError("no simulator");
        return;
    }
    std::uint8_t status = 0;
    for (auto _ : state) {
        if (sdk::readCaptureStatus(camera.link, &status) != CAMX_OK) {
            state.SkipWithError("capture status failed");
            break;
        }
    }
    state.counters["round_trips_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ResultImageRaw640x480(benchmark::State& state) {
    const auto kind = static_cast<LinkArg>(state.range(0));
    Camera camera;
    std::vector<std::string> extra{"--capture-ms", "100"};
    if (!camera.open(kind, extra)) {
        state.SkipWithError("no simulator");
        return;
    }
    sdk::CaptureParameters parameters;
    parameters.count = 3;
    sdk::startCapture(camera.link, parameters);
    std::uint8_t status = 0;
    while (status != 3 && sdk::readCaptureStatus(camera.link, &status) == CAMX_OK) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::int64_t bytes = 0;
    sdk::ResultImageRequest raw;
    raw.kind = 2;  // 640 x 480 centred on the iris
    for (auto _ : state) {
        if (sdk::readResultImages(camera.link, camera.buffer, raw, images, &count) != CAMX_OK) {
            state.SkipWithError("result image failed");
            break;
        }
        bytes += images[0].size;
    }
    state.SetBytesProcessed(bytes);
}

void BM_StreamImage640x480(benchmark::State& state) {
    const auto kind = static_cast<LinkArg>(state.range(0));
    Camera camera;
    std::vector<std::string> extra{"--capture-ms", "600000", "--frame-rate", "120"};
    if (!camera.open(kind, extra)) {
        state.SkipWithError("no simulator");
        return;
    }
    sdk::CaptureParameters parameters;
    parameters.count = 3;
    sdk::startCapture(camera.link, parameters);
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::uint8_t status = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        CamxStatus got = CAMX_SE_NO_FRAME_AVAILABLE;
        while (got == CAMX_SE_NO_FRAME_AVAILABLE) {
            got = sdk::readStreamImages(camera.link, camera.buffer, 0, images, &count, &status);
        }
        if (got != CAMX_OK) {
            state.SkipWithError("stream image failed");
            break;
        }
        bytes += images[0].size;
    }
    state.SetBytesProcessed(bytes);
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Link kinds: 0 USB, 1 serial unpaced, 2 serial at 921600 baud, 3 serial at 115200 baud.
BENCHMARK(BM_CaptureStatusRoundTrip)
    ->Arg(kUsb)
    ->Arg(kSerialUnpaced)
    ->Arg(kSerial921600)
    ->Arg(kSerial115200)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultImageRaw640x480)
    ->Arg(kUsb)
    ->Arg(kSerialUnpaced)
    ->Arg(kSerial921600)
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamImage640x480)
    ->Arg(kUsb)
    ->Arg(kSerialUnpaced)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
