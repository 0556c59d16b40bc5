#!/usr/bin/env python3
"""Measures whole backup runs and tabulates them.

  measure.py run [--own] RESULTS LABEL -- COMMAND...   runs COMMAND once, appends to RESULTS
  measure.py table RESULTS                             prints the Markdown table of all runs

A run is timed on the wall clock. /usr/bin/time -v gives the peak resident set of the command's
whole process tree: the kernel reports the larger of the command's own peak and that of its
largest child, so for our program it may be the dump client's. With --own the command's own
peak is read apart: its VmHWM in /proc, a high-water mark, sampled every few milliseconds until
it exits; only what it reaches in its last few milliseconds could be missed.
"""
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

SAMPLE_SECONDS = 0.005


def child_of(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            kids = f.read().split()
        return int(kids[0]) if kids else None
    except OSError:
        return None


def high_water_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            m = re.search(r"^VmHWM:\s+(\d+) kB", f.read(), re.M)
        return int(m.group(1)) if m else None
    except OSError:
        return None


def run(results, label, command, sample_own):
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        start = time.monotonic()
        timer = subprocess.Popen(["/usr/bin/time", "-v", "-o", report.name] + command,
                                 stdout=subprocess.DEVNULL)
        own, pid = 0, None
        while timer.poll() is None:
            pid = pid or (child_of(timer.pid) if sample_own else None)
            if pid:
                own = max(own, high_water_kib(pid) or 0)
            time.sleep(SAMPLE_SECONDS)
        seconds = time.monotonic() - start
        text = report.read()
    if timer.returncode != 0:
        sys.exit(f"{label}: exit code {timer.returncode}\n{text}")
    tree = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1))
    cpu = sum(float(x) for x in re.findall(r"(?:User|System) time \(seconds\): ([\d.]+)", text))
    with open(results, "a") as f:
        f.write(json.dumps({"label": label, "seconds": seconds, "cpu": cpu, "tree_kib": tree,
                            "own_kib": own if sample_own else None}) + "\n")
    print(f"  {label}: {seconds:.2f} s, peak {mib(tree)} (tree), {mib(own) if sample_own else '-'} (own)")


def mib(kib):
    return "-" if kib is None else f"{kib / 1024:.1f} MiB"


def table(results):
    runs = {}
    for line in open(results):
        r = json.loads(line)
        runs.setdefault(r["label"], []).append(r)
    rows = []
    for label, rs in runs.items():
        rows.append((label, statistics.median(r["seconds"] for r in rs),
                     statistics.median(r["cpu"] for r in rs), max(r["tree_kib"] for r in rs),
                     None if rs[0]["own_kib"] is None else max(r["own_kib"] for r in rs), len(rs)))
    print("| run | wall s (median) | CPU s (median) | peak RSS, whole tree | peak RSS, the "
          "command's own process | runs |")
    print("|---|---|---|---|---|---|")
    for label, wall, cpu, tree, own, n in rows:
        print(f"| {label} | {wall:.2f} | {cpu:.2f} | {mib(tree)} | {mib(own)} | {n} |")
    if len(rows) >= 2:
        print(f"\nratio, {rows[0][0]} to {rows[1][0]}: {rows[0][1] / rows[1][1]:.3f} (wall), "
              f"{rows[0][2] / rows[1][2]:.3f} (CPU)")


def main():
    args = sys.argv[1:]
    own = args[1:2] == ["--own"]
    if own:
        del args[1]
    if len(args) >= 5 and args[0] == "run" and args[3] == "--":
        run(args[1], args[2], args[4:], own)
    elif len(args) == 2 and args[0] == "table":
        table(args[1])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
