#!/usr/bin/env python3
"""Benchmarks of the service host: throughput of a JSON answer next to a bare CivetWeb server
writing the same bytes, heap allocations per request, start-up time and resident memory.
See bench/README.md. Figures are printed, never asserted.

    bench/service_bench.py --build build-bench [--path /1.0/info] [--seconds 5] [--rounds 8]
"""

import argparse
import os
import re
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import ocutest  # noqa: E402


def wrk(url, seconds, connections=5, threads=2):
    """Runs wrk; returns (requests per second, requests, errors text)."""
    done = subprocess.run(["wrk", f"-t{threads}", f"-c{connections}", f"-d{seconds}s", url],
                          capture_output=True, text=True, check=True)
    rate = float(re.search(r"Requests/sec:\s+([\d.]+)", done.stdout).group(1))
    total = int(re.search(r"(\d+) requests in", done.stdout).group(1))
    errors = re.search(r"Socket errors:.*", done.stdout)
    non2xx = re.search(r"Non-2xx or 3xx responses: \d+", done.stdout)
    notes = ", ".join(m.group(0) for m in (errors, non2xx) if m)
    return rate, total, notes


def resident_kib(pid):
    """(VmRSS, VmHWM) of a process in KiB."""
    values = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(value.split()[0])
    return values["VmRSS"], values["VmHWM"]


