#!/usr/bin/env python3
"""Capture, live preview and download against ocucam-sim over USB. See bench/README.md.
Figures are printed, never asserted.

    bench/capture_bench.py --build build-bench [--captures 40] [--seconds 8]

Preview: one and two streams beside the capture request (the hub's three listeners). The
simulator stamps every live frame with the moment it hands it out, so each part a client
receives gives one frame-to-client latency; the frames per second each stream receives; the
service's processor time per camera frame next to one libjpeg-turbo encode (through Pillow) of
the same frame.
Capture: from the moment the simulator completes a capture to the client holding the answer.
Download: GET /1.0/download/image next to download_bench's direct fetch, JPEG encode and
Base64 of the same frame through the camera interface.
"""

import argparse
import base64
import io
import os
import statistics
import subprocess
import sys
import threading
import time

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import ocutest  # noqa: E402
from preview import PreviewReader  # noqa: E402

STAMP_BITS = 48
STAMP_BLOCK = 8


def percentile(samples, share):
    samples = sorted(samples)
    return samples[min(len(samples) - 1, int(len(samples) * share))]


def handed_out(jpeg):
    """The simulator's stamp: the microsecond its camera handed the frame out."""
    image = Image.open(io.BytesIO(jpeg)).convert("L")
    value = 0
    for bit in range(STAMP_BITS):
        block = image.crop((bit * STAMP_BLOCK, 0, (bit + 1) * STAMP_BLOCK, STAMP_BLOCK))
        mean = sum(block.getdata()) / (STAMP_BLOCK * STAMP_BLOCK)
        value = value << 1 | (1 if mean > 128 else 0)
    return value


def cpu_seconds(pid):
    """User and system time of a process so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Bench:
    def __init__(self, service):
        self.service = service
        self.sim = service.simulator
        self.query = "?session_id=" + service.sensor_session()

    def capture_in_background(self):
        worker = threading.Thread(target=lambda: setattr(
            worker, "answer", self.service.call("POST", "/1.0/capture" + self.query,
                                                timeout=120)), daemon=True)
        worker.start()
        while "capturing=1" not in self.sim.command("state"):
            time.sleep(0.005)
        return worker

    def preview(self, streams, seconds):
        self.sim.command("stamp-frames on")
        self.sim.command(f"capture-ms {int(seconds * 1000)}")
        cpu_before = cpu_seconds(self.service.process.pid)
        waiting = self.capture_in_background()
        readers = [PreviewReader(self.service.http_port, "/1.0/stream", timeout=seconds + 30)
                   for _ in range(streams)]
        for reader in readers:
            reader.start()
        waiting.join()
        for reader in readers:
            reader.join()
        cpu = cpu_seconds(self.service.process.pid) - cpu_before
        self.sim.command("stamp-frames off")
        latencies, rates = [], []
        camera_frames = set()
        for reader in readers:
            if reader.error or not reader.frames:
                raise RuntimeError(f"stream: {reader.error} {reader.answer}")
            for arrived, jpeg in reader.frames:
                stamp = handed_out(jpeg)
                camera_frames.add(stamp)
                latencies.append((arrived * 1e6 - stamp) / 1000)
            first, last = reader.frames[0][0], reader.frames[-1][0]
            rates.append((len(reader.frames) - 1) / (last - first))
        return rates, latencies, cpu / len(camera_frames), reader.frames[-1][1]

    def captures(self, count):
        self.sim.command("capture-ms 300")
        delays = []
        for _ in range(count):
            answer = self.service.call("POST", "/1.0/capture" + self.query, timeout=30)
            held = time.monotonic()
            if answer["status"] != "success":
                raise RuntimeError(answer)
            times = dict(field.split("=") for field in self.sim.command("capture-times").split()[1:])
            delays.append(held * 1000 - int(times["complete"]) / 1000)
        return delays, answer["captureIds"][0]

    def downloads(self, capture_id, count):
        durations = []
        for _ in range(count):
            start = time.perf_counter()
            answer = self.service.call("GET", "/1.0/download/image?capture_id=" + capture_id)
            durations.append((time.perf_counter() - start) * 1000)
            if answer["status"] != "success":
                raise RuntimeError(answer)
        return durations


def pillow_encode_seconds(service, query, capture_id, rounds=200):
    """Processor time of one JPEG encode at quality 50 of the raw frame, through Pillow's
    libjpeg-turbo."""
    raw = service.call("POST", f"/1.0/download/image?capture_id={capture_id}",
                       '{"params": {"imageFormat": "image/raw", "encodingQuality": 50}}')
    image = Image.frombytes("L", (640, 480), base64.b64decode(raw["sensorData"]))
    start = time.process_time()
    for _ in range(rounds):
        image.save(io.BytesIO(), format="JPEG", quality=50)
    return (time.process_time() - start) / rounds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", help="build folder with bin/")
    parser.add_argument("--captures", type=int, default=40)
    parser.add_argument("--seconds", type=float, default=8.0)
    args = parser.parse_args()
    bin_dir = os.path.join(os.path.abspath(args.build), "bin")
    os.environ["OCU_BIN_DIR"] = bin_dir

    with ocutest.Service(tls=False) as service:
        bench = Bench(service)
        for streams in (1, 2):
            rates, latencies, cpu_per_frame, _ = bench.preview(streams, args.seconds)
            print(f"preview, {streams} stream(s) + capture request: frames/s per stream "
                  f"{', '.join(f'{r:.1f}' for r in rates)}; latency median "
                  f"{statistics.median(latencies):.1f} ms, p99 {percentile(latencies, 0.99):.1f} "
                  f"ms; service CPU {cpu_per_frame * 1e6:.0f} us per camera frame")
        delays, capture_id = bench.captures(args.captures)
        print(f"capture: completion to answer median {statistics.median(delays):.1f} ms, "
              f"p99 {percentile(delays, 0.99):.1f} ms ({len(delays)} captures)")
        encode = pillow_encode_seconds(service, bench.query, capture_id)
        print(f"one libjpeg-turbo encode (Pillow, quality 50): {encode * 1e6:.0f} us of CPU")
        durations = bench.downloads(capture_id, 100)
        print(f"GET /1.0/download/image: median {statistics.median(durations):.2f} ms, "
              f"p99 {percentile(durations, 0.99):.2f} ms")
    direct = os.path.join(bin_dir, "download_bench")
    if os.path.exists(direct):
        subprocess.run([direct, "--benchmark_min_time=2"], check=True)


if __name__ == "__main__":
    main()
