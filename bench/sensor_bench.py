#!/usr/bin/env python3
"""Round-trip times of the sensor set-up requests against ocucam-sim over USB: POST
/1.0/initialize on a released sensor (the camera is connected, initialized and its
configuration and gallery read), POST /1.0/initialize on an initialized sensor (no camera
traffic), and GET /1.0/configure. See bench/README.md. Figures are printed, never asserted.

    bench/sensor_bench.py --build build-bench [--rounds 200]
"""

import argparse
import os
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import ocutest  # noqa: E402


def timed(service, method, path):
    """Milliseconds for one request on a fresh connection, as a client makes it."""
    start = time.perf_counter()
    answer = service.call(method, path)
    elapsed = (time.perf_counter() - start) * 1000
    if answer["status"] != "success":
        raise RuntimeError(f"{method} {path}: {answer}")
    return elapsed


def report(name, samples):
    samples = sorted(samples)
    p99 = samples[min(len(samples) - 1, int(len(samples) * 0.99))]
    print(f"{name:34s} median {statistics.median(samples):7.2f} ms   p99 {p99:7.2f} ms   "
          f"({len(samples)} requests)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build", help="build folder with bin/")
    parser.add_argument("--rounds", type=int, default=200)
    args = parser.parse_args()
    os.environ["OCU_BIN_DIR"] = os.path.join(os.path.abspath(args.build), "bin")

    with ocutest.Service(tls=False) as service:
        session = service.locked_session()
        query = f"?session_id={session}"
        cold, warm, configure = [], [], []
        for _ in range(args.rounds):
            timed(service, "DELETE", "/1.0/initialize" + query)
            cold.append(timed(service, "POST", "/1.0/initialize" + query))
            warm.append(timed(service, "POST", "/1.0/initialize" + query))
            configure.append(timed(service, "GET", "/1.0/configure" + query))
        report("POST /1.0/initialize (released)", cold)
        report("POST /1.0/initialize (initialized)", warm)
        report("GET /1.0/configure", configure)


if __name__ == "__main__":
    main()