class BareServer:
    """bench/service_bare_server answering with `answer` on a free port."""

    def __init__(self, program, answer, extra_env=None):
        self.folder = tempfile.mkdtemp(prefix="ocubench-")
        path = os.path.join(self.folder, "answer")
        with open(path, "wb") as out:
            out.write(answer)
        self.port = ocutest.free_port()
        env = dict(os.environ)
        env.update(extra_env or {})
        self.process = subprocess.Popen([program, f"127.0.0.1:{self.port}", path],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        self.process.stdout.readline()
        os.set_blocking(self.process.stderr.fileno(), False)

    def counts(self):
        """Asks the malloc counter for its counts (SIGUSR2)."""
        self.process.send_signal(signal.SIGUSR2)
        deadline = time.monotonic() + 5
        text = b""
        while time.monotonic() < deadline:
            chunk = self.process.stderr.read() or b""
            text += chunk
            found = re.findall(rb"allocations=(\d+) frees=(\d+)", text)
            if found:
                return int(found[-1][0]), int(found[-1][1])
            time.sleep(0.01)
        raise RuntimeError("no counts from the bare server")

    def close(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(10)
        for name in os.listdir(self.folder):
            os.unlink(os.path.join(self.folder, name))
        os.rmdir(self.folder)


def service_counts(service):
    """Asks the malloc counter inside the service for its counts (SIGUSR2)."""
    before = service.output().count("allocations=")
    service.process.send_signal(signal.SIGUSR2)
    deadline = time.monotonic() + 5
    while service.output().count("allocations=") == before:
        if time.monotonic() > deadline:
            raise RuntimeError("no counts from the service")
        time.sleep(0.01)
    found = re.findall(r"allocations=(\d+) frees=(\d+)", service.output())
    return int(found[-1][0]), int(found[-1][1])


def allocations_per_request(url, seconds, counts):
    wrk(url, 2)  # warm up: threads, pools and caches reach their steady state
    before = counts()
    _, total, _ = wrk(url, seconds)
    after = counts()
    return (after[0] - before[0]) / total, (after[1] - before[1]) / total, total


def cpu_seconds(pid):
    """User and system CPU time a process used so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measured(url, pid, seconds):
    """wrk against url; returns (requests per second, server CPU microseconds per request,
    wrk's error notes)."""
    before = cpu_seconds(pid)
    rate, total, notes = wrk(url, seconds)
    return rate, 1e6 * (cpu_seconds(pid) - before) / total, notes


def throughput(args, bare_program, path):
    with ocutest.Service(simulator=False, tls=False) as service:
        request = f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{service.http_port}\r\n\r\n"
        answer = service.raw(request.encode(), one_response=True)
        bare = BareServer(bare_program, answer)
        try:
            same = ocutest.raw_exchange(bare.port, request.encode(), one_response=True)
            print(f"answer of {path}: {len(answer)} bytes; bare server sends the same bytes: "
                  f"{same == answer}")
            targets = {
                "service": (service.url(path), service.process.pid),
                "bare": (f"http://127.0.0.1:{bare.port}{path}", bare.process.pid),
            }
            for url, _ in targets.values():
                wrk(url, 1)  # warm up
            results = {name: [] for name in targets}
            ratios = []
            for round_number in range(args.rounds):
                # Alternate the order, so that a change of the machine's load does not always
                # favour the same server; compare each round's pair, measured back to back.
                order = list(targets) if round_number % 2 == 0 else list(reversed(targets))
                for name in order:
                    url, pid = targets[name]
                    rate, cpu, notes = measured(url, pid, args.seconds)
                    results[name].append((rate, cpu))
                    print(f"  round {round_number + 1}: {name:7s} {rate:8.0f} req/s, "
                          f"server CPU {cpu:6.1f} us/request  {notes}")
                ratios.append(results["service"][-1][0] / results["bare"][-1][0])
            rss, hwm = resident_kib(service.process.pid)
        finally:
            bare.close()
    for name, values in results.items():
        print(f"{name:7s}: median {statistics.median(v[0] for v in values):.0f} req/s, "
              f"server CPU {statistics.median(v[1] for v in values):.1f} us/request")
    print(f"throughput ratio service/bare (wrk -t2 -c5 -d{args.seconds}s, {args.rounds} paired "
          f"rounds): median {100 * statistics.median(ratios):.1f} %, "
          f"range {100 * min(ratios):.1f} to {100 * max(ratios):.1f} %")
    print(f"service memory after the runs: VmRSS {rss} KiB, VmHWM {hwm} KiB")


def allocations(args, bare_program, counter, path):
    preload = {"LD_PRELOAD": counter}
    service = ocutest.Service(simulator=False, tls=False, start=False)
    with service:
        service.start(env=preload)
        per_request, frees, total = allocations_per_request(service.url(path), args.seconds,
                                                            lambda: service_counts(service))
        print(f"heap allocations per request, service: {per_request:.3f} "
              f"(frees {frees:.3f}; {total} requests)")
        request = f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{service.http_port}\r\n\r\n"
        answer = service.raw(request.encode(), one_response=True)
    bare = BareServer(bare_program, answer, preload)
    try:
        per_request, frees, total = allocations_per_request(
            f"http://127.0.0.1:{bare.port}{path}", args.seconds, bare.counts)
        print(f"heap allocations per request, bare CivetWeb: {per_request:.3f} "
              f"(frees {frees:.3f}; {total} requests)")
    finally:
        bare.close()


def startup(args):
    service = ocutest.Service(simulator=False, tls=False, start=False)
    listening, ready, idle = [], [], []
    try:
        for _ in range(args.starts):
            began = time.perf_counter()
            service.launch()
            while True:
                try:
                    with socket.create_connection(("127.0.0.1", service.http_port), timeout=1):
                        break
                except OSError:
                    time.sleep(0.0005)
            listening.append(time.perf_counter() - began)
            while True:
                answer = service.request("GET", "/1.0/nothing")
                if "json" in (answer.header("content-type") or ""):
                    break
                time.sleep(0.0005)
            ready.append(time.perf_counter() - began)
            idle.append(resident_kib(service.process.pid))
            service.stop()
    finally:
        service.close()
    print(f"start-up to listening (median of {args.starts}): "
          f"{1000 * statistics.median(listening):.1f} ms; to every route answering: "
          f"{1000 * statistics.median(ready):.1f} ms")
    print(f"idle service: VmRSS {statistics.median(r for r, _ in idle):.0f} KiB, "
          f"VmHWM {statistics.median(h for _, h in idle):.0f} KiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build-bench"))
    parser.add_argument("--path", default="/1.0/info")
    parser.add_argument("--seconds", type=int, default=5)
    parser.add_argument("--rounds", type=int, default=8)
    parser.add_argument("--starts", type=int, default=10)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    os.environ["OCU_E2E_BIN_DIR"] = os.path.join(build, "bin")
    bare_program = os.path.join(build, "bin", "service_bare_server")
    counter = os.path.join(build, "bench", "libservice_malloc_counter.so")
    throughput(args, bare_program, args.path)
    allocations(args, bare_program, counter, args.path)
    startup(args)


if __name__ == "__main__":
    main()
