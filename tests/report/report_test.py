#!/usr/bin/env python3
"""The real program's Error.log, run with no backup.ini beside it, against a golden file.

Every run happens in a private mount namespace whose root is read-only and with an empty /opt:
with no settings file the run's dump name begins at the root of the drive, so the run cannot
leave a file there and always fails the same way. Only the test's own folders and /tmp stay
writable. win32 runs use a Wine prefix of their own (the shared one may hold a dump client
fixture) under Xvfb, where the error dialog is closed with Escape.

The golden file holds placeholders for what depends on the machine and the moment: path, size,
elapsed time, date and time (also in DOBACKUP's variables), CPU, memory, system version and
compiler version. Everything else is compared byte for byte. The call stack's line numbers are
the source's: the golden file names the file, and the line is the one marked there with a
comment "// tests/report: ", so moving code keeps the test right and a wrong line still fails it.
"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "backup"))
import system_test  # noqa: E402  the options every system test script takes

opts = None

DIALOG_TITLE = "Vantrell for Korvath"

# (pattern, placeholder names): each pattern must match exactly once; its groups are replaced.
RULES = [
    (r"^   Path and name: (.+) \(32 bits\)\r$", ["PATH"]),
    (r"^   Size: ([0-9, ]{9}|\*{9}) bytes\r$", ["SIZE"]),
    (r"^   Time from start: (\d+) hours (\d+) mins (\d+) secs \r$", ["HOURS", "MINS", "SECS"]),
    (r"^   Error occurred at: (\d\d/\d\d/\d\d), (\d\d:\d\d:\d\d)\r$", ["DATE", "TIME"]),
    (r"^   CPU type: (.*) (\d+) Mhz\r$", ["CPU", "MHZ"]),
    (r"^   Hardware memory: (-?\d+) megs\r$", ["MEGS"]),
    (r"^   Compiler version: (.+)\r$", ["COMPILER"]),
    (r"^   Windows version: (\d+)\.(\d+), Build (\d+) (.*)\r$",
     ["MAJOR", "MINOR", "BUILD", "SERVICE PACK"]),
    # DOBACKUP's date and time values: day, month, year, clock, its three pieces, base name and
    # timestamp.
    (r"^   DOBACKUP\r\n     Local   1:    U    \r\n"
     r"     Local   2:    N    (\d{1,2})\r\n"
     r"     Local   3:    N    (\d{1,2})\r\n"
     r"     Local   4:    N    (\d{4})\r\n"
     r"     Local   5:    C    \"(\d\d:\d\d:\d\d)\"\r\n"
     r"     Local   6:    C    \"(\d\d)\"\r\n"
     r"     Local   7:    C    \"(\d\d)\"\r\n"
     r"     Local   8:    C    \"(\d\d)\"\r\n"
     r"     Local   9:    C    \"resp_quolmer_(\d{4}_\d{1,2}_\d{1,2}_\d{6})\"\r\n"
     r"     Local  10:    C    \"(\d{4}-\d{1,2}-\d{1,2} \d\d:\d\d:\d\d)\"\r$",
     ["DAY", "MONTH", "YEAR", "CLOCK", "HH", "MM", "SS", "STAMP", "TIMESTAMP"]),
]


class Mismatch(Exception):
    pass


def normalise(data):
    """The report with its machine-dependent values replaced; the values and their spans."""
    text = data.decode("latin-1")
    spans, values = [], {}
    for pattern, names in RULES:
        found = list(re.finditer(pattern, text, re.M))
        if len(found) != 1:
            raise Mismatch(f"{len(found)} matches for {pattern!r}")
        for i, name in enumerate(names, 1):
            spans.append((found[0].start(i), found[0].end(i), name))
            values[name] = found[0].group(i)
    out, at = [], 0
    for start, end, name in sorted(spans):
        out.append(text[at:start] + f"<{name}>")
        at = end
    out.append(text[at:])
    return "".join(out).encode("latin-1"), values, spans


def marked_line(path):
    """The number of the one line of a source file that carries the report test's mark."""
    with open(os.path.join(opts.source, path), encoding="utf-8") as f:
        marked = [n for n, line in enumerate(f, 1) if "// tests/report: " in line]
    if len(marked) != 1:
        raise Mismatch(f"{path}: {len(marked)} lines marked for the report test")
    return marked[0]


def with_source_lines(golden):
    """The golden text with each <LINE path> replaced by the marked line of that file."""
    return re.sub(rb"<LINE ([^>]+)>", lambda m: str(marked_line(m.group(1).decode())).encode(),
                  golden)


def matches_golden(data, golden):
    try:
        return normalise(data)[0] == golden
    except Mismatch:
        return False


class Native:
    name = "quolmerBackup"

    def events(self, cwd, written):
        """No Application log natively: the dialog's lines on standard error say it."""
        return []

    def command(self, program):
        return [program]

    def env(self):
        return dict(os.environ)


class Win32:
    name = "quolmerBackup.exe"

    def __init__(self):
        self.prefix = os.path.join(opts.work, "wineprefix")

    def command(self, program):
        # The dialog is closed as soon as it is up; the prefix's server ends with the namespace.
        closer = (f"( while :; do w=$(xdotool search --name '^{DIALOG_TITLE}$' 2>/dev/null | head -n 1);"
                  ' [ -n "$w" ] && xdotool windowfocus --sync "$w" key Escape 2>/dev/null; sleep 0.3;'
                  " done ) & closer=$!; "
                  '"$0" "$@"; rc=$?; kill $closer; wineserver -w; exit $rc')
        return ["xvfb-run", "-a", "sh", "-c", closer, os.path.join(opts.source, "scripts", "wine-run"),
                program]

    def env(self):
        return {**os.environ, "QB_WINEPREFIX": self.prefix, "WINEPREFIX": self.prefix,
                "QB_WINEDEBUG": "-all,err+eventlog"}

    def events(self, cwd, written):
        """The Application log's event a run of the program in cwd wrote: the error and where its
        report went."""
        place = "Z:" + cwd.replace("/", "\\") + "\\Error.log"
        said = "is in " if written else "could not be written to "
        return [("error", f"Error BASE/1003  Variable does not exist: OINI; the report {said}{place}")]


