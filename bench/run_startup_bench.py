#!/usr/bin/python3
"""What the module adds to the host's start-up when nothing is due.

A configured workstation that neither updates at start nor on a schedule is
called the way the host calls at its own start (--at-start); the reference
is a refused record (process start, library load, one message). Both are run
through kthost, alternately, and the medians of their wall and processor
times are compared. Targets: under 20 ms of wall time and under 5 ms of
processor time added by the run.

    /usr/bin/python3 bench/run_startup_bench.py [--build DIR] [--count 20]
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tests", "e2e"))
from ktenv import PracticeTree  # noqa: E402


def timed_run(command, env):
    """(wall seconds, processor seconds) of one kthost process."""
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               stdin=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit("kthost failed: %s" % " ".join(command))
    return wall, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(TOP, "build"))
    parser.add_argument("--count", type=int, default=20)
    options = parser.parse_args()
    os.environ["KTHOST"] = os.path.join(options.build, "kthost")
    os.environ["KTMODULE"] = os.path.join(options.build, "libktupdatedll.so")

    tree = PracticeTree()
    try:
        # The first start answers the configuration and first-run questions
        # "no": the workstation is then configured, with nothing automatic.
        done, shown = tree.kthost(*tree.record_options(**{"--at-start": True}),
                                  script="buttons 1021 -> 24\nbuttons 1112 -> 24\n")
        if done.returncode != 0 or not any("1021" in line for line in shown):
            sys.exit("the workstation could not be configured:\n" + done.stdout + done.stderr)
        script = tree.write("quiet.txt", "")
        base = [os.environ["KTHOST"], "--module", os.environ["KTMODULE"], "--ui", "script:" + script]
        due = base + tree.record_options(**{"--at-start": True})
        refused = base + tree.record_options(**{"--at-start": True, "--practitioner": None})
        done, shown = tree.kthost(*tree.record_options(**{"--at-start": True}))
        if shown:
            sys.exit("a start with nothing due still shows something: %s" % shown)

        runs = {"nothing due": [], "refused record": []}
        for _ in range(options.count):
            runs["nothing due"].append(timed_run(due, tree.env))
            runs["refused record"].append(timed_run(refused, tree.env))
    finally:
        tree.close()

    medians = {name: (statistics.median(w for w, _ in r), statistics.median(c for _, c in r))
               for name, r in runs.items()}
    print("load average at start: %.2f" % os.getloadavg()[0])
    for name, (wall, cpu) in medians.items():
        print("%-15s wall %6.1f ms  processor %6.1f ms  (median of %d)" % (name, wall * 1e3, cpu * 1e3, options.count))
    wall = (medians["nothing due"][0] - medians["refused record"][0]) * 1e3
    cpu = (medians["nothing due"][1] - medians["refused record"][1]) * 1e3
    print("added by the run: wall %.1f ms (target under 20), processor %.1f ms (target under 5)" % (wall, cpu))
    return 0 if wall < 20 and cpu < 5 else 1


if __name__ == "__main__":
    sys.exit(main())
