#!/usr/bin/env python3
"""The real program making backups with a fixture dump client.

native: inside a private mount namespace, with a tmpfs over /opt holding the fixture as
/opt/lampp/bin/mysqldump, each run in a namespace of its own where only /tmp is writable. win32: the fixture as c:\\xampp\\mysql\\bin\\mysqldump.exe in the shared
Wine prefix, the program started as `wine quolmerBackup.exe ...` (through scripts/wine-run, which
picks the Wine this machine runs).
"""
import argparse
import contextlib
import ctypes
import datetime
import fcntl
import os
import re
import select
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import uuid
import zipfile

DUMP_FAILED = "No se ha generado el respaldo {} Mysql no conectado o no instalado"
ZIP_FAILED = "No se ha generado el zip {} verifique la carpeta destino"
NAME = re.compile(r"^resp_quolmer_(\d{4})_([1-9]\d?)_([1-9]\d?)_(\d\d)(\d\d)(\d\d)\.(sql|zip)$")
# Under Wine an event of the Application log is a line of the eventlog debug channel on standard
# error, its string as Wine's debug output quotes it (cut short after some 300 characters).
EVENT = re.compile(r'^[0-9a-f]+:(err|warn):eventlog:ReportEventW L"(.*)"(\.\.\.)?$', re.M)
# Longer than any run here takes; a run that hangs fails its test instead of stopping the suite.
RUN_TIMEOUT = 120

opts = None


class Native:
    program_name = "quolmerBackup"
    cmd_shell = False

    def __init__(self):
        os.makedirs("/opt/lampp/bin")
        shutil.copy(opts.client, "/opt/lampp/bin/mysqldump")
        os.chmod("/opt/lampp/bin/mysqldump", 0o755)

    def folder_value(self, path):
        return path

    def start(self, folder, args, env, stderr=subprocess.DEVNULL):
        # The root read-only but for the temporary folder: a run gone astray writes nothing else.
        script = 'mount --bind "$0" "$0" && mount -o remount,bind,ro / && exec "$@"'
        return subprocess.Popen(["unshare", "--mount", "sh", "-c", script, tempfile.gettempdir(),
                                 os.path.join(folder, self.program_name), *args], cwd=folder, env=env,
                                stdout=subprocess.DEVNULL, stderr=stderr, preexec_fn=umask_of_the_units)

    def client_output(self, target, env):
        subprocess.run(["/bin/sh", "-c", f"/opt/lampp/bin/mysqldump -uroot quolmer > '{target}'"],
                       env=env, check=False, capture_output=True)


