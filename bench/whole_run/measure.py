#!/usr/bin/env python3
"""Measures whole backup runs and tabulates them.

  measure.py run [--own] RESULTS LABEL -- COMMAND...   runs COMMAND once, appends to RESULTS
  measure.py table RESULTS                             prints the Markdown table of all runs
  measure.py target RESULTS LIMIT LABEL OTHER...       LABEL's median wall time against the
                                                       longest median of the OTHER rows
  measure.py own-peak RESULTS LABEL MIB                LABEL's own highest peak against MIB
  measure.py floor RESULTS LABEL OTHER...              the least wall time LABEL's CPU time and
                                                       the server's allow on this machine's
                                                       processors, against the longest OTHER
  measure.py per-gib RESULTS LIMIT LABEL BYTES BASE BASEBYTES
                                                       LABEL's median wall time per GiB of its
                                                       BYTES of dump against BASE's per GiB

A run is timed on the wall clock. /usr/bin/time -v gives the peak resident set of the command's
whole process tree: the kernel reports the larger of the command's own peak and that of its
largest child, so for our program it may be the dump client's. With --own the command's own
peak is read apart: its VmHWM in /proc, a high-water mark, sampled every few milliseconds until
it exits; only what it reaches in its last few milliseconds could be missed. With
QB_BENCH_SERVER_PID set, the CPU time that process (the database server) spent meanwhile is
recorded too: the dump client's work is only part of a dump's.
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


def server_cpu():
    """The server's CPU seconds so far, or None without a server."""
    pid = os.environ.get("QB_BENCH_SERVER_PID")
    if not pid:
        return None
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run(results, label, command, sample_own):
    server_before = server_cpu()
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
    server = None if server_before is None else server_cpu() - server_before
    if timer.returncode != 0:
        sys.exit(f"{label}: exit code {timer.returncode}\n{text}")
    tree = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1))
    cpu = sum(float(x) for x in re.findall(r"(?:User|System) time \(seconds\): ([\d.]+)", text))
    with open(results, "a") as f:
        f.write(json.dumps({"label": label, "seconds": seconds, "cpu": cpu, "server_cpu": server,
                            "tree_kib": tree, "own_kib": own if sample_own else None}) + "\n")
    print(f"  {label}: {seconds:.2f} s, CPU {cpu:.2f} s"
          f"{'' if server is None else f' and the server {server:.2f} s'}, peak {mib(tree)} (tree), "
          f"{mib(own) if sample_own else '-'} (own)")


def mib(kib):
    return "-" if kib is None else f"{kib / 1024:.1f} MiB"


def runs_of(results):
    runs = {}
    for line in open(results):
        r = json.loads(line)
        runs.setdefault(r["label"], []).append(r)
    return runs


def wall(runs, label):
    return statistics.median(r["seconds"] for r in runs[label])


def verdict(met):
    return "met" if met else "**NOT MET**"


def median_server_cpu(rs):
    return statistics.median(r["server_cpu"] for r in rs) if rs[0].get("server_cpu") is not None \
        else None


def table(results):
    runs = runs_of(results)
    with_server = any(median_server_cpu(rs) is not None for rs in runs.values())
    print("| run | wall s (median) | CPU s (median) |" + (" server CPU s (median) |" if with_server
                                                         else "") +
          " peak RSS, whole tree | peak RSS, the command's own process | runs |")
    print("|---|---:|---:|" + ("---:|" if with_server else "") + "---:|---:|---:|")
    for label, rs in runs.items():
        own = None if rs[0]["own_kib"] is None else max(r["own_kib"] for r in rs)
        server = median_server_cpu(rs)
        cell = label.replace("|", "\\|")  # a pipe in a shell line would end the cell
        print(f"| {cell} | {statistics.median(r['seconds'] for r in rs):.2f} | "
              f"{statistics.median(r['cpu'] for r in rs):.2f} |" +
              (f" {'-' if server is None else f'{server:.2f}'} |" if with_server else "") +
              f" {mib(max(r['tree_kib'] for r in rs))} | {mib(own)} | {len(rs)} |")


def target(results, limit, label, others):
    runs = runs_of(results)
    slowest = max(others, key=lambda other: wall(runs, other))
    ratio = wall(runs, label) / wall(runs, slowest)
    against = slowest if len(others) == 1 else f"the longer of {' and '.join(others)} ({slowest})"
    print(f"{label} / {against}: {ratio:.3f} wall (target at most {limit}: "
          f"{verdict(ratio <= float(limit))})")


def own_peak(results, label, limit_mib):
    peak = max(r["own_kib"] for r in runs_of(results)[label]) / 1024
    print(f"{label}, peak RSS of its own process: {peak:.1f} MiB (target at most {limit_mib} MiB: "
          f"{verdict(peak <= float(limit_mib))})")


def floor(results, label, others):
    runs = runs_of(results)
    rs = runs[label]
    cpu, server = statistics.median(r["cpu"] for r in rs), median_server_cpu(rs) or 0
    processors = len(os.sched_getaffinity(0))
    least = (cpu + server) / processors
    slowest = max(others, key=lambda other: wall(runs, other))
    print(f"{label}: CPU {cpu:.2f} s and the server's {server:.2f} s over {processors} "
          f"processors allow no less than {least:.2f} s of wall time: {least / wall(runs, slowest):.3f}x"
          f" {slowest}")


def per_gib(results, limit, label, size, base, base_size):
    runs = runs_of(results)
    ours, theirs = (wall(runs, l) / (int(n) / 2**30) for l, n in ((label, size), (base, base_size)))
    print(f"{label}: {ours:.2f} s per GiB, {base}: {theirs:.2f} s per GiB: {ours / theirs:.3f}x "
          f"(target at most {limit}: {verdict(ours / theirs <= float(limit))})")


def main():
    args = sys.argv[1:]
    own = args[1:2] == ["--own"]
    if own:
        del args[1]
    if len(args) >= 5 and args[0] == "run" and args[3] == "--":
        run(args[1], args[2], args[4:], own)
    elif len(args) == 2 and args[0] == "table":
        table(args[1])
    elif len(args) >= 5 and args[0] == "target":
        target(args[1], args[2], args[3], args[4:])
    elif len(args) == 4 and args[0] == "own-peak":
        own_peak(args[1], args[2], args[3])
    elif len(args) >= 4 and args[0] == "floor":
        floor(args[1], args[2], args[3:])
    elif len(args) == 7 and args[0] == "per-gib":
        per_gib(*args[1:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
