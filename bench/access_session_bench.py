#!/usr/bin/env python3
"""Register + lock + unlock + unregister cycles per second against a running OcuService on
loopback with wrk (5 connections), beside the plain JSON answer of GET /1.0/nothing measured
in the same run.

    bench/access_session_bench.py [--bin-dir build/bin] [--seconds 10] [--rounds 3]

Prints both rates and the ratio of the session requests' rate to the plain answer's rate.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import ocutest  # noqa: E402


def wrk(url, seconds, script=None):
    args = ["wrk", "-t5", "-c5", f"-d{seconds}s", "--latency"]
    if script:
        args += ["-s", script]
    output = subprocess.run(args + [url], check=True, capture_output=True, text=True).stdout
    rate = float(re.search(r"Requests/sec:\s+([\d.]+)", output).group(1))
    return rate, output


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", default=os.path.join(HERE, "..", "build", "bin"))
    parser.add_argument("--seconds", type=int, default=10)
    parser.add_argument("--rounds", type=int, default=3)
    options = parser.parse_args()
    if not shutil.which("wrk"):
        sys.exit("wrk is not installed")
    os.environ["OCU_E2E_BIN_DIR"] = os.path.abspath(options.bin_dir)

    for round_number in range(1, options.rounds + 1):
        # A fresh service per round: a round that ends mid-cycle leaves a session holding
        # the lock, which would turn the next round's lock requests into refusals.
        with ocutest.Service(simulator=False, tls=False) as service:
            base = service.url("")
            plain, _ = wrk(base + "/1.0/nothing", options.seconds)
            session_rate, output = wrk(base + "/", options.seconds,
                                       os.path.join(HERE, "access_session_cycle.lua"))
            cycles, failures, contended, seconds = re.search(
                r"cycles (\d+) failures (\d+) contended (\d+) seconds ([\d.]+)", output).groups()
            cycle_rate = int(cycles) / float(seconds)
            print(f"round {round_number}: plain GET /1.0/nothing {plain:.0f} req/s; "
                  f"session requests {session_rate:.0f} req/s = {cycle_rate:.0f} cycles/s "
                  f"({contended} lock requests met another holder, {failures} failures); "
                  f"ratio {session_rate / plain:.1%}")


if __name__ == "__main__":
    main()