class Win32:
    program_name = "quolmerBackup.exe"
    cmd_shell = True

    def __init__(self):
        self.wine = os.path.join(opts.source, "scripts", "wine-run")
        self.prefix = subprocess.run([self.wine, "--prefix"], check=True, capture_output=True,
                                     text=True).stdout.strip()
        # wine-run makes the shared prefix once; then the fixture goes where the program looks.
        subprocess.run([self.wine, "cmd.exe", "/c", "exit"], check=True, capture_output=True)
        bin_dir = os.path.join(self.prefix, "drive_c", "xampp", "mysql", "bin")
        os.makedirs(bin_dir, exist_ok=True)
        staged = os.path.join(bin_dir, f"mysqldump.{os.getpid()}.tmp")
        shutil.copy(opts.client, staged)
        os.replace(staged, os.path.join(bin_dir, "mysqldump.exe"))
        self.env = {"QB_WINEPREFIX": self.prefix, "QB_WINEDEBUG": "-all,err+eventlog,warn+eventlog"}

    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    def folder_value(self, path):
        path = os.path.abspath(path)
        if path.startswith(self.drive_c() + "/"):
            return "C:\\" + path[len(self.drive_c()) + 1:].replace("/", "\\")
        return "Z:" + path.replace("/", "\\")

    def start(self, folder, args, env, stderr=subprocess.DEVNULL):
        # As a person would start it: `wine quolmerBackup.exe 2` in its folder.
        return subprocess.Popen([self.wine, self.program_name, *args], cwd=folder, env={**env, **self.env},
                                stdout=subprocess.DEVNULL, stderr=stderr)

    def hold(self, folder, pattern, sharing, ms):
        """Another program that holds the first file of the folder matching the pattern once it can
        open it so; returns when it watches the folder (Wine may take seconds to start it), and
        says "held NAME" when it holds the file."""
        holder = subprocess.Popen([self.wine, opts.holder, self.folder_value(folder), pattern, sharing,
                                   str(ms)], env={**os.environ, **self.env}, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        if holder.stdout.readline() != "watching\n":
            raise AssertionError("the holder did not start")
        return holder

    def client_output(self, target, env):
        subprocess.run([self.wine, "cmd.exe", "/c",
                        f"c:\\xampp\\mysql\\bin\\mysqldump.exe -uroot quolmer > {self.folder_value(target)}"],
                       env={**env, **self.env}, check=False, capture_output=True)

    def hide(self, path):
        subprocess.run([self.wine, "cmd.exe", "/c", f"attrib +h {self.folder_value(path)}"],
                       env={**os.environ, **self.env}, check=True, capture_output=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def lastrun(ini):
    section = None
    for line in read(ini).decode("latin-1").splitlines():
        if line.startswith("["):
            section = line.strip()
        elif section == "[RESULT]" and line.startswith("lastrun="):
            return line[len("lastrun="):]
    return None


def events(stderr):
    """The events a run wrote to the Application log under Wine, in order: ("error" or "warning",
    the string; one Wine cut short ends with "...")."""
    def unquote(text):
        return re.sub(r"\\([0-9a-f]{4}|.)", lambda m: chr(int(m[1], 16)) if len(m[1]) == 4 else
                      {"n": "\n", "r": "\r", "t": "\t"}.get(m[1], m[1]), text)
    return [("error" if m[1] == "err" else "warning", unquote(m[2]) + (m[3] or ""))
            for m in EVENT.finditer(stderr)]


def umask_of_the_units():
    """The umask the shipped systemd units and cron lines run the program with."""
    os.umask(0o022)


def timestamp_of(name):
    m = NAME.match(name)
    return f"{m[1]}-{m[2]}-{m[3]} {m[4]}:{m[5]}:{m[6]}" if m else None


def base_name_at(seconds):
    """The base name of a run's files at that time (seconds since the epoch)."""
    t = datetime.datetime.fromtimestamp(seconds)
    return f"resp_quolmer_{t.year}_{t.month}_{t.day}_{t:%H%M%S}"


def finish(process):
    """The exit code of a started program; a program still running after RUN_TIMEOUT is a hang."""
    try:
        return process.wait(timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise AssertionError(f"the program still ran after {RUN_TIMEOUT} s")


def tagged_processes(tag):
    """(pid, program name in lower case) of the processes whose environment holds QB_DUMP_TAG=tag.
    Under Wine the command line of a Windows process begins with its Windows path."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = f.read().split(b"\0")
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                words = f.read().replace(b"\0", b" ").split()
        except OSError:
            continue
        if f"QB_DUMP_TAG={tag}".encode() in env and words:
            program = words[0].decode(errors="replace").replace("\\", "/")
            found.append((int(pid), program.rsplit("/", 1)[-1].lower()))
    return found


class Watcher:
    """Calls act(name) from a thread of its own for each name created in the folder, as soon as
    inotify tells."""
    IN_CREATE = 0x100

    def __init__(self, folder, act):
        libc = ctypes.CDLL(None, use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or libc.inotify_add_watch(self.fd, folder.encode(), self.IN_CREATE) < 0:
            raise OSError(ctypes.get_errno(), "inotify")
        self.act = act
        self.errors = []
        self.stop_r, self.stop_w = os.pipe()
        self.thread = threading.Thread(target=self.loop)

    def loop(self):
        while self.stop_r not in select.select([self.fd, self.stop_r], [], [])[0]:
            data, at = os.read(self.fd, 65536), 0
            while at < len(data):
                _, _, _, length = struct.unpack_from("iIII", data, at)
                name = data[at + 16:at + 16 + length].rstrip(b"\0").decode()
                at += 16 + length
                try:
                    self.act(name)
                except OSError as e:
                    self.errors.append(e)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        os.write(self.stop_w, b"x")
        self.thread.join()
        for fd in (self.fd, self.stop_r, self.stop_w):
            os.close(fd)


class BackupRun(unittest.TestCase):
    references = {}

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="qb_backup_")
        self.addCleanup(shutil.rmtree, self.tmp, True)

    def client_env(self, mode="canned", **extra):
        return {**os.environ, "QB_DUMP_MODE": mode, **extra}

    def reference(self, mode):
        """What the client writes through the shell's redirection in that mode."""
        if mode == "empty" or mode.startswith("fail:"):
            return b""
        if mode.startswith("leave:"):
            return self.reference("large")  # as the client wrote it, before anything changed it
        if mode not in self.references:
            target = os.path.join(tempfile.mkdtemp(prefix="qb_reference_"), "ref.sql")
            host.client_output(target, self.client_env(mode))
            self.references[mode] = read(target)
            shutil.rmtree(os.path.dirname(target))
        return self.references[mode]

    def install(self, ini, where=None, name="app"):
        """A folder holding a copy of the program and its backup.ini."""
        folder = os.path.join(where or self.tmp, name)
        os.makedirs(folder)
        shutil.copy(opts.program, os.path.join(folder, host.program_name))
        with open(os.path.join(folder, "backup.ini"), "w", newline="") as f:
            f.write(ini)
        return folder

    def ini_for(self, primary, secondary=None):
        text = f"[CONFIG]\r\nprincipal.data={host.folder_value(primary) if primary else ''}\r\n"
        if secondary is not None:
            text += f"secundario.data={host.folder_value(secondary) if secondary else ''}\r\n"
        return text

    def run_program(self, app, *args, mode="canned", **extra):
        """Exit code, start and end of one run; what it wrote to standard error in self.stderr."""
        started = datetime.datetime.now().replace(microsecond=0)
        with tempfile.TemporaryFile() as err:
            code = finish(host.start(app, list(args), self.client_env(mode, **extra), stderr=err))
            err.seek(0)
            self.stderr = err.read().decode(errors="replace")
        ended = datetime.datetime.now()
        return code, started, ended

    def assert_failed(self, app, code, status):
        """The run made no backup: exit code 2, the status recorded and, natively, said with the
        reason in one line on standard error."""
        self.assertEqual(code, 2)
        self.assertEqual(lastrun(os.path.join(app, "backup.ini")), status)
        if not host.cmd_shell:
            # After whatever the dump client said: the program's own line, the last.
            self.assertRegex(self.stderr, "(^|\n)" + re.escape(status) + ": [^\n]+\n$")

    def assert_intact_archives(self, dest):
        """Every file under an archive's name in the folder is a whole archive; natively a private
        one, as is every file the runs left."""
        for name in os.listdir(dest):
            if not host.cmd_shell:
                self.assertEqual(stat.S_IMODE(os.stat(os.path.join(dest, name)).st_mode), 0o600, name)
            if NAME.match(name) and name.endswith(".zip"):
                with zipfile.ZipFile(os.path.join(dest, name)) as z:
                    self.assertIsNone(z.testzip(), name)

    def expected_dump(self, mode, option_file=None):
        """What the client writes in that mode; handed an option file, a canned dump names it
        first among the client's arguments."""
        dump = self.reference(mode)
        if option_file is None:
            return dump
        first, rest = dump.split(b"\n", 1)
        return first.replace(b" of -uroot ", f" of --defaults-extra-file={option_file} -uroot "
                             .encode()) + b"\n" + rest

    def assert_backup(self, dest, name, mode, started, ended, option_file=None):
        """One archive named for a second of the run, holding the whole dump; no dump left."""
        when = datetime.datetime.strptime(timestamp_of(name), "%Y-%m-%d %H:%M:%S")
        self.assertTrue(started <= when <= ended, f"{name} outside {started}..{ended}")
        self.assertFalse(os.path.exists(os.path.join(dest, name[:-4] + ".sql")))
        with zipfile.ZipFile(os.path.join(dest, name)) as z:
            self.assertEqual(z.namelist(), [name[:-4] + ".sql"])
            self.assertIsNone(z.testzip())
            self.assertEqual(z.read(z.namelist()[0]), self.expected_dump(mode, option_file))
            self.assertEqual(z.infolist()[0].compress_type, zipfile.ZIP_DEFLATED)

    def test_success(self):
        for selector, mode in [("2", "canned"), ("principal", "large")]:
            with self.subTest(selector=selector, mode=mode):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest), root)
                code, started, ended = self.run_program(app, selector, mode=mode)
                self.assertEqual(code, 0)
                files = os.listdir(dest)
                self.assertEqual(len(files), 1, files)
                self.assert_backup(dest, files[0], mode, started, ended)
                self.assert_intact_archives(dest)
                self.assertEqual(lastrun(os.path.join(app, "backup.ini")), timestamp_of(files[0]))
                self.assertEqual(events(self.stderr), [])
                # The folder as read stands for the secondary destination too.
                self.assertIn(f"secundario.data={host.folder_value(dest)}", read(os.path.join(app, "backup.ini")).decode())

    def test_failed_dumps(self):
        # Exit code 0 and a file that is not empty are not enough: a complete dump ends with its
        # closing line.
        cases = [("1", "principal", "fail:3"), ("2", "secundario", "half:2"),
                 ("secundario", "secundario", "empty"), ("", "principal", "fail:1"),
                 ("1", "principal", "unclosed"), ("2", "secundario", "byte")]
        for selector, name, mode in cases:
            with self.subTest(mode=mode):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest, dest), root)
                code, _, _ = self.run_program(app, *([selector] if selector else []), mode=mode)
                self.assert_failed(app, code, DUMP_FAILED.format(name))
                # Nothing a user could take for a backup.
                self.assertEqual(os.listdir(dest), [])

    def test_a_process_the_client_left_running(self):
        # It cuts the dump, or adds to it, a moment after the client has ended, while the run packs
        # what it read. It is ended with the client; should it act first, the run finds the dump
        # changed. Never an archive that holds less or more than the client's whole dump.
        for mode in ["leave:cut", "leave:add"]:
            with self.subTest(mode=mode):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest), root)
                code, started, ended = self.run_program(app, mode=mode)
                if code == 0:
                    (archive,) = os.listdir(dest)
                    self.assert_backup(dest, archive, mode, started, ended)
                    continue
                self.assert_failed(app, code, DUMP_FAILED.format("principal"))
                self.assertEqual(os.listdir(dest), [])

    def test_client_killed_from_outside(self):
        # Under Wine a killed client's CMD ends with exit code 0, and a killed CMD leaves its
        # client running; natively the shell reports the signal.
        for victim in ["mysqldump"] + (["cmd.exe"] if host.cmd_shell else []):
            with self.subTest(victim=victim):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest), root)
                tag = uuid.uuid4().hex
                clients = lambda: [p for p, name in tagged_processes(tag) if name.startswith("mysqldump")]
                half = self.reference("half:0")
                run = host.start(app, [], self.client_env("hang", QB_DUMP_TAG=tag))
                try:
                    self.wait_for_dump(dest, len(half), run)
                    victims = [p for p, name in tagged_processes(tag) if name.startswith(victim)]
                    self.assertEqual(len(victims), 1, tagged_processes(tag))
                    os.kill(victims[0], signal.SIGKILL)
                    self.assertEqual(finish(run), 2)
                    self.assertEqual(lastrun(os.path.join(app, "backup.ini")), DUMP_FAILED.format("principal"))
                    self.assertEqual(os.listdir(dest), [])
                    # Nothing the dump started outlives the run's wait.
                    deadline = time.time() + 10
                    while clients() and time.time() < deadline:
                        time.sleep(0.1)
                    self.assertEqual(clients(), [])
                finally:
                    for pid in clients():
                        os.kill(pid, signal.SIGKILL)
                    if run.poll() is None:
                        run.kill()
                        run.wait()

    def wait_for_dump(self, dest, size, run):
        """The name of the dump file once it holds size bytes, while the run waits for its client."""
        deadline = time.time() + 60
        while time.time() < deadline and run.poll() is None:
            dumps = [f for f in os.listdir(dest) if f.endswith(".sql")]
            if dumps and os.path.getsize(os.path.join(dest, dumps[0])) >= size:
                return dumps[0]
            time.sleep(0.05)
        self.fail(f"no dump of {size} bytes while the client ran: {os.listdir(dest)}")

    def test_entries_at_the_coming_archive_names(self):
        # Whatever stands at an archive's name, or where it is made before it is named, holds that
        # name: the run moves on to the first free second, as for a plain file, and opens none of
        # them.
        dest, outside = os.path.join(self.tmp, "dest"), os.path.join(self.tmp, "outside")
        os.makedirs(dest)
        os.makedirs(outside)
        kept = os.path.join(outside, "kept.zip")
        with open(kept, "wb") as f:
            f.write(b"not this run's")
        gone = os.path.join(outside, "gone.zip")
        kinds = ["folder"] * 4 if host.cmd_shell else ["link", "dangling link", "fifo", "folder"]
        kinds.append("folder at the temporary name")
        app = self.install(self.ini_for(dest))
        now = int(time.time())
        decoys = [os.path.join(dest, base_name_at(now + i) + ".zip") for i in range(len(kinds))]
        decoys[-1] = os.path.join(dest, "." + base_name_at(now + len(kinds) - 1) + ".zip.tmp")
        for kind, path in zip(kinds, decoys):
            if kind.startswith("folder"):
                os.makedirs(path)
            elif kind == "fifo":
                os.mkfifo(path)
            else:
                os.symlink(kept if kind == "link" else gone, path)
        code, started, ended = self.run_program(app)
        self.assertEqual(code, 0)
        expected = base_name_at(now + len(kinds)) + ".zip"
        self.assertEqual(lastrun(os.path.join(app, "backup.ini")), timestamp_of(expected))
        self.assertEqual(sorted(os.listdir(dest)), sorted([os.path.basename(d) for d in decoys] + [expected]))
        self.assert_backup(dest, expected, "canned", started, ended)
        for kind, path in zip(kinds, decoys):
            if kind.startswith("folder"):
                self.assertEqual(os.listdir(path), [])
            elif kind == "fifo":
                self.assertTrue(stat.S_ISFIFO(os.lstat(path).st_mode))
            else:
                self.assertEqual(os.readlink(path), kept if kind == "link" else gone)
        self.assertEqual(os.listdir(outside), ["kept.zip"])
        self.assertEqual(read(kept), b"not this run's")

    def test_links_swapped_in_while_the_dump_runs(self):
        if host.cmd_shell:
            self.skipTest("natively only: CMD opens the dump file by its name")
        # A watcher on the destination folder puts a link at the dump's or the archive's name the
        # moment the dump file appears. Nothing outside the folder is written, and no success is
        # recorded for a dump the run cannot vouch for.
        for swapped, statuses in [(".sql", [DUMP_FAILED]), (".zip", [ZIP_FAILED, DUMP_FAILED])]:
            with self.subTest(swapped=swapped):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest, outside = os.path.join(root, "dest"), os.path.join(root, "outside")
                os.makedirs(dest)
                os.makedirs(outside)
                victim = os.path.join(outside, "victim")
                with open(victim, "wb") as f:
                    f.write(b"precious")
                target = victim if swapped == ".sql" else os.path.join(outside, "new.zip")
                app = self.install(self.ini_for(dest), root)
                swaps = []

                def swap(name):
                    if name.endswith(".sql"):
                        link = os.path.join(dest, ".swap")
                        os.symlink(target, link)
                        os.rename(link, os.path.join(dest, name[:-4] + swapped))
                        swaps.append(name)

                with Watcher(dest, swap) as watcher:
                    code, _, _ = self.run_program(app, QB_DUMP_DELAY_MS="500")
                self.assertEqual(watcher.errors, [])
                self.assertNotEqual(swaps, [])
                self.assertEqual(code, 2)
                self.assertIn(lastrun(os.path.join(app, "backup.ini")),
                              [s.format("principal") for s in statuses])
                self.assertEqual(os.listdir(outside), ["victim"])
                self.assertEqual(read(victim), b"precious")

    def test_brackets_in_folder_names_are_plain_characters(self):
        if host.cmd_shell:
            self.skipTest("Windows' own directory search")
        # As a pattern, br[1] would name br1, beside it.
        for app_name, dest_name in [("app", "br[1]"), ("app[1]", "dest")]:
            with self.subTest(app=app_name, dest=dest_name):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, dest_name)
                os.makedirs(dest)
                os.makedirs(os.path.join(root, "br1"))
                app = self.install(self.ini_for(dest), root, name=app_name)
                code, started, ended = self.run_program(app)
                self.assertEqual(code, 0)
                files = os.listdir(dest)
                self.assertEqual(len(files), 1, files)
                self.assert_backup(dest, files[0], "canned", started, ended)
                self.assertEqual(lastrun(os.path.join(app, "backup.ini")), timestamp_of(files[0]))
                self.assertEqual(os.listdir(os.path.join(root, "br1")), [])

    def test_missing_destination_folder(self):
        dest = os.path.join(self.tmp, "not there")
        app = self.install(self.ini_for(dest))
        code, _, _ = self.run_program(app, "1")
        self.assert_failed(app, code, DUMP_FAILED.format("principal"))
        self.assertFalse(os.path.exists(dest))

    def test_folder_names_that_need_quoting(self):
        names = ["Mis Respaldos", "a&b (x);y=1,z^"]
        if not host.cmd_shell:
            names.append("it's \"quoted\" $(touch PWNED) `touch PWNED` & x %OS% !x!")
        for name in names:
            with self.subTest(name=name):
                dest = os.path.join(self.tmp, name)
                os.makedirs(dest)
                app = self.install(self.ini_for(dest), tempfile.mkdtemp(dir=self.tmp))
                code, started, ended = self.run_program(app)
                self.assertEqual(code, 0)
                files = os.listdir(dest)
                self.assertEqual(len(files), 1, files)
                self.assert_backup(dest, files[0], "canned", started, ended)
                self.assertFalse(os.path.exists(os.path.join(app, "PWNED")))

    def test_folder_value_with_a_double_quote_is_refused(self):
        if not host.cmd_shell:
            self.skipTest("/bin/sh never sees the folder value")
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        marker = os.path.join(self.tmp, "hacked.txt")
        folder = f'{host.folder_value(dest)}" & echo hacked > "{host.folder_value(marker)}'
        app = self.install(f"[CONFIG]\r\nprincipal.data={folder}\r\n")
        code, _, _ = self.run_program(app)
        self.assert_failed(app, code, DUMP_FAILED.format("principal"))
        self.assertFalse(os.path.exists(marker))
        self.assertEqual(os.listdir(dest), [])

    def test_folder_values_cmd_would_expand_are_refused(self):
        if not host.cmd_shell:
            self.skipTest("/bin/sh never sees the folder value")
        # CMD expands %OS% inside quotes too: the dump would go into Windows_NT. !OS! is expanded
        # where delayed expansion is on for the machine.
        for name in ["%OS%", "!OS!"]:
            with self.subTest(name=name):
                root = tempfile.mkdtemp(dir=self.tmp)
                for folder in (name, "Windows_NT"):
                    os.makedirs(os.path.join(root, folder))
                app = self.install(self.ini_for(os.path.join(root, name)), root)
                code, _, _ = self.run_program(app)
                self.assert_failed(app, code, DUMP_FAILED.format("principal"))
                for folder in (name, "Windows_NT"):
                    self.assertEqual(os.listdir(os.path.join(root, folder)), [], folder)

    def test_option_file_beside_the_settings_comes_first(self):
        # mysqldump.cnf beside backup.ini reaches the client as its first argument, whatever the
        # program's folder is called; without it the command line is as ever.
        names = ["app", "Mis Programas (x86) a&b;c=d^e"]
        if not host.cmd_shell:
            names.append("it's \"q\" $(touch PWNED) `touch PWNED` & %OS% !x! \\")
        for name, option_file in [("app", False)] + [(n, True) for n in names]:
            with self.subTest(name=name, option_file=option_file):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest), root, name=name)
                if option_file:
                    with open(os.path.join(app, "mysqldump.cnf"), "w") as f:
                        f.write("[mysqldump]\nroutines\n")
                code, started, ended = self.run_program(app)
                self.assertEqual(code, 0, self.stderr)
                (archive,) = os.listdir(dest)
                option = host.folder_value(app) + ("\\" if host.cmd_shell else "/") + "mysqldump.cnf"
                self.assert_backup(dest, archive, "canned", started, ended,
                                   option if option_file else None)
                self.assertFalse(os.path.exists(os.path.join(app, "PWNED")))
        if host.cmd_shell:
            # CMD expands %OS% within quotes too: the client would be handed another file.
            root = tempfile.mkdtemp(dir=self.tmp)
            dest = os.path.join(root, "dest")
            os.makedirs(dest)
            app = self.install(self.ini_for(dest), root, name="%OS%")
            with open(os.path.join(app, "mysqldump.cnf"), "w") as f:
                f.write("[mysqldump]\nroutines\n")
            code, _, _ = self.run_program(app)
            self.assert_failed(app, code, DUMP_FAILED.format("principal"))
            self.assertIn("has a name the dump command cannot carry", events(self.stderr)[0][1])
            self.assertEqual(os.listdir(dest), [])

    def test_reasons_in_the_event_log(self):
        if not host.cmd_shell:
            self.skipTest("Windows' Application log; natively standard error is the log")
        # Event Viewer formats each event with the exe's message table: its string as it stands.
        shown = subprocess.run([host.wine, opts.reader, host.folder_value(opts.program)],
                               env={**os.environ, **host.env}, capture_output=True, text=True)
        self.assertEqual(shown.returncode, 0, shown.stdout + shown.stderr)
        for event in (1, 2):
            self.assertIn(f"event {event}: a line as the program wrote it|", shown.stdout)
        # A failed run's reason, as an error event; nothing after a success.
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        app = self.install(self.ini_for(dest))
        code, _, _ = self.run_program(app, mode="fail:3")
        self.assert_failed(app, code, DUMP_FAILED.format("principal"))
        self.assertEqual(events(self.stderr), [
            ("error", DUMP_FAILED.format("principal") + ": the dump client ended with exit code 3")])
        code, _, _ = self.run_program(app)
        self.assertEqual((code, events(self.stderr)), (0, []))

    def test_help_and_version_start_no_run(self):
        # Natively they answer and start nothing, not even where a run would delete an old
        # archive; the Windows program takes them as any other selector: the primary folder.
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        old = os.path.join(dest, "resp_quolmer_2001_1_1_000000.zip")
        with zipfile.ZipFile(old, "w") as z:
            z.writestr("resp_quolmer_2001_1_1_000000.sql", "-- an old dump\n")
        kept = read(old)
        ini = self.ini_for(dest) + "principal.keep=1\r\n[RESULT]\r\nlastrun=2016-4-16 01:36:42\r\n"
        app = self.install(ini)
        if host.cmd_shell:
            code, started, ended = self.run_program(app, "--help")
            self.assertEqual(code, 0)
            (archive,) = os.listdir(dest)
            self.assert_backup(dest, archive, "canned", started, ended)
            return
        for args, said in [(["--help"], r"^Usage: quolmerBackup \[1 \| principal \| 2 \| secundario\]\n"),
                           (["--version"], r"^quolmerBackup \d+\.\d+\.\d+\S*\n$"),
                           (["2", "//INFO", "--help", "--version"], r"^Usage: ")]:
            with self.subTest(args=args):
                run = subprocess.run([os.path.join(app, host.program_name), *args], cwd=app,
                                     env=self.client_env(), capture_output=True, text=True)
                self.assertEqual((run.returncode, run.stderr), (0, ""))
                self.assertRegex(run.stdout, said)
                self.assertEqual(os.listdir(dest), [os.path.basename(old)])
                self.assertEqual(read(old), kept)
                self.assertEqual(read(os.path.join(app, "backup.ini")), ini.encode())
                self.assertEqual(sorted(os.listdir(app)), sorted([host.program_name, "backup.ini"]))
        # Which client a run here would start, and whether it would hand it the option file.
        self.assertIn("\nDump client: /opt/lampp/bin/mysqldump\n", run.stdout)
        self.assertIn("passed to it first where it stands: not there\n", run.stdout)

    def test_ten_runs_started_together_into_one_folder(self):
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        app = self.install(self.ini_for(dest))
        # All start just after a second begins, and their dumps overlap: each takes the next free
        # second's name.
        time.sleep(1.05 - time.time() % 1)
        results = {}
        runs = [str(1 + i % 2) for i in range(10)]
        threads = [threading.Thread(target=lambda i=i, s=s: results.__setitem__(
            i, self.run_program(app, s, QB_DUMP_DELAY_MS="1500"))) for i, s in enumerate(runs)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual([results[i][0] for i in range(10)], [0] * 10,
                         (os.listdir(dest), read(os.path.join(app, "backup.ini"))))
        files = sorted(os.listdir(dest))
        self.assertEqual(len(files), 10, (files, lastrun(os.path.join(app, "backup.ini"))))
        for name in files:
            self.assert_backup(dest, name, "canned", min(r[1] for r in results.values()),
                               max(r[2] for r in results.values()))
        self.assertIn(lastrun(os.path.join(app, "backup.ini")), [timestamp_of(f) for f in files])

    def run_on_drive_c(self, *args, secondary=None, hidden_ini=False, primary=None):
        """Runs the program installed on drive C, where names that begin with a backslash land at
        the drive's root (natively the root of the file system, read-only for the run). Returns
        the folders, what appeared at the root (removed after the test), and the run's exit code
        and times."""
        top = host.drive_c() if host.cmd_shell else "/"
        where = tempfile.mkdtemp(prefix="qb_backup_", dir=host.drive_c() if host.cmd_shell else self.tmp)
        self.addCleanup(shutil.rmtree, where, True)
        dest = os.path.join(where, "dest")
        os.makedirs(dest)
        app = self.install(self.ini_for(dest if primary is None else primary, secondary), where)
        if hidden_ini:
            host.hide(os.path.join(app, "backup.ini"))
        before = set(os.listdir(top))
        run = self.run_program(app, *args)
        made = sorted(set(os.listdir(top)) - before)
        for name in made:
            self.addCleanup(os.remove, os.path.join(top, name))
        return app, dest, made, run

    def test_no_folder_writes_nothing_at_the_root(self):
        # An empty secondary folder, and an empty primary one.
        for args, primary, secondary, name in [("2", None, "", "secundario"), ("1", "", None, "principal")]:
            with self.subTest(args=args):
                app, dest, made, (code, _, _) = self.run_on_drive_c(args, primary=primary, secondary=secondary)
                self.assert_failed(app, code, DUMP_FAILED.format(name))
                self.assertEqual(made, [])
                self.assertEqual(os.listdir(dest), [])
                if not host.cmd_shell:  # not a dump refused by the read-only root
                    self.assertIn(f": no folder in {name}.data of ", self.stderr)

    def test_hidden_settings_file_counts_as_missing(self):
        if not host.cmd_shell:
            self.skipTest("the hidden attribute is Windows'")
        app, dest, made, (code, _, _) = self.run_on_drive_c("1", hidden_ini=True)
        self.assertEqual(code, 1)
        self.assertEqual(read(os.path.join(app, "backup.ini")).decode(), self.ini_for(dest))
        self.assertIn(b"Variable does not exist: OINI", read(os.path.join(app, "Error.log")))
        # Without a folder nothing was started: nothing at the drive's root.
        self.assertEqual(made, [])

    def test_killed_at_any_moment(self):
        # Killed while dumping, packing, checking, naming or recording: whatever stands under an
        # archive's name is a whole archive, and the next run clears away the temporary ones.
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        app = self.install(self.ini_for(dest))
        mode, kills = ("large", 6) if host.cmd_shell else ("large:100", 12)
        code, _, _ = self.run_program(app, mode=mode)
        self.assertEqual(code, 0)
        whole = time.time()
        code, _, _ = self.run_program(app, mode=mode)
        whole = time.time() - whole
        tags = []
        for i in range(1, kills + 1):
            tags.append(uuid.uuid4().hex)
            run = host.start(app, [], self.client_env(mode, QB_DUMP_TAG=tags[-1]))
            time.sleep(whole * i / (kills + 1))
            run.kill()
            run.wait()
            for pid, _ in tagged_processes(tags[-1]):
                os.kill(pid, signal.SIGKILL)
            self.assert_intact_archives(dest)
        # A client Wine was still starting for a killed run would hold its dump, which keeps the
        # next run off that run's temporary archive: none may be left.
        quiet = 0
        while quiet < 3:
            live = [pid for tag in tags for pid, _ in tagged_processes(tag)]
            for pid in live:
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, signal.SIGKILL)
            quiet = 0 if live else quiet + 1
            time.sleep(0.2)
        leftovers = [n for n in os.listdir(dest) if n.endswith(".tmp")]
        code, started, ended = self.run_program(app)
        self.assertEqual(code, 0)
        self.assertEqual([n for n in os.listdir(dest) if n.endswith(".tmp")], [], leftovers)
        self.assert_intact_archives(dest)

    def test_held_settings_file_and_dump(self):
        # Another program holding backup.ini, the dump or the new archive for a moment only delays
        # the run; one that holds it for good makes the run say so, and never lets it take the
        # file for empty.
        if not host.cmd_shell:
            self.skipTest("Windows' sharing modes; natively see the unreadable settings file")
        before = "2016-4-16 01:36:42"
        cases = [("backup.ini", "none", 1500, 0), ("backup.ini", "none", 12000, 2),
                 ("backup.ini", "read", 12000, 2), ("*.sql", "read", 1500, 0),
                 ("*.sql", "read", 12000, 0), (".*.zip.tmp", "read", 2500, 0)]
        for held, sharing, ms, expected in cases:
            with self.subTest(held=held, sharing=sharing, ms=ms):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest) + f"[RESULT]\r\nlastrun={before}\r\n", root)
                holder = host.hold(app if held == "backup.ini" else dest, held, sharing, ms)
                if held == "backup.ini":
                    self.assertTrue(holder.stdout.readline().startswith("held"))
                code, _, _ = self.run_program(app, mode="large")
                self.assertEqual(finish(holder), 0)  # it held the file
                holder.stdout.close()
                self.assertEqual(code, expected)
                archives = [n for n in os.listdir(dest) if n.endswith(".zip")]
                self.assertEqual(len(archives), 0 if (sharing, ms) == ("none", 12000) else 1)
                status = lastrun(os.path.join(app, "backup.ini"))
                self.assertEqual(status, timestamp_of(archives[0]) if code == 0 else before)
                dumps = [n for n in os.listdir(dest) if n.endswith(".sql")]
                self.assertEqual(len(dumps), 1 if (held, ms) == ("*.sql", 12000) else 0)
                if dumps:
                    # It stays in plain text beside the archive: the administrator is warned.
                    self.assertEqual([(k, t[:len(status) + 11]) for k, t in events(self.stderr)],
                                     [("warning", f"{status}: the dump ")], self.stderr)
                    self.assertIn("could not be deleted", events(self.stderr)[0][1])
                    # Deleted by the next run once it has checked the archive against it.
                    self.assertEqual(self.run_program(app)[0], 0)
                    self.assertEqual([n for n in os.listdir(dest) if n.endswith(".sql")], [])

    def folder_for_nobody(self, mode=0o777):
        """A destination folder of that mode, in a scratch folder the account nobody may enter."""
        dest = tempfile.mkdtemp(prefix="dest", dir=self.tmp)
        os.chmod(dest, mode)
        os.chmod(self.tmp, 0o755)
        return dest

    def run_as_nobody(self, app, mode):
        """The program run as nobody, without root's override of file modes, for destination 1."""
        return subprocess.run(["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                               os.path.join(app, host.program_name), "1"], cwd=app,
                              env=self.client_env(mode), capture_output=True, text=True)

    def test_unreadable_settings_file(self):
        if host.cmd_shell:
            self.skipTest("natively; on Windows see the held settings file")
        # A backup.ini nobody may read: waited for, then given up without a dump.
        dest = self.folder_for_nobody()
        app = self.install(self.ini_for(dest))
        os.chmod(os.path.join(app, "backup.ini"), 0o000)
        run = self.run_as_nobody(app, "canned")
        self.assertEqual(run.returncode, 2)
        self.assertRegex(run.stderr, "^No backup made and nothing recorded: cannot read .*backup.ini: "
                                     "Permission denied\n$")
        self.assertEqual(os.listdir(dest), [])
        self.assertEqual(read(os.path.join(app, "backup.ini")), self.ini_for(dest).encode())

    def test_destinations_nobody_may_only_read_or_only_write(self):
        if host.cmd_shell:
            self.skipTest("Wine runs only as the owner of its prefix")
        # One it may not write: the system's reason. One it may not list: the archive's name still
        # goes to disk, and the run succeeds.
        for mode, code, said in [(0o555, 2, r"cannot create .*\.sql: Permission denied\n$"),
                                 (0o333, 0, r"^$")]:
            with self.subTest(mode=oct(mode)):
                dest = self.folder_for_nobody(mode)
                app = self.install(self.ini_for(dest), self.folder_for_nobody(0o755))
                os.chmod(os.path.join(app, "backup.ini"), 0o666)
                run = self.run_as_nobody(app, "canned")
                self.assertEqual(run.returncode, code, run.stderr)
                self.assertRegex(run.stderr, said)
                archives = os.listdir(dest)
                self.assertEqual(len(archives), 1 if code == 0 else 0, archives)
                self.assert_intact_archives(dest)

    def test_destination_with_room_for_the_dump_alone(self):
        if host.cmd_shell:
            self.skipTest("natively: a file system of one page")
        # The client writes the dump in one go into the only page; the archive's first write to
        # disk, after the client ended, is what fails, and the reason is the system's.
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4k", "qb-full", dest], check=True)
        self.addCleanup(subprocess.run, ["umount", dest])
        app = self.install(self.ini_for(dest))
        # The mount lives in this namespace only, so the run is not confined to another.
        run = subprocess.run([os.path.join(app, host.program_name), "1"], cwd=app,
                             env=self.client_env(), capture_output=True, text=True)
        self.assertEqual(run.returncode, 2)
        status = ZIP_FAILED.format("principal")
        self.assertEqual(lastrun(os.path.join(app, "backup.ini")), status)
        (dump,) = os.listdir(dest)  # kept, as after any archive that failed
        self.assertEqual(run.stderr, f"{status}: cannot write the archive {dest}/.{dump[:-4]}.zip.tmp: "
                                     "No space left on device\n")

    def test_keeping_the_newest_archives(self):
        # Only archives this account's runs made count and go: not those a clock that ran ahead
        # dated after the run (named on standard error), nor empty files or another account's
        # archives planted under archives' names in a shared folder. Where both destinations
        # share the folder the larger keep applies to either run; a keep that is no whole number
        # keeps everything, and says so.
        earlier = [f"resp_quolmer_2016_4_{day}_013642.zip" for day in range(8, 0, -1)]  # newest first
        later = [f"resp_quolmer_2099_12_{day}_235959.zip" for day in range(1, 4)]
        foreign = not host.cmd_shell  # Wine runs only as the owner of its prefix
        rows = [
            dict(row="dated after the run", selector="1", keys="principal.keep=3\r\n",
                 ours=earlier[:3] + later, kept=earlier[:2] + later, said=", ".join(later)),
            dict(row="planted", selector="1", keys="principal.keep=1\r\n", ours=earlier[:1],
                 planted=later, nobodys=earlier[1:3] if foreign else [], kept=[]),
            dict(row="both destinations in one folder", selector="2",
                 keys="principal.keep=7\r\nsecundario.keep=1\r\n", ours=earlier, kept=earlier[:6]),
            dict(row="not a whole number", selector="1", keys="principal.keep=3 # a week\r\n",
                 ours=earlier[:4], kept=earlier[:4],
                 said="principal.keep=3 # a week is not a whole number of at least 1: no archive is deleted"),
        ]
        for r in rows:
            with self.subTest(row=r["row"]):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                os.chmod(dest, 0o1777)  # a shared folder: each may delete only its own files
                for name in r["ours"] + r.get("nobodys", []):
                    with zipfile.ZipFile(os.path.join(dest, name), "w", zipfile.ZIP_DEFLATED) as z:
                        z.writestr(name[:-4] + ".sql", "-- an earlier backup\n")
                for name in r.get("planted", []):
                    open(os.path.join(dest, name), "wb").close()
                for name in r.get("nobodys", []) + (r.get("planted", []) if foreign else []):
                    os.chown(os.path.join(dest, name), 65534, 65534)
                before = set(os.listdir(dest))
                app = self.install(self.ini_for(dest) + r["keys"], root)
                code, _, _ = self.run_program(app, r["selector"])
                self.assertEqual(code, 0, self.stderr)
                (own,) = set(os.listdir(dest)) - before
                self.assertEqual(sorted(os.listdir(dest)),
                                 sorted(r["kept"] + r.get("planted", []) + r.get("nobodys", []) + [own]))
                if not host.cmd_shell:
                    self.assertEqual(self.stderr.count("\n"), 1 if "said" in r else 0, self.stderr)
                    self.assertIn(r.get("said", ""), self.stderr)

    def test_destinations_without_unix_modes(self):
        # USB disks and the like, each a loop file through FUSE: FAT refuses modes, exFAT and NTFS
        # ignore them, none renames without replacing, FAT and exFAT cannot link. The backup is
        # made, and the run says when the archive is open to every account, as the mount has it.
        # FAT through FUSE (fusefat) also loses writes that go back into a file it is still
        # writing, the archive's local header among them: there the check finds the archive
        # broken, and the complete dump stays.
        if not os.path.exists("/dev/fuse"):
            self.skipTest("no /dev/fuse on this machine")
        rows = [("exFAT", ["mkfs.exfat"], ["mount.exfat-fuse"], 0o777),
                ("FAT", ["mkfs.vfat"], ["fusefat", "-o", "rw+"], 0o700),
                ("NTFS", ["mkntfs", "-F", "-q", "-f"], ["ntfs-3g"], 0o777)]
        for name, mkfs, mount, shown in rows:
            with self.subTest(file_system=name):
                image, disk = os.path.join(self.tmp, name + ".img"), os.path.join(self.tmp, name)
                os.makedirs(disk)
                subprocess.run(["truncate", "-s", "64M", image], check=True)
                subprocess.run(mkfs + [image], check=True, capture_output=True)
                loop = subprocess.run(["losetup", "-f", "--show", image], capture_output=True, text=True)
                if loop.returncode != 0:
                    self.skipTest("no loop device on this machine")
                self.addCleanup(subprocess.run, ["losetup", "-d", loop.stdout.strip()])
                subprocess.run(mount + [loop.stdout.strip(), disk], check=True, capture_output=True)
                self.addCleanup(subprocess.run, ["umount", disk])
                dest = os.path.join(disk, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest), tempfile.mkdtemp(dir=self.tmp))
                if host.cmd_shell:
                    code, started, ended = self.run_program(app)
                else:
                    # The mount lives in this namespace only, so the run is not confined to another.
                    started = datetime.datetime.now().replace(microsecond=0)
                    run = subprocess.run([os.path.join(app, host.program_name), "1"], cwd=app,
                                         env=self.client_env(), capture_output=True, text=True,
                                         preexec_fn=umask_of_the_units)
                    code, ended, self.stderr = run.returncode, datetime.datetime.now(), run.stderr
                (made,) = os.listdir(dest)
                path = os.path.join(dest, made)
                if name == "FAT" and code != 0:
                    self.assertEqual(code, 2)
                    self.assertEqual(lastrun(os.path.join(app, "backup.ini")), ZIP_FAILED.format("principal"))
                    self.assertEqual(read(path), self.reference("canned"))
                    continue
                self.assertEqual(code, 0, self.stderr)
                self.assert_backup(dest, made, "canned", started, ended)
                if host.cmd_shell:
                    continue
                self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), shown)
                self.assertEqual(self.stderr, "" if shown == 0o700 else
                                 f"{timestamp_of(made)}: the archive {path} has the permissions of its "
                                 f"mount ({shown:04o}), not 0600: the file system of {dest} does not keep them\n")

    def test_power_cut_right_after_a_run(self):
        if host.cmd_shell:
            self.skipTest("natively: an ext4 file system stopped without writing its journal")
        # A shutdown that drops whatever the file system had not yet written, as a power cut does,
        # right after a run that recorded success: the archive is there and whole.
        disk, image = os.path.join(self.tmp, "disk"), os.path.join(self.tmp, "disk.img")
        os.makedirs(disk)
        subprocess.run(["truncate", "-s", "64M", image], check=True)
        subprocess.run(["mkfs.ext4", "-q", image], check=True)
        if subprocess.run(["mount", "-o", "loop", image, disk]).returncode != 0:
            self.skipTest("no loop device on this machine")
        self.addCleanup(subprocess.run, ["umount", disk])
        dest = os.path.join(disk, "dest")
        os.makedirs(dest)
        app = self.install(self.ini_for(dest))
        trace = os.path.join(self.tmp, "trace")
        # The loop mount lives in this namespace only, so the run is not confined to another.
        started = datetime.datetime.now().replace(microsecond=0)
        code = subprocess.run(["strace", "-f", "-y", "-o", trace, "-e",
                               "trace=fsync,renameat2,link,unlink,unlinkat",
                               os.path.join(app, host.program_name), "1"], cwd=app,
                              # The leak checker cannot work under a tracer.
                              env=self.client_env("large", ASAN_OPTIONS="detect_leaks=0"),
                              preexec_fn=umask_of_the_units).returncode
        ended = datetime.datetime.now()
        self.assertEqual(code, 0)
        fd = os.open(disk, os.O_RDONLY)
        fcntl.ioctl(fd, 0x8004587D, struct.pack("I", 2))  # EXT4_IOC_SHUTDOWN, journal not flushed
        os.close(fd)
        subprocess.run(["umount", disk], check=True)
        subprocess.run(["mount", "-o", "loop", image, disk], check=True)
        files = os.listdir(dest)
        self.assertEqual(len(files), 1, files)
        self.assert_backup(dest, files[0], "large", started, ended)
        # In the trace: the archive forced to disk, named, its folder forced to disk, and only
        # then the dump deleted, and that forced to disk as well.
        # Each line begins with the process number, padded with blanks to a width of its own.
        calls = [line.split(maxsplit=1)[1] for line in read(trace).decode().splitlines()]
        base = files[0][:-4]
        at = -1
        for pattern in (rf"fsync\(\d+<{re.escape(dest)}/\.{base}\.zip\.tmp>\)",
                        rf"(renameat2|link)\(.*\.{base}\.zip\.tmp.*{base}\.zip",
                        rf"fsync\(\d+<{re.escape(dest)}>\)",
                        rf"unlink(at)?\(.*{base}\.sql",
                        rf"fsync\(\d+<{re.escape(dest)}>\)"):
            at = next((i for i in range(at + 1, len(calls)) if re.match(pattern, calls[i])), None)
            self.assertIsNotNone(at, (pattern, calls))

    def test_settings_file_encodings(self):
        # Notepad's "Unicode" (UTF-16LE behind its byte order mark) and its default UTF-8 without
        # one, each naming a folder outside ASCII.
        for encoding, bom in [("utf-16-le", "\ufeff"), ("utf-8", "")]:
            with self.subTest(encoding=encoding):
                dest = os.path.join(tempfile.mkdtemp(dir=self.tmp), "Copias", "A\u00f1o 2016", "Respaldos")
                os.makedirs(dest)
                app = self.install("", tempfile.mkdtemp(dir=self.tmp))
                ini = os.path.join(app, "backup.ini")
                folder = host.folder_value(dest)
                with open(ini, "wb") as f:
                    f.write(f"{bom}[CONFIG]\r\nprincipal.data={folder}\r\n".encode(encoding))
                code, started, ended = self.run_program(app, "1")
                self.assertEqual(code, 0)
                files = os.listdir(dest)
                self.assertEqual(len(files), 1, files)
                self.assert_backup(dest, files[0], "canned", started, ended)
                text = (f"{bom}[CONFIG]\r\nprincipal.data={folder}\r\nsecundario.data={folder}\r\n"
                        f"[RESULT]\r\nlastrun={timestamp_of(files[0])}\r\n")
                self.assertEqual(read(ini), text.encode(encoding))
        if host.cmd_shell:
            # A letter the code page lacks names no folder the program can reach: none is used,
            # not even one whose name looks alike.
            with self.subTest(encoding="utf-8", letter="\u0141"):
                root = tempfile.mkdtemp(dir=self.tmp)
                for name in ("\u0141odz", "Lodz", "?odz"):
                    os.makedirs(os.path.join(root, name))
                app = self.install("", root)
                folder = host.folder_value(os.path.join(root, "\u0141odz"))
                with open(os.path.join(app, "backup.ini"), "wb") as f:
                    f.write(f"[CONFIG]\r\nprincipal.data={folder}\r\n".encode())
                code, _, _ = self.run_program(app, "1")
                self.assert_failed(app, code, DUMP_FAILED.format("principal"))
                # The folder is not copied, mangled, into the secondary one's key.
                self.assertEqual(read(os.path.join(app, "backup.ini")).decode(),
                                 f"[CONFIG]\r\nprincipal.data={folder}\r\n[RESULT]\r\n"
                                 f"lastrun={DUMP_FAILED.format('principal')}\r\n")
                self.assertEqual(sorted(os.listdir(root)), sorted(["app", "\u0141odz", "Lodz", "?odz"]))
                for name in ("\u0141odz", "Lodz", "?odz"):
                    self.assertEqual(os.listdir(os.path.join(root, name)), [], name)

    def test_writable_settings_file_in_a_folder_the_run_cannot_write(self):
        if host.cmd_shell:
            self.skipTest("Wine runs only as the owner of its prefix")
        # As nobody: the folder takes no temporary file, the file is writable.
        dest = self.folder_for_nobody()
        yesterday = "2016-4-16 01:36:42"
        before = self.ini_for(dest, dest) + f"[RESULT]\r\nlastrun={yesterday}\r\n"
        app = self.install(before)
        ini = os.path.join(app, "backup.ini")
        os.chmod(ini, 0o666)
        os.chmod(app, 0o555)
        inode = os.stat(ini).st_ino
        for mode in ["fail:3", "canned"]:
            with self.subTest(mode=mode):
                code = self.run_as_nobody(app, mode).returncode
                self.assertEqual(code, 2 if mode.startswith("fail") else 0)
                archives = [f for f in os.listdir(dest) if f.endswith(".zip")]
                status = timestamp_of(archives[0]) if archives else DUMP_FAILED.format("principal")
                self.assertEqual(read(ini).decode(), before.replace(yesterday, status))
                self.assertEqual(sorted(os.listdir(app)), sorted([host.program_name, "backup.ini"]))
                self.assertEqual(os.stat(ini).st_ino, inode)


