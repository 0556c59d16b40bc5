#!/usr/bin/env python3
"""Times our archive builder against its peers on one generated SQL dump.

  bench/zipbench.py [SIZE] [RUNS]    SIZE as for gen_dump.py (default 1G); RUNS per tool (default 3)

Builds the driver (HB_ZIPFILE called exactly as the backup run calls it) with the release preset
(build/release), generates the dump into build/bench/data once per size, and
measures each tool with /usr/bin/time -v: wall-clock and CPU (user + system) seconds, each the
least over the runs, and the highest peak RSS of the runs. On a busy machine the CPU seconds are
the fairer comparison. The dump is read once beforehand so every run finds it in the page cache.
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "release")
DATA = os.path.join(ROOT, "build", "bench", "data")


def build_driver():
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release", "--target", "zipfile_driver"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    return os.path.join(BUILD, "tests", "archive", "zipfile_driver")


def dump_for(size):
    os.makedirs(DATA, exist_ok=True)
    path = os.path.join(DATA, f"dump_{size}.sql")
    if not os.path.exists(path):
        subprocess.run([sys.executable, os.path.join(ROOT, "bench", "gen_dump.py"), path + ".part",
                        size], check=True)
        os.rename(path + ".part", path)
    return path


def measure(command, output):
    """Wall and CPU seconds, peak RSS (KiB) of one run, and the size of what it wrote."""
    output = os.path.join(DATA, output)
    if os.path.exists(output):
        os.remove(output)
    run = subprocess.run(["/usr/bin/time", "-v"] + command, cwd=DATA, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{command[0]} failed: {run.stderr}")

    def field(name):
        return re.search(re.escape(name) + r".*: (\S+)", run.stderr).group(1)
    clock = [float(part) for part in field("Elapsed (wall clock) time").split(":")]
    wall = sum(part * 60 ** i for i, part in enumerate(reversed(clock)))
    cpu = float(field("User time (seconds)")) + float(field("System time (seconds)"))
    size = os.path.getsize(output)
    os.remove(output)
    return wall, cpu, int(field("Maximum resident set size (kbytes)")), size


def main():
    size = sys.argv[1] if len(sys.argv) > 1 else "1G"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    driver = build_driver()
    load = os.getloadavg()[0]
    dump = dump_for(size)
    name = os.path.basename(dump)
    with open(dump, "rb") as f:
        while f.read(1 << 24):
            pass
    python_zip = ("import sys, zipfile\n"
                  "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=6) as z:\n"
                  "    z.write(sys.argv[2])\n")
    tools = [
        ("quolmerBackup HB_ZIPFILE", [driver, os.path.join(DATA, "ours.zip"), dump], "ours.zip"),
        ("zip -6 (Info-ZIP)", ["zip", "-6", "-q", "zip6.zip", name], "zip6.zip"),
        ("7z a -tzip -mx=5", ["7z", "a", "-tzip", "-mx=5", "-bd", "-bso0", "7z5.zip", name], "7z5.zip"),
        ("Python zipfile, level 6", [sys.executable, "-c", python_zip, "py6.zip", name], "py6.zip"),
        ("pigz -p1 -6 (gzip)", ["pigz", "-p1", "-6", "-k", "-f", name], name + ".gz"),
    ]
    results = {}
    for label, command, output in tools:
        runs_of = [measure(command, output) for _ in range(runs)]
        results[label] = (min(r[0] for r in runs_of), min(r[1] for r in runs_of),
                          max(r[2] for r in runs_of), runs_of[-1][3])

    dump_bytes = os.path.getsize(dump)
    wall0, cpu0, rss0, size0 = results[tools[0][0]]
    print(f"Dump: {dump_bytes} bytes ({size}); {runs} runs per tool; load average before: "
          f"{load:.2f}\n")
    print("| tool | wall s | CPU s | MB/s (wall) | archive bytes | peak RSS MiB "
          "| wall vs ours | CPU vs ours | size vs ours |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for label, (wall, cpu, rss, out) in results.items():
        print(f"| {label} | {wall:.2f} | {cpu:.2f} | {dump_bytes / wall / 1e6:.1f} | {out} "
              f"| {rss / 1024:.1f} | {wall / wall0:.2f}x | {cpu / cpu0:.2f}x | {out / size0:.4f}x |")
    zip6, pigz = results[tools[1][0]], results[tools[4][0]]
    print(f"\nours / zip -6: wall {wall0 / zip6[0]:.3f}, CPU {cpu0 / zip6[1]:.3f} (target <= 0.95); "
          f"ours / pigz -p1: wall {wall0 / pigz[0]:.3f}, CPU {cpu0 / pigz[1]:.3f} (target <= 1.05); "
          f"size ours / zip -6 {size0 / zip6[3]:.4f} (target within 1%); "
          f"our peak RSS {rss0 / 1024:.1f} MiB (target < 8)")


if __name__ == "__main__":
    main()