def run(target, program, cwd, readonly=()):
    """Runs the program in the sandbox with cwd as its current folder; returns the exit code."""
    steps = ["mount --make-rprivate /", "mount -t tmpfs tmpfs /opt"]
    steps += [f"mount --bind {shlex.quote(d)} {shlex.quote(d)}" for d in (opts.work, "/tmp")]
    steps.append("mount -o remount,bind,ro /")
    for d in readonly:
        steps += [f"mount --bind {shlex.quote(d)} {shlex.quote(d)}",
                  f"mount -o remount,bind,ro {shlex.quote(d)}"]
    script = " && ".join(steps) + ' && cd "$0" && exec "$@"'
    done = subprocess.run(["unshare", "-m", "sh", "-c", script, cwd, *target.command(program)],
                          env=target.env(), capture_output=True, timeout=300)
    return done.returncode, done.stderr.decode(errors="replace")


def fresh(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


class MissingSettingsFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.target = Win32() if opts.target == "win32" else Native()
        cls.runs = fresh(os.path.join(opts.work, "runs"))
        cls.bin = fresh(os.path.join(cls.runs, "bin"))
        cls.program = os.path.join(cls.bin, cls.target.name)
        shutil.copy(opts.program, cls.program)
        cls.cwd = fresh(os.path.join(cls.runs, "cwd"))
        cls.code, cls.stderr = run(cls.target, cls.program, cls.cwd)
        log = os.path.join(cls.cwd, "Error.log")
        cls.report = open(log, "rb").read() if os.path.exists(log) else None
        with open(os.path.join(os.path.dirname(__file__), "missing_ini.golden"), "rb") as f:
            cls.golden = with_source_lines(f.read())

    def test_report_matches_the_golden_file(self):
        self.assertEqual(self.code, 1, self.stderr)
        self.assertIsNotNone(self.report, "no Error.log in the current folder")
        self.assertFalse(os.path.exists(os.path.join(self.bin, "Error.log")))
        normalised, values, _ = normalise(self.report)
        if normalised != self.golden:
            with open(os.path.join(self.runs, "Error.log.normalised"), "wb") as f:
                f.write(normalised)
            self.assertEqual(normalised.decode("latin-1").splitlines(True),
                             self.golden.decode("latin-1").splitlines(True))
        # The values the placeholders hide still describe this program.
        self.assertTrue(values["PATH"].endswith(self.target.name), values["PATH"])
        size = os.path.getsize(self.program)
        self.assertEqual(values["SIZE"], f"{size:>9,}" if size < 10_000_000 else "*" * 9)
        self.assertEqual(values["HOURS"], "0")
        self.assertEqual(system_test.events(self.stderr),
                         self.target.events(self.cwd, True))

    def test_comparison_fails_on_any_other_difference(self):
        self.assertIsNotNone(self.report)
        self.assertTrue(matches_golden(self.report, self.golden))
        _, _, spans = normalise(self.report)
        hidden = set()
        for start, end, _ in spans:
            hidden.update(range(start, end))
        data = self.report
        for i in range(len(data)):
            if i in hidden:
                continue
            other = b"X" if data[i:i + 1] != b"X" else b"Y"
            self.assertFalse(matches_golden(data[:i] + other + data[i + 1:], self.golden), i)
            self.assertFalse(matches_golden(data[:i] + data[i + 1:], self.golden), i)
        line = marked_line("job/dobackup.cpp")
        for changed in (data.replace(b"\r\n", b"\n"), data[:-1], data + b"\r\n", data + b"\x1a",
                        data.replace(b"   DBFNTX\r\n", b"   DBFNTX\r\n   DBFNTX\r\n"),
                        data.replace(f"DOBACKUP({line})".encode(), f"DOBACKUP({line + 1})".encode())):
            self.assertFalse(matches_golden(changed, self.golden))

    def test_a_program_path_longer_than_the_system_limit_is_cut_not_lost(self):
        deep = os.path.join(self.runs, *(c * 100 for c in "xyz"))
        os.makedirs(deep)
        program = os.path.join(deep, self.target.name)
        shutil.copy(opts.program, program)
        cwd = fresh(os.path.join(self.runs, "deep_cwd"))
        code, stderr = run(self.target, program, cwd)
        self.assertEqual(code, 1, stderr)
        with open(os.path.join(cwd, "Error.log"), "rb") as f:
            path = normalise(f.read())[1]["PATH"]
        reported = "Z:" + program.replace("/", "\\") if opts.target == "win32" else program
        self.assertGreater(len(reported), 260)
        self.assertEqual(path, reported[:248])

    def test_unwritable_current_folder_writes_nothing(self):
        cwd = fresh(os.path.join(self.runs, "readonly"))
        code, stderr = run(self.target, self.program, cwd, readonly=[cwd])
        self.assertEqual(code, 1, stderr)
        self.assertEqual(os.listdir(cwd), [])
        self.assertFalse(os.path.exists(os.path.join(self.bin, "Error.log")))
        self.assertEqual(system_test.events(stderr), self.target.events(cwd, False))


def main():
    global opts
    opts, rest = system_test.arguments("program", "source", "work").parse_known_args()
    opts.work = os.path.abspath(opts.work)
    if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
        print("needs a private mount namespace (root)")
        return 77
    result = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