def arguments(*required):
    """The options of a system test script: the target, then the script's own, each required."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--target", choices=["native", "win32"], required=True)
    for name in required:
        parser.add_argument(f"--{name}", required=True)
    return parser


def needs_private_opt():
    """True in a native run not yet in a mount namespace of its own with an empty /opt."""
    return opts.target == "native" and "QB_PRIVATE_OPT" not in os.environ


def again_with_private_opt():
    """This script run again where /opt is a tmpfs of its own mount namespace; its exit code."""
    if os.geteuid() != 0:
        print("needs root for a private mount namespace")
        return 77
    mount = 'mount -t tmpfs tmpfs /opt && QB_PRIVATE_OPT=1 exec "$@"'
    again = ["unshare", "-m", "sh", "-c", mount, "sh", sys.executable, *sys.argv]
    return subprocess.run(again).returncode


def main():
    global opts, host
    parser = arguments("program", "client", "source")
    parser.add_argument("--holder", help="win32: the program that holds a file as another would")
    parser.add_argument("--reader", help="win32: the program that reads the exe's resources")
    opts, rest = parser.parse_known_args()
    if needs_private_opt():
        return again_with_private_opt()
    host = Native() if opts.target == "native" else Win32()
    return 0 if unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False).result.wasSuccessful() else 1


host = None
if __name__ == "__main__":
    sys.exit(main())
