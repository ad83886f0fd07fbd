#!/usr/bin/env python3
"""Identification and verification against growing galleries, with ocucam-sim over USB. See
bench/README.md. Figures are printed, never asserted.

    bench/biometrics_bench.py --build build-bench [--model mono|bino] [--rounds 30]
                              [--capacity TEMPLATES] [--capture-ms MS]

The gallery is filled through the service, one person per enrollment (capture, then POST
/1.0/enroll, which commits the gallery to the simulator's file), to 1 and 100 users and to the
camera's maximum: its capacity in templates (the simulator's --gallery-capacity, 1000 by
default) over the templates one enrollment stores (one on a monocular camera, two on a
binocular one). At each size, `rounds` times, with an enrolled person in front of the camera:

  capture    POST /1.0/capture
  identify   POST /1.0/identifycapture (capture, then matching against the whole gallery)
  verify     POST /1.0/verifycapture (capture, then one comparison)

Each is timed from the moment the simulator completes its capture (its `capture-times`, on the
same clock) to the client holding the answer: what the service adds after the camera's own
capture time (--capture-ms). Matching is the identify span less the capture span. The total
request time is shown as well.
"""

import argparse
import os
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import ocutest  # noqa: E402


def percentile(samples, share):
    samples = sorted(samples)
    return samples[min(len(samples) - 1, int(len(samples) * share))]


def summary(samples):
    return (f"median {statistics.median(samples):7.2f} ms, p90 {percentile(samples, 0.9):7.2f} "
            f"ms")


class Bench:
    def __init__(self, service):
        self.service = service
        self.sim = service.simulator
        self.query = "?session_id=" + service.sensor_session()
        self.expect(self.service.call("DELETE", "/1.0/users" + self.query), "/1.0/users")
        self.users = 0

    @staticmethod
    def expect(answer, what):
        if answer["status"] != "success":
            raise RuntimeError(f"{what}: {answer}")
        return answer

    def timed(self, route, extra=""):
        """(completion-to-answer ms, whole request ms, answer) of one capturing request."""
        start = time.monotonic()
        answer = self.service.call("POST", route + self.query + extra, timeout=120)
        held = time.monotonic()
        self.expect(answer, route)
        times = dict(field.split("=") for field in self.sim.command("capture-times").split()[1:])
        return held * 1000 - int(times["complete"]) / 1000, (held - start) * 1000, answer

    def gallery(self):
        metadata = self.expect(self.service.call("GET", "/1.0/gallery" + self.query),
                               "gallery")["metadata"]
        return {item["key"]: item["value"] for item in metadata}

    def fill(self, users):
        """Enrolls people until the gallery holds `users`; the POST /1.0/enroll times."""
        durations = []
        while self.users < users:
            name = f"p{self.users}"
            self.sim.command("subject " + name)
            self.expect(self.service.call("POST", "/1.0/capture" + self.query), "capture")
            start = time.monotonic()
            self.expect(self.service.call("POST", f"/1.0/enroll{self.query}&user_id={name}"),
                        "enroll " + name)
            durations.append((time.monotonic() - start) * 1000)
            self.users += 1
        return durations

    def rounds(self, count):
        spans = {"capture": [], "identify": [], "verify": []}
        totals = {"capture": [], "identify": [], "verify": []}
        for i in range(count):
            person = f"p{(i * 7919) % self.users}"
            self.sim.command("subject " + person)
            for kind, route, extra in (("capture", "/1.0/capture", ""),
                                       ("identify", "/1.0/identifycapture", ""),
                                       ("verify", "/1.0/verifycapture", "&user_id=" + person)):
                span, total, answer = self.timed(route, extra)
                if kind == "identify" and [e["id"] for e in answer["identified"]] != [person]:
                    raise RuntimeError(f"identified {answer['identified']}, not {person}")
                if kind == "verify" and answer["matched"] is not True:
                    raise RuntimeError(f"{person} not verified")
                spans[kind].append(span)
                totals[kind].append(total)
        return spans, totals


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", help="build folder with bin/")
    parser.add_argument("--model", default="mono", choices=("mono", "bino"))
    parser.add_argument("--rounds", type=int, default=30)
    parser.add_argument("--capture-ms", type=int, default=20,
                        help="the simulator's capture length (default 20)")
    parser.add_argument("--capacity", type=int, default=1000,
                        help="the simulator's gallery capacity in templates (default 1000)")
    args = parser.parse_args()
    os.environ["OCU_BIN_DIR"] = os.path.join(os.path.abspath(args.build), "bin")

    camera = ("--model", args.model, "--capture-ms", str(args.capture_ms),
              "--gallery-capacity", str(args.capacity))
    with ocutest.Service(tls=False, camera=camera) as service:
        bench = Bench(service)
        bench.fill(1)
        counts = bench.gallery()
        per_user = counts["usedTemplates"]
        maximum = counts["maxTemplates"] // per_user
        print(f"{args.model} camera, capture-ms {args.capture_ms}, {per_user} template(s) per "
              f"enrollment, at most {maximum} users; {args.rounds} rounds per size")
        for users in sorted({1, min(100, maximum), maximum}):
            filling = time.monotonic()
            enrollments = bench.fill(users)
            if enrollments:
                print(f"filled to {users} users in {time.monotonic() - filling:.1f} s; POST "
                      f"/1.0/enroll {summary(enrollments)}")
            counts = bench.gallery()
            if counts["usedIds"] != users or counts["usedTemplates"] != users * per_user:
                raise RuntimeError(f"gallery {counts}, expected {users} users")
            spans, totals = bench.rounds(args.rounds)
            matching = statistics.median(spans["identify"]) - statistics.median(spans["capture"])
            print(f"{users:5d} users:")
            for kind in ("capture", "identify", "verify"):
                print(f"  {kind:8s} completion to answer {summary(spans[kind])}; whole request "
                      f"{summary(totals[kind])}")
            print(f"  matching (identify less capture, medians) {matching:7.2f} ms")


if __name__ == "__main__":
    main()
