// Capture throughput of the device SDK against ocucam-sim: frames per second delivered to the
// capture callback and the SDK's processor time per frame (user and system time of this
// process, in which only the capture thread works while the capture runs), over USB and over a
// serial line at 115200 and 921600 baud. Each benchmark runs one capture for a fixed window of
// frames; the simulator streams 640 x 480 grey frames at 30 per second.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>

#include "sdk/Sdk.h"
#include "sdk/SimCamera.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

struct LinkSetup {
    bool serial = false;
    std::uint32_t baud = 0;
    int frames = 0;  // frames to wait for after the first
};

double processorSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counts the frames the callback receives and notes when the first and the last came.
struct FrameCounter {
    std::mutex mutex;
    std::condition_variable changed;
    int frames = 0;
    std::uint32_t lastStatus = 0;
    Clock::time_point first;
    Clock::time_point last;
    double longestGap = 0;  // seconds between two frames

    static void callback(void* context, const sdk::ImageInfo* images, std::uint32_t,
                         const std::uint32_t* status, const sdk::CaptureError*) {
        FrameCounter& counter = *static_cast<FrameCounter*>(context);
        {
            std::lock_guard<std::mutex> lock(counter.mutex);
            if (images != nullptr) {
                const Clock::time_point now = Clock::now();
                if (counter.frames++ == 0) {
                    counter.first = now;
                } else {
                    const double gap = std::chrono::duration<double>(now - counter.last).count();
                    counter.longestGap = gap > counter.longestGap ? gap : counter.longestGap;
                }
                counter.last = now;
            }
            if (status != nullptr) {
                counter.lastStatus = *status;
            }
        }
        counter.changed.notify_all();
    }
};

void captureThroughput(benchmark::State& state, LinkSetup link) {
    testsupport::TempDir dir;
    simtest::useDeviceDirectory(dir.path());
    sdk::sdkInit();
    simtest::SimCameraOptions options;
    options.captureMs = 600000;
    sdk::SdkConfig config;
    std::string name = "Tavisor CMX-2000";
    if (link.serial) {
        options.serialLink = dir.path() + "/ttyCam";
        options.baud = link.baud;
        config.connectionKind = sdk::kConnectionSerial;
        config.baudRate = link.baud;
        name = options.serialLink;
    }
    simtest::SimCamera camera(dir.path(), options);
    sdk::SdkHandle handle = nullptr;
    if (!camera.start() || sdk::sdkSetConfig(config) != CAMX_OK ||
        sdk::sdkOpenDevice(name.c_str(), &handle) != CAMX_OK ||
        sdk::sdkInitCamera(handle, nullptr, nullptr) != CAMX_OK) {
        state.SkipWithError("the simulated camera could not be opened");
        return;
    }
    double framesPerSecond = 0;
    double cpuPerFrame = 0;
    double longestGap = 0;
    for (auto _ : state) {
        FrameCounter counter;
        if (sdk::sdkStartCapture(handle, 1, 3, 1, 1, 0, 1, &FrameCounter::callback, &counter) !=
            CAMX_OK) {
            state.SkipWithError("the capture did not start");
            break;
        }
        {
            std::unique_lock<std::mutex> lock(counter.mutex);
            counter.changed.wait(lock, [&] { return counter.frames >= 1; });
        }
        const double cpuStart = processorSeconds();
        {
            std::unique_lock<std::mutex> lock(counter.mutex);
            counter.changed.wait(lock, [&] { return counter.frames >= 1 + link.frames; });
        }
        const double cpu = processorSeconds() - cpuStart;
        sdk::sdkStopCapture(handle);
        const double window = std::chrono::duration<double>(counter.last - counter.first).count();
        state.SetIterationTime(window);
        framesPerSecond = link.frames / window;
        cpuPerFrame = cpu / link.frames;
        longestGap = counter.longestGap;
    }
    state.counters["frames_per_s"] = framesPerSecond;
    state.counters["sdk_cpu_ms_per_frame"] = cpuPerFrame * 1000.0;
    state.counters["bytes_per_s"] = framesPerSecond * (640.0 * 480.0 + 10.0);
    state.counters["longest_gap_ms"] = longestGap * 1000.0;
    sdk::sdkCloseDevice(handle);
}

}  // namespace

BENCHMARK_CAPTURE(captureThroughput, usb, LinkSetup{false, 0, 150})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(captureThroughput, serial_921600, LinkSetup{true, 921600, 5})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(captureThroughput, serial_115200, LinkSetup{true, 115200, 2})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
