#!/usr/bin/env python3
"""Times our archive builder against its peers on one generated SQL dump.

  bench/zipbench.py [SIZE] [RUNS]    SIZE as for gen_dump.py (default 1G); RUNS per row (default 3)

Builds the driver (HB_ZIPFILE called exactly as the backup run calls it) with the release preset
(build/release), generates the dump into build/bench/data once per size, and measures each row
with /usr/bin/time -v: wall-clock and CPU (user + system) seconds, each the median of the runs,
and the highest peak RSS of the runs. The dump is read once beforehand so every run finds it in
the page cache. Three tables: packing on every core against pigz with as many threads (and the
zip writers, Python's zipfile giving the size of one zlib stream at level 6); packing on one core
(taskset -c 0), where the driver sees one processor and deflates on its calling thread alone, as
on a one-core machine, against pigz -p1; and our driver with 1 to 16 workers, for the memory
each adds.
"""
import hashlib
import os
import re
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "release")
DATA = os.path.join(ROOT, "build", "bench", "data")
PYTHON_ZIP = ("import sys, zipfile\n"
              "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=6) as z:\n"
              "    z.write(sys.argv[2])\n")
WORKERS = (1, 2, 4, 8, 16)


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


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        while block := f.read(1 << 24):
            h.update(block)
    return h.hexdigest()


def measure(command, output):
    """Wall and CPU seconds, peak RSS (KiB) of one run, the size of what it wrote and its digest."""
    output = os.path.join(DATA, output)
    if os.path.exists(output):
        os.remove(output)
    run = subprocess.run(["/usr/bin/time", "-v"] + command, cwd=DATA, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{' '.join(command)} failed: {run.stderr}")

    def field(name):
        return re.search(re.escape(name) + r".*: (\S+)", run.stderr).group(1)
    clock = [float(part) for part in field("Elapsed (wall clock) time").split(":")]
    wall = sum(part * 60 ** i for i, part in enumerate(reversed(clock)))
    cpu = float(field("User time (seconds)")) + float(field("System time (seconds)"))
    size, written = os.path.getsize(output), digest(output)
    os.remove(output)
    return wall, cpu, int(field("Maximum resident set size (kbytes)")), size, written


def measured(command, output, runs):
    """Median wall and CPU seconds, the highest peak RSS (KiB), the output's size and digest."""
    results = [measure(command, output) for _ in range(runs)]
    return (statistics.median(r[0] for r in results), statistics.median(r[1] for r in results),
            max(r[2] for r in results), results[-1][3], results[-1][4])


def table(rows, dump_bytes, reference):
    wall0, size0 = rows[reference][0], rows[reference][3]
    print("| tool | wall s | CPU s | MB/s (wall) | archive bytes | peak RSS MiB | wall vs ours "
          "| size vs ours |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for label, (wall, cpu, rss, out, _) in rows.items():
        print(f"| {label} | {wall:.2f} | {cpu:.2f} | {dump_bytes / wall / 1e6:.1f} | {out} "
              f"| {rss / 1024:.1f} | {wall / wall0:.2f}x | {out / size0:.4f}x |")
    print()


def main():
    size = sys.argv[1] if len(sys.argv) > 1 else "1G"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    driver = build_driver()
    load = os.getloadavg()[0]
    cpus = os.cpu_count()
    dump = dump_for(size)
    name = os.path.basename(dump)
    dump_bytes = os.path.getsize(dump)
    with open(dump, "rb") as f:
        while f.read(1 << 24):
            pass
    print(f"Dump: {dump_bytes} bytes ({size}); medians of {runs} runs per row; {cpus} CPUs; "
          f"load average before: {load:.2f}\n")

    ours = f"quolmerBackup HB_ZIPFILE ({min(cpus, 16)} workers)"
    every = {
        ours: measured([driver, "ours.zip", name], "ours.zip", runs),
        f"pigz -p{cpus} -6 (gzip)": measured(["pigz", f"-p{cpus}", "-6", "-k", "-f", name],
                                             name + ".gz", runs),
        "zip -6 (Info-ZIP)": measured(["zip", "-6", "-q", "zip6.zip", name], "zip6.zip", runs),
        "Python zipfile, level 6": measured([sys.executable, "-c", PYTHON_ZIP, "py6.zip", name],
                                            "py6.zip", runs),
    }
    print(f"Packing on every core ({cpus} CPUs):\n")
    table(every, dump_bytes, ours)

    one_core = ["taskset", "-c", "0"]
    ours1 = "quolmerBackup HB_ZIPFILE (one processor: no worker)"
    single = {
        ours1: measured(one_core + [driver, "ours.zip", name], "ours.zip", runs),
        "pigz -p1 -6 (gzip)": measured(one_core + ["pigz", "-p1", "-6", "-k", "-f", name],
                                       name + ".gz", runs),
    }
    print("Packing on one core (taskset -c 0):\n")
    table(single, dump_bytes, ours1)

    print(f"Our driver by workers, on every core ({cpus} CPUs):\n")
    print("| workers | wall s | CPU s | peak RSS MiB | archive bytes |")
    print("|---:|---:|---:|---:|---:|")
    by_workers = {}
    for n in WORKERS:
        by_workers[n] = measured([driver, "--threads", str(n), "ours.zip", name], "ours.zip", runs)
        wall, cpu, rss, out, _ = by_workers[n]
        print(f"| {n} | {wall:.2f} | {cpu:.2f} | {rss / 1024:.1f} | {out} |")
    print()

    pigz, python = every[f"pigz -p{cpus} -6 (gzip)"], every["Python zipfile, level 6"]
    archives = {r[4] for r in by_workers.values()} | {every[ours][4], single[ours1][4]}
    print(f"ours / pigz -p{cpus}: wall {every[ours][0] / pigz[0]:.3f} (target <= 1.05); "
          f"one core, ours / pigz -p1: wall {single[ours1][0] / single['pigz -p1 -6 (gzip)'][0]:.3f} "
          f"(target <= 1.05); size ours / Python zipfile {every[ours][3] / python[3]:.5f} "
          f"(target within 0.1%); peak RSS with 2 workers {by_workers[2][2] / 1024:.1f} MiB "
          f"(target <= 8); the same archive whatever the workers: {'yes' if len(archives) == 1 else 'NO'}")


if __name__ == "__main__":
    main()
