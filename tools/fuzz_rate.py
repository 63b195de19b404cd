#!/usr/bin/env python3
"""Runs each libFuzzer target of the native tree for a given time and prints its runs and runs
a second, one line per target, against a floor (default 1,000 runs a second).

The targets, their seed folders and their binaries come from the tree's own ctest entries (the
fuzz tests that tolvane_add_fuzzer registers), so a new target is measured without being named
here. Each run starts from a scratch copy of its seeds in a temporary folder: nothing in the
build tree or the source tree is written.

  tools/fuzz_rate.py [SECONDS] [--tree build/native] [--jobs N] [--min-rate R] [NAME...]

SECONDS defaults to 20; --jobs runs that many targets at once (default 1: the machine is
shared, and two fuzzers on one core measure each other). NAME picks targets by part of their
name. The exit status is 1 when a target crashed or stayed under the floor.
"""
import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def fuzz_targets(tree):
    """(name, binary, seed folder or None) of every fuzz test ctest knows in `tree`."""
    out = subprocess.run(["ctest", "--test-dir", tree, "--show-only=json-v1", "-L", "fuzz"],
                         check=True, capture_output=True, text=True).stdout
    targets = []
    for test in json.loads(out).get("tests", []):
        # run-fuzzer.sh FUZZER WORKDIR SECONDS [SEEDS]
        command = test.get("command", [])
        if len(command) < 4 or not command[0].endswith("run-fuzzer.sh"):
            continue
        binary = command[1]
        seeds = command[4] if len(command) > 4 else None
        targets.append((os.path.basename(binary), binary, seeds))
    return targets


def run_one(name, binary, seeds, seconds):
    """Runs one target; returns (name, runs, runs a second, peak resident MB, failure text or
    '')."""
    work = tempfile.mkdtemp(prefix="fuzz_rate_" + name + "_")
    try:
        corpus = os.path.join(work, "corpus")
        os.makedirs(corpus)
        if seeds and os.path.isdir(seeds):
            for entry in os.listdir(seeds):
                path = os.path.join(seeds, entry)
                if os.path.isfile(path):
                    shutil.copy(path, corpus)
        command = [binary, "-max_total_time=%d" % seconds, "-timeout=10",
                   "-rss_limit_mb=2048", "-print_final_stats=1",
                   "-artifact_prefix=" + work + "/", corpus]
        done = subprocess.run(command, capture_output=True, text=True, errors="replace")
        log = done.stderr
        runs = re.search(r"stat::number_of_executed_units:\s*(\d+)", log)
        elapsed = re.search(r"Done \d+ runs in (\d+) second", log)
        peak = re.search(r"stat::peak_rss_mb:\s*(\d+)", log)
        runs = int(runs.group(1)) if runs else 0
        peak = int(peak.group(1)) if peak else 0
        # libFuzzer's own per-second figure is rounded to whole seconds of a run that may
        # have ended early; runs over the asked time is what the floor is about.
        seconds_run = max(int(elapsed.group(1)) if elapsed else seconds, 1)
        failure = ""
        if done.returncode != 0:
            # Keep what reproduces the failure: the log and the crashing input.
            kept = tempfile.mkdtemp(prefix="fuzz_rate_failed_" + name + "_")
            with open(os.path.join(kept, "log"), "w") as out:
                out.write(log)
            for entry in os.listdir(work):
                if entry.startswith(("crash-", "leak-", "timeout-", "oom-", "slow-unit-")):
                    shutil.copy(os.path.join(work, entry), kept)
            tail = [l for l in log.splitlines() if "ERROR" in l or "SUMMARY" in l][:2]
            failure = "exit %d: %s (log in %s)" % (done.returncode, " | ".join(tail), kept)
        return name, runs, runs / seconds_run, peak, failure
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("seconds", nargs="?", type=int, default=20)
    parser.add_argument("names", nargs="*")
    parser.add_argument("--tree", default=os.path.join(ROOT, "build", "native"))
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("--min-rate", type=float, default=1000.0)
    args = parser.parse_intermixed_args()

    targets = fuzz_targets(args.tree)
    if args.names:
        targets = [t for t in targets if any(n in t[0] for n in args.names)]
    if not targets:
        print("no fuzz targets in %s (is it the native tree, built?)" % args.tree)
        return 1
    print("%-22s %12s %12s %10s   (%d s each, %d at once)" %
          ("target", "runs", "runs/s", "peak MB", args.seconds, args.jobs))
    bad = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(args.jobs, 1)) as pool:
        jobs = [pool.submit(run_one, name, binary, seeds, args.seconds)
                for name, binary, seeds in targets]
        for job in jobs:
            name, runs, rate, peak, failure = job.result()
            verdict = failure or ("under %g" % args.min_rate if rate < args.min_rate else "ok")
            if verdict != "ok":
                bad += 1
            print("%-22s %12d %12.0f %10d   %s" % (name, runs, rate, peak, verdict), flush=True)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
