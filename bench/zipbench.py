#!/usr/bin/env python3
"""Times our archive builder against its peers on one generated SQL dump.

  bench/zipbench.py [SIZE] [RUNS]    SIZE as for gen_dump.py (default 1G); RUNS per tool (default 3)

Builds the driver (HB_ZIPFILE called exactly as the backup run calls it) in build/bench as an
optimised build without sanitizers, generates the dump into build/bench/data once per size, and
measures each tool with /usr/bin/time -v. A tool's seconds and peak RSS are those of its fastest
run; the dump is read once beforehand so every run finds it in the page cache.
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "bench")
DATA = os.path.join(BUILD, "data")


def build_driver():
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DQB_SANITIZE=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "zipfile_driver"], check=True,
                   stdout=subprocess.DEVNULL)
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
    """Seconds and peak RSS (KiB) of one run, and the size of what it wrote."""
    if os.path.exists(output):
        os.remove(output)
    run = subprocess.run(["/usr/bin/time", "-v"] + command, cwd=DATA, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{command[0]} failed: {run.stderr}")
    clock = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", run.stderr)
    hours, minutes, seconds = clock.groups()
    elapsed = int(hours or 0) * 3600 + int(minutes) * 60 + float(seconds)
    rss = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", run.stderr).group(1))
    return elapsed, rss, os.path.getsize(output)


def main():
    size = sys.argv[1] if len(sys.argv) > 1 else "1G"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    driver = build_driver()
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
    results = []
    for label, command, output in tools:
        best = min(measure(command, output) for _ in range(runs))
        results.append((label, *best))
        os.remove(os.path.join(DATA, output))

    dump_bytes = os.path.getsize(dump)
    ours = results[0]
    print(f"Dump: {dump_bytes} bytes ({size}), fastest of {runs} runs per tool\n")
    print("| tool | seconds | MB/s | archive bytes | peak RSS (MiB) | time vs ours | size vs ours |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for label, seconds, rss, out in results:
        print(f"| {label} | {seconds:.2f} | {dump_bytes / seconds / 1e6:.1f} | {out} | {rss / 1024:.1f} "
              f"| {seconds / ours[1]:.2f}x | {out / ours[3]:.4f}x |")
    by = {label.split()[0]: r for label, *r in results}
    print(f"\nours / zip -6 time: {ours[1] / by['zip'][0]:.3f} (target <= 0.95); "
          f"ours / pigz -p1 time: {ours[1] / by['pigz'][0]:.3f} (target <= 1.05); "
          f"ours / zip -6 size: {ours[3] / by['zip'][2]:.4f} (target within 1%); "
          f"our peak RSS {ours[2] / 1024:.1f} MiB (target < 8)")


if __name__ == "__main__":
    main()
