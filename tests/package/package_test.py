#!/usr/bin/env python3
"""The packages scripts/release wrote into dist/, installed and scheduled as README.md says.

win32: the zip unpacked into a fresh folder on drive C of the shared Wine prefix, the fixture
client as c:\\xampp\\mysql\\bin\\mysqldump.exe; the exe's file type, imports and resources; the
task definitions against README.md and registered with the README's schtasks commands.
native: in a private mount namespace, the tar.gz unpacked into /opt (a tmpfs) and the fixture as
/opt/lampp/bin/mysqldump; the backups made by the README's cron lines; the systemd units against
README.md and through `systemd-analyze verify`.

Exit code 77 (skipped) when the package of this version is not in dist/: scripts/release makes it.
"""
import glob
import os
import re
import shutil
import stat
import subprocess
import sys
import tarfile
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "backup"))
import system_test  # noqa: E402  the hosts that place the fixture client, and the backup checks

opts = None
host = None

SYSTEM_DLLS = {"ADVAPI32.dll", "GDI32.dll", "KERNEL32.dll", "msvcrt.dll", "USER32.dll"}
SUPPORTED_OS = {  # Vista, 7, 8, 8.1, 10 and 11
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
TASK = "{http://schemas.microsoft.com/windows/2004/02/mit/task}"
read = system_test.read


def readme():
    with open(os.path.join(opts.source, "README.md"), encoding="utf-8") as f:
        return f.read()


def table_rows(first_cell):
    """The cells of README.md's table rows whose first cell matches, backticks off."""
    rows = []
    for line in readme().splitlines():
        cells = [c.strip().strip("`") for c in line.strip().strip("|").split("|")]
        if line.startswith("|") and re.fullmatch(first_cell, cells[0]):
            rows.append(cells)
    return rows


def task_values(data):
    """A task definition's values, by their paths below Task."""
    task = ET.fromstring(data)
    paths = ["Actions/Exec/Command", "Actions/Exec/Arguments", "Actions/Exec/WorkingDirectory",
             "Triggers/CalendarTrigger/ScheduleByDay/DaysInterval",
             "Triggers/CalendarTrigger/StartBoundary", "Settings/ExecutionTimeLimit",
             "Settings/MultipleInstancesPolicy"]
    return {p: task.findtext("/".join(TASK + step for step in p.split("/"))) for p in paths}


def unit_settings(text):
    """A unit's settings as systemd reads them: key to value, the last assignment winning, the
    comments and the section lines left out."""
    settings = {}
    for line in text.splitlines():
        if line and line[0] not in "#;[" and "=" in line:
            key, value = line.split("=", 1)
            settings[key.strip()] = value.strip()
    return settings


def with_folders(sample, primary, secondary):
    """The sample backup.ini with the two folder values replaced, its line ends kept."""
    text, n = re.subn(r"^principal\.data=[^\r\n]*", lambda _: "principal.data=" + primary, sample,
                      flags=re.M)
    text, m = re.subn(r"^secundario\.data=[^\r\n]*", lambda _: "secundario.data=" + secondary, text,
                      flags=re.M)
    assert n == 1 and m == 1, sample
    return text


class Installed(unittest.TestCase):
    """What both packages share: their files, and backups made from the unpacked folder."""
    names = None  # the package's files below its folder quolmerBackup/
    # The backup system tests' checks: the dump the fixture writes and one backup's archive.
    references = {}
    client_env = system_test.BackupRun.client_env
    reference = system_test.BackupRun.reference
    expected_dump = system_test.BackupRun.expected_dump
    assert_backup = system_test.BackupRun.assert_backup
    run_program = system_test.BackupRun.run_program

    def folder(self, name):
        path = tempfile.mkdtemp(prefix=f"qb_{name}_", dir=self.scratch)
        self.addCleanup(shutil.rmtree, path, True)
        return path

    def test_files(self):
        self.assertEqual(sorted(self.members),
                         sorted(["quolmerBackup/"] + ["quolmerBackup/" + n for n in self.names]))
        checked = subprocess.run(self.integrity + [opts.archive], capture_output=True)
        self.assertEqual(checked.returncode, 0, checked.stderr)

    def test_backups_to_both_destinations(self):
        dests = {"1": self.folder("principal"), "2": self.folder("secundario")}
        # As on a first install: backup.ini made from the sample, with the user's folders.
        ini = os.path.join(self.app, "backup.ini")
        with open(ini + ".sample", newline="") as f:
            sample = f.read()
        with open(ini, "w", newline="") as f:
            f.write(with_folders(sample, *(host.folder_value(d) for d in dests.values())))
        for selector, dest in dests.items():
            with self.subTest(selector=selector):
                code, started, ended = self.start(selector)
                self.assertEqual(code, 0)
                files = os.listdir(dest)
                self.assertEqual(len(files), 1, files)
                self.assert_backup(dest, files[0], "canned", started, ended)
                self.assertEqual(system_test.lastrun(ini), system_test.timestamp_of(files[0]))
        self.assertFalse(os.path.exists(os.path.join(self.app, "Error.log")))


class Windows(Installed):
    integrity = ["unzip", "-tq"]
    names = ["quolmerBackup.exe", "backup.ini.sample", "mysqldump.cnf.sample", "README.txt",
             "install.cmd", "uninstall.cmd", "quolmerBackup-principal.xml",
             "quolmerBackup-secundario.xml"]
    source_key = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\quolmerBackup"

    @classmethod
    def setUpClass(cls):
        # Not at the root of drive C, where the backup system tests watch what appears.
        public = os.path.join(host.drive_c(), "users", "Public")
        cls.scratch = tempfile.mkdtemp(prefix="qb_package_", dir=public)
        with zipfile.ZipFile(opts.archive) as z:
            cls.members = z.namelist()
            z.extractall(cls.scratch)
        cls.app = os.path.join(cls.scratch, "quolmerBackup")
        cls.exe = os.path.join(cls.app, "quolmerBackup.exe")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, True)

    def start(self, selector):
        # As the task starts it: the program in its own folder, "Start in".
        if subprocess.run([os.path.join(opts.source, "scripts", "windows-arch")], capture_output=True,
                          text=True).stdout.strip() != "win32":
            self.skipTest("this machine cannot run the 32-bit program")
        return self.run_program(self.app, selector)

    def wine(self, *args, timeout=120):
        return subprocess.run([os.path.join(opts.source, "scripts", "wine-run"), *args],
                              capture_output=True, text=True, timeout=timeout)

    def script(self, name, *args, log, where=None, **exits):
        """name run from the unpacked folder (or where given) by Wine's cmd, with command_log.exe
        standing in for the commands Wine cannot run as Windows does; the run and the command
        lines logged."""
        with open(log, "w"):
            pass
        env = {"WINEPATH": host.folder_value(self.stubs), "QB_COMMAND_LOG": host.folder_value(log),
               **{f"QB_COMMAND_EXIT_{k.upper()}": str(v) for k, v in exits.items()}}
        run = subprocess.run([os.path.join(opts.source, "scripts", "wine-run"), "cmd.exe", "/c",
                              name, *args], cwd=where or self.app, env={**os.environ, **env},
                             capture_output=True, text=True, timeout=120)
        with open(log) as f:
            return run, f.read().splitlines()

    def event_source(self):
        """The values of the registered event source, as reg shows them; None without one."""
        query = self.wine("reg", "query", self.source_key)
        if query.returncode != 0:
            return None
        values = [line.split(None, 2) for line in query.stdout.splitlines() if line[:1].isspace()]
        return {v[0]: (v[1], v[2].strip()) for v in values if len(v) == 3}

    def test_install_and_uninstall_scripts(self):
        # The administrator test, the permissions, the tasks with an account and PowerShell;
        # Wine's own reg for the event source.
        self.stubs = self.folder("stubs")
        for command in ["fltmc", "icacls", "schtasks", "powershell"]:
            shutil.copy(opts.command_log, os.path.join(self.stubs, command + ".exe"))
        log = os.path.join(self.folder("log"), "commands.log")
        target = os.path.join(self.folder("target"), "Mis Programas")
        where, account = host.folder_value(target), "MYPC\\backup"

        run, lines = self.script("install.cmd", account, where, log=log, fltmc=2)
        self.assertEqual(run.returncode, 1)
        self.assertIn("run it from a command prompt opened as administrator", run.stdout)
        self.assertEqual(lines, ["fltmc"])
        self.assertFalse(os.path.exists(target))

        # A folder that holds something else, beside a program of that name anyone may have put
        # there: its files would take the program's permissions, and keep their owner.
        other = self.folder("other")
        for name in ["quolmerBackup.exe", "data.txt"]:
            with open(os.path.join(other, name), "w"):
                pass
        run, lines = self.script("install.cmd", account, host.folder_value(other), log=log)
        self.assertEqual(run.returncode, 1)
        self.assertIn('than an install of quolmerBackup ("data.txt"', run.stdout)
        self.assertEqual(lines, ["fltmc"])

        # A permission that cannot be set stops the script at once; so does a registration that
        # fails, before the next. The folder with a trailing backslash, as users type it.
        files = ["quolmerBackup.exe", "README.txt", "backup.ini.sample", "mysqldump.cnf.sample",
                 "quolmerBackup-principal.xml", "quolmerBackup-secundario.xml", "uninstall.cmd"]
        register = [f'schtasks /Create /XML "{where}\\quolmerBackup-{d}.xml" /TN quolmerBackup-{d} '
                    f'/RU "{account}" /RP * /F' for d in ["principal", "secundario"]]
        run, lines = self.script("install.cmd", account, where, log=log, icacls=5)
        self.assertEqual(run.returncode, 1)
        self.assertIn("stopped, the step above failed", run.stdout)
        self.assertEqual(lines, ["fltmc", f'icacls "{where}" /setowner "*S-1-5-32-544"'])
        run, lines = self.script("install.cmd", account, where + "\\", log=log, schtasks=1)
        self.assertEqual(run.returncode, 1)
        self.assertIn("stopped, the step above failed", run.stdout)
        self.assertEqual(lines[-1], register[0])
        run, lines = self.script("install.cmd", account, where + "\\", log=log)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        folder_steps = [
            f'icacls "{where}" /setowner "*S-1-5-32-544"',
            f'icacls "{where}" /reset',
            f'icacls "{where}" /inheritance:r /grant:r "*S-1-5-32-544:(OI)(CI)F" '
            '"*S-1-5-18:(OI)(CI)F" "*S-1-5-32-545:(OI)(CI)RX"']

        def own(names):
            return [line for name in names
                    for line in [f'icacls "{where}\\{name}" /reset',
                                 f'icacls "{where}\\{name}" /setowner "*S-1-5-32-544"']]

        # mysqldump.cnf readable by Administrators, SYSTEM and the account alone.
        private = [f'icacls "{where}\\mysqldump.cnf" /setowner "*S-1-5-32-544"',
                   f'icacls "{where}\\mysqldump.cnf" /inheritance:r /grant:r "*S-1-5-32-544:F" '
                   f'"*S-1-5-18:F" "{account}:R"']
        # What the stopped run left takes its final permissions before the folder's are reset,
        # which for a moment are those of the folder above.
        closed = [line for name in files + ["backup.ini"]
                  for line in [f'icacls "{where}\\{name}" /setowner "*S-1-5-32-544"',
                               f'icacls "{where}\\{name}" /inheritance:r /grant:r '
                               '"*S-1-5-32-544:F" "*S-1-5-18:F" "*S-1-5-32-545:RX"']] + private
        self.assertEqual(lines, ["fltmc"] + closed + folder_steps + private +
                         own(files + ["backup.ini"]) + [
            f'icacls "{where}\\backup.ini" /grant "{account}:M"',
            # Another folder than C:\quolmerBackup: the definitions are rewritten for it first.
            "powershell -NoProfile -NonInteractive -Command \"$e = "
            "[Security.SecurityElement]::Escape($env:QB_FOLDER); foreach ($d in 'principal', "
            "'secundario') { $f = Join-Path $env:QB_FOLDER ('quolmerBackup-' + $d + '.xml'); "
            "$t = [IO.File]::ReadAllText($f).Replace('>C:\\quolmerBackup\\', '>' + $e + '\\')"
            ".Replace('>C:\\quolmerBackup<', '>' + $e + '<'); [IO.File]::WriteAllText($f, $t, "
            "[Text.Encoding]::Unicode) }\""] + register)
        copied = [n for n in self.names if n != "install.cmd"]
        self.assertEqual(sorted(os.listdir(target)),
                         sorted(copied + ["backup.ini", "mysqldump.cnf"]))
        for name in copied:
            self.assertEqual(read(os.path.join(target, name)), read(os.path.join(self.app, name)))
        ini, cnf = os.path.join(target, "backup.ini"), os.path.join(target, "mysqldump.cnf")
        self.assertEqual(read(ini), read(os.path.join(self.app, "backup.ini.sample")))
        self.assertEqual(read(cnf), read(os.path.join(self.app, "mysqldump.cnf.sample")))
        self.assertEqual(self.event_source(), {
            "EventMessageFile": ("REG_EXPAND_SZ", f"{where}\\quolmerBackup.exe"),
            "TypesSupported": ("REG_DWORD", "0x7")})

        # A new version installed over the old one keeps the settings and the password.
        with open(ini, "ab") as f:
            f.write(b"[RESULT]\r\nlastrun=2016-4-16 01:36:42\r\n")
        with open(cnf, "ab") as f:
            f.write(b"[client]\r\npassword=secreto\r\n")
        settings, options = read(ini), read(cnf)
        run, lines = self.script("install.cmd", account, where, log=log)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("kept backup.ini", run.stdout)
        self.assertIn("kept mysqldump.cnf", run.stdout)
        self.assertEqual((read(ini), read(cnf)), (settings, options))
        # Never, not even for a moment, with the permissions of the folder or the one above.
        cnf_lines = [line for line in lines if "mysqldump.cnf\"" in line]
        self.assertEqual(cnf_lines, private + private)

        # The installed copy, as a user runs it, removes its own folder; it goes last. A run's
        # report stays, and the folder takes the program again.
        with open(os.path.join(target, "Error.log"), "w"):
            pass
        uninstalled = ["fltmc"] + [line for d in ["principal", "secundario"]
                                   for line in [f"schtasks /Query /TN quolmerBackup-{d}",
                                                f"schtasks /Delete /TN quolmerBackup-{d} /F"]]
        run, lines = self.script("uninstall.cmd", log=log, where=target)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertEqual(lines, uninstalled)
        self.assertEqual(sorted(os.listdir(target)), ["Error.log", "backup.ini", "mysqldump.cnf"])
        self.assertEqual((read(ini), read(cnf)), (settings, options))
        self.assertIsNone(self.event_source())
        run, lines = self.script("install.cmd", account, where, log=log)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("kept backup.ini", run.stdout)
        self.assertIn(f'icacls "{where}\\Error.log" /reset', lines)

        # The copy in the unpacked zip removes C:\quolmerBackup, and nothing where that holds no
        # program; the copy in a folder installed in place removes that folder's.
        in_place = os.path.join(self.folder("in place"), "quolmerBackup")
        shutil.copytree(self.app, in_place, ignore=shutil.ignore_patterns("backup.ini"))
        self.assertFalse(os.path.exists(os.path.join(host.drive_c(), "quolmerBackup")))
        run, lines = self.script("uninstall.cmd", log=log, where=in_place)
        self.assertEqual(run.returncode, 1)
        self.assertIn('"C:\\quolmerBackup\\" holds no install of quolmerBackup', run.stdout)
        self.assertEqual(lines, ["fltmc"])
        run, _ = self.script("install.cmd", account, host.folder_value(in_place), log=log,
                             where=in_place)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        run, lines = self.script("uninstall.cmd", log=log, where=in_place)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertEqual(lines, uninstalled)
        self.assertEqual(sorted(os.listdir(in_place)), ["backup.ini", "install.cmd", "mysqldump.cnf"])

    def test_one_gui_executable_with_system_imports(self):
        kind = subprocess.run(["file", "-b", self.exe], capture_output=True, text=True).stdout
        self.assertRegex(kind, r"^PE32 executable \(GUI\) Intel 80386 .*for MS Windows")
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", self.exe], capture_output=True,
                              text=True, check=True).stdout
        imports = set(re.findall(r"DLL Name: (\S+)", dump))
        self.assertTrue(imports and imports <= SYSTEM_DLLS, imports)

    def test_version_information_manifest_and_icon(self):
        run = self.wine(opts.reader, host.folder_value(self.exe))
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        head, manifest = run.stdout.split("manifest\n", 1)
        quad = re.match(r"\d+\.\d+\.\d+", opts.version)[0] + ".0"
        self.assertIn(f"fixed file {quad} product {quad}\n", head)
        for line in [f"FileVersion={opts.version}", f"ProductVersion={opts.version}",
                     "OriginalFilename=quolmerBackup.exe", "ProductName=quolmerBackup",
                     "icon images 3",
                     # Event Viewer's text of the program's events: their one string as it is.
                     "event 1: a line as the program wrote it|",
                     "event 2: a line as the program wrote it|"]:
            self.assertIn(line + "\n", head)
        self.assertRegex(head, r"(?m)^FileDescription=quolmerBackup: \S.*$")
        root = ET.fromstring(manifest)
        levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
        self.assertEqual(levels, ["asInvoker"])
        self.assertEqual({e.get("Id") for e in root.iter() if e.tag.endswith("}supportedOS")},
                         SUPPORTED_OS)
        # The dialog keeps its pixel size only while the program declares no DPI awareness.
        self.assertFalse([e.tag for e in root.iter() if "dpi" in e.tag.lower()])

    def test_texts_for_notepad(self):
        for name in ["README.txt", "backup.ini.sample", "mysqldump.cnf.sample", "install.cmd",
                     "uninstall.cmd"]:
            with self.subTest(name=name):
                with open(os.path.join(self.app, name), "rb") as f:
                    data = f.read()
                self.assertEqual(data.count(b"\n"), data.count(b"\r\n"))
                self.assertTrue(data.endswith(b"\r\n"))
                self.assertFalse(data.startswith(b"\xef\xbb\xbf"))
                data.decode("cp1252")

    def test_task_definitions(self):
        rows = table_rows(r"quolmerBackup-\w+")
        names = ["quolmerBackup-principal", "quolmerBackup-secundario"]
        self.assertEqual([r[0] for r in rows], names)
        commands = re.findall(r"^ *(schtasks /Create /XML C:\\quolmerBackup\\(\S+) /TN (\S+) "
                              r"/RU MYPC\\backup /RP \*)$", readme(), re.M)
        self.assertEqual([c[2] for c in commands], names)
        with open(os.path.join(self.app, "README.txt"), encoding="cp1252") as f:
            shipped = re.findall(r"^ *(schtasks .*)$", f.read(), re.M)
        self.assertEqual(shipped, [c[0] for c in commands])
        for (line, xml, name), (_, program, argument, start_in, runs, limit) in zip(commands, rows):
            with self.subTest(task=name):
                with open(os.path.join(self.app, xml), "rb") as f:
                    data = f.read()
                self.assertTrue(data.startswith(b"\xff\xfe"))
                self.assertTrue(data.decode("utf-16").startswith(
                    '<?xml version="1.0" encoding="UTF-16"?>'))
                hours = re.fullmatch(r"(\d+) hours", limit)[1]
                self.assertEqual(task_values(data), {
                    "Actions/Exec/Command": program,
                    "Actions/Exec/Arguments": argument,
                    "Actions/Exec/WorkingDirectory": start_in,
                    "Triggers/CalendarTrigger/ScheduleByDay/DaysInterval": "1",
                    "Triggers/CalendarTrigger/StartBoundary": f"2000-01-01T{runs.split()[-1]}:00",
                    "Settings/ExecutionTimeLimit": f"PT{hours}H",
                    "Settings/MultipleInstancesPolicy": "IgnoreNew"})
                self.assertEqual(program, start_in + "\\quolmerBackup.exe")
                # The README's own command, for the folder this test unpacked into, without the
                # account, which Wine's schtasks does not take. Wine keeps the settings of what
                # it registers, not the actions or triggers.
                self.wine("schtasks", "/Delete", "/TN", name, "/F")
                created = self.wine("cmd.exe", "/c", line.split(" /RU ")[0].replace(
                    "C:\\quolmerBackup", host.folder_value(self.app)))
                self.addCleanup(self.wine, "schtasks", "/Delete", "/TN", name, "/F")
                self.assertEqual(created.returncode, 0, created.stdout + created.stderr)
                stored = os.path.join(host.prefix, "drive_c", "windows", "system32", "tasks", name)
                with open(stored, encoding="utf-8-sig") as f:
                    self.assertIn(f"<ExecutionTimeLimit>PT{hours}H</ExecutionTimeLimit>", f.read())


class Linux(Installed):
    integrity = ["gzip", "-t"]
    names = ["quolmerBackup", "backup.ini.sample", "mysqldump.cnf.sample", "README",
             "quolmerBackup-principal.service",
             "quolmerBackup-principal.timer", "quolmerBackup-secundario.service",
             "quolmerBackup-secundario.timer"]

    @classmethod
    def setUpClass(cls):
        # As README.md says: tar -xzf ... -C /opt (a tmpfs of this namespace).
        cls.scratch = "/opt"
        with tarfile.open(opts.archive) as t:
            cls.members = [m.name + ("/" if m.isdir() else "") for m in t.getmembers()]
        subprocess.run(["tar", "-xzf", opts.archive, "-C", "/opt"], check=True)
        cls.app = "/opt/quolmerBackup"

    def cron_lines(self):
        lines = re.findall(r"^ *((?:\S+ ){5}cd /opt/quolmerBackup && \./quolmerBackup \S+)$",
                           readme(), re.M)
        self.assertEqual(len(lines), 2, lines)
        return lines

    def start(self, selector):
        # The README's cron line for the destination, from cron's current folder, not the program's.
        line = [c for c in self.cron_lines() if c.endswith(" " + selector)][0]
        home = self.folder("home")
        started = system_test.datetime.datetime.now().replace(microsecond=0)
        code = subprocess.run(["/bin/sh", "-c", line.split(" ", 5)[5]], cwd=home,
                              env=self.client_env(), capture_output=True).returncode
        return code, started, system_test.datetime.datetime.now()

    def test_version(self):
        run = subprocess.run([os.path.join(self.app, "quolmerBackup"), "--version"],
                             capture_output=True, text=True)
        self.assertEqual((run.returncode, run.stdout), (0, f"quolmerBackup {opts.version}\n"))

    def test_cron_lines_in_the_package_readme(self):
        with open(os.path.join(self.app, "README"), encoding="utf-8") as f:
            shipped = re.findall(r"^ *((?:\S+ ){5}cd .*)$", f.read(), re.M)
        self.assertEqual(shipped, self.cron_lines())

    def test_systemd_units(self):
        rows = table_rows(r"quolmerBackup-\w+\.service")
        self.assertEqual([r[0] for r in rows], ["quolmerBackup-principal.service",
                                                "quolmerBackup-secundario.service"])
        for service, command, folder, runs, limit in rows:
            with self.subTest(unit=service):
                with open(os.path.join(self.app, service)) as f:
                    unit = f.read()
                self.assertIn(f"\nExecStart={command}\n", unit)
                self.assertIn(f"\nWorkingDirectory={folder}\n", unit)
                self.assertEqual(folder, self.app)
                hours = re.fullmatch(r"(\d+) hours", limit)[1]
                self.assertIn(f"\nTimeoutStartSec={hours}h\n", unit)
                self.assertRegex(unit, r"\n#OnFailure=\S+\n")
                with open(os.path.join(self.app, service[:-len("service")] + "timer")) as f:
                    self.assertIn(f"\nOnCalendar=*-*-* {runs[len('daily at '):]}:00\n", f.read())
                # The order and the tries again, as README's table gives them.
                settings = unit_settings(unit)
                rows = table_rows(r"\w+=")
                self.assertEqual(len(rows), 6, rows)
                for setting, value, _ in rows:
                    self.assertEqual(settings.get(setting[:-1]), value, setting)
        units = [os.path.join(self.app, n) for n in self.names
                 if n.endswith((".service", ".timer"))]
        verified = subprocess.run(["systemd-analyze", "verify", *units], capture_output=True,
                                  text=True)
        self.assertEqual((verified.returncode, verified.stdout + verified.stderr), (0, ""))


class Debian(unittest.TestCase):
    """The .deb, installed with apt as Debian's users install it, into a root of its own: an
    overlay of this machine's root in this mount namespace, so that apt finds the libraries the
    package depends on where they are, and nothing outside the overlay changes."""
    units = ["quolmerBackup-principal.service", "quolmerBackup-principal.timer",
             "quolmerBackup-secundario.service", "quolmerBackup-secundario.timer"]
    program_files = ["README", "backup.ini.sample", "mysqldump.cnf.sample", "quolmerBackup"]
    reference = Installed.reference
    expected_dump = Installed.expected_dump
    client_env = Installed.client_env
    assert_backup = Installed.assert_backup
    references = {}

    @classmethod
    def setUpClass(cls):
        cls.layers = tempfile.mkdtemp(prefix="qb_deb_")
        subprocess.run(["mount", "-t", "tmpfs", "qb-deb", cls.layers], check=True)
        cls.root = os.path.join(cls.layers, "root")
        for d in ["upper", "work", "root"]:
            os.mkdir(os.path.join(cls.layers, d))
        subprocess.run(["mount", "-t", "overlay", "qb-root", "-o",
                        f"lowerdir=/,upperdir={cls.layers}/upper,workdir={cls.layers}/work",
                        cls.root], check=True)
        subprocess.run(["mount", "-t", "proc", "qb-proc", cls.root + "/proc"], check=True)
        subprocess.run(["mount", "--rbind", "/dev", cls.root + "/dev"], check=True)
        os.makedirs(cls.root + "/opt/lampp/bin", exist_ok=True)
        shutil.copy(opts.client, cls.root + "/opt/lampp/bin/mysqldump")

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["umount", "-R", cls.root])
        subprocess.run(["umount", cls.layers])
        os.rmdir(cls.layers)

    def inside(self, *command, env=None):
        return subprocess.run(["chroot", self.root, *command], capture_output=True, text=True,
                              env={**os.environ, "DEBIAN_FRONTEND": "noninteractive", **(env or {})})

    def apt(self, *args):
        run = self.inside("apt-get", "-y", "-o", "Dpkg::Use-Pty=0", *args)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        # What the package depends on is here already: apt adds nothing else.
        new = re.search(r"NEW packages will be installed:\n(.*)\n", run.stdout)
        self.assertEqual(new[1].split() if new else [], ["quolmerbackup"] if new else [])

    def installed_version(self):
        return self.inside("dpkg-query", "-W", "-f", "${Status} ${Version}", "quolmerbackup").stdout

    def backup(self, dest):
        """A run started as the units start it; its archive in dest, the only file there."""
        started = system_test.datetime.datetime.now().replace(microsecond=0)
        run = self.inside("sh", "-c", "cd /opt/quolmerBackup && exec ./quolmerBackup 1",
                          env=self.client_env())
        ended = system_test.datetime.datetime.now()
        self.assertEqual(run.returncode, 0, run.stderr)
        files = os.listdir(self.root + dest)
        self.assertEqual(len(files), 1, files)
        # The first install made mysqldump.cnf: the client is handed it.
        self.assert_backup(self.root + dest, files[0], "canned", started, ended,
                           "/opt/quolmerBackup/mysqldump.cnf")
        return files[0]

    def next_version(self):
        """The package once more as the next version, whose sample says one more line."""
        tree = os.path.join(self.layers, "next")
        subprocess.run(["dpkg-deb", "-R", opts.deb, tree], check=True)
        with open(tree + "/DEBIAN/control") as f:
            control = f.read()
        version = re.search(r"^Version: (\S+)$", control, re.M)[1] + "+1"
        with open(tree + "/DEBIAN/control", "w") as f:
            f.write(re.sub(r"^Version: \S+$", "Version: " + version, control, flags=re.M))
        sample = tree + "/opt/quolmerBackup/backup.ini.sample"
        with open(sample, "a") as f:
            f.write("; the next version's sample\n")
        subprocess.run(["sh", "-c", "cd \"$1\" && find opt lib usr -type f -exec md5sum {} + "
                        ">DEBIAN/md5sums", "-", tree], check=True)
        subprocess.run(["dpkg-deb", "--root-owner-group", "-b", tree, self.root + "/tmp/next.deb"],
                       check=True, capture_output=True)
        return version

    def test_fields_files_and_lintian(self):
        fields = subprocess.run(["dpkg-deb", "--field", opts.deb], capture_output=True, text=True,
                                check=True).stdout
        fields = "\n" + fields
        self.assertIn("\nPackage: quolmerbackup\n", fields)
        self.assertIn(f"\nVersion: {opts.version.replace('-', '+')}\n", fields)
        self.assertIn("\nArchitecture: amd64\n", fields)
        depends = re.search(r"^Depends: (.*)$", fields, re.M)[1]
        self.assertEqual(sorted(re.findall(r"(?:^|, )([\w.+-]+)", depends)),
                         ["libc6", "libgcc-s1", "libminizip1", "libstdc++6", "zlib1g"])
        # The distribution's dump client, which a run starts where XAMPP is not installed.
        self.assertIn("\nRecommends: default-mysql-client | mariadb-client\n", fields)
        listing = subprocess.run(["dpkg-deb", "--contents", opts.deb], capture_output=True,
                                 text=True, check=True).stdout
        files = sorted(line.split()[-1] for line in listing.splitlines() if line[0] == "-")
        self.assertEqual(files, sorted(
            ["./opt/quolmerBackup/" + n for n in self.program_files] +
            ["./lib/systemd/system/" + u for u in self.units] +
            ["./usr/share/lintian/overrides/quolmerbackup"]))
        self.assertNotIn("backup.ini\n", listing)
        lint = subprocess.run(["lintian", opts.deb], capture_output=True, text=True)
        self.assertEqual((lint.returncode, lint.stdout), (0, ""))

    def test_install_run_upgrade_remove_purge(self):
        shutil.copy(opts.deb, self.root + "/tmp/quolmerbackup.deb")
        self.apt("install", "/tmp/quolmerbackup.deb")
        app = self.root + "/opt/quolmerBackup"
        self.assertEqual(sorted(os.listdir(app)),
                         sorted(self.program_files + ["backup.ini", "mysqldump.cnf"]))
        self.assertEqual(read(app + "/backup.ini"), read(app + "/backup.ini.sample"))
        cnf = app + "/mysqldump.cnf"
        self.assertEqual(read(cnf), read(app + "/mysqldump.cnf.sample"))
        self.assertEqual(stat.S_IMODE(os.stat(cnf).st_mode), 0o600)
        self.assertEqual((os.stat(cnf).st_uid, os.stat(cnf).st_gid), (0, 0))
        verified = self.inside("systemd-analyze", "verify",
                               *("/lib/systemd/system/" + u for u in self.units))
        self.assertEqual((verified.returncode, verified.stdout + verified.stderr), (0, ""))
        wants = self.root + "/etc/systemd/system/timers.target.wants"
        self.assertEqual(glob.glob(wants + "/quolmerBackup-*"), [], "enabled on install")

        # The user sets the folder and enables a timer, as the README says.
        os.mkdir(self.root + "/srv/qb")
        with open(app + "/backup.ini", "w") as f:
            f.write(with_folders(read(app + "/backup.ini.sample").decode(), "/srv/qb", "/srv/qb"))
        enabled = self.inside("systemctl", "enable", "quolmerBackup-principal.timer")
        self.assertEqual(enabled.returncode, 0, enabled.stderr)
        first = self.backup("/srv/qb")
        settings = read(app + "/backup.ini")
        # The user's password, in the file the run hands the client.
        with open(cnf, "a") as f:
            f.write("[client]\npassword=secreto\n")
        options = read(cnf)

        version = self.next_version()
        self.apt("install", "/tmp/next.deb")
        self.assertEqual(self.installed_version(), "install ok installed " + version)
        self.assertEqual(read(app + "/backup.ini"), settings)
        self.assertEqual(read(cnf), options)
        self.assertEqual(stat.S_IMODE(os.stat(cnf).st_mode), 0o600)
        self.assertTrue(read(app + "/backup.ini.sample").endswith(b"; the next version's sample\n"))
        os.remove(self.root + "/srv/qb/" + first)
        self.backup("/srv/qb")
        settings = read(app + "/backup.ini")

        self.apt("remove", "quolmerbackup")
        self.assertEqual(sorted(os.listdir(app)), ["backup.ini", "mysqldump.cnf"])
        self.assertEqual(read(app + "/backup.ini"), settings)
        self.assertEqual(read(cnf), options)
        self.assertEqual([u for u in self.units if os.path.exists(self.root + "/lib/systemd/system/" + u)], [])
        self.assertTrue(os.path.islink(wants + "/quolmerBackup-principal.timer"))

        self.apt("purge", "quolmerbackup")
        self.assertFalse(os.path.exists(app))
        self.assertFalse(os.path.lexists(wants + "/quolmerBackup-principal.timer"))
        self.assertEqual(self.installed_version(), "")
        self.assertEqual(len(os.listdir(self.root + "/srv/qb")), 1, "the backup stays")
        # And this machine never saw it.
        mine = subprocess.run(["dpkg-query", "-W", "quolmerbackup"], capture_output=True)
        self.assertNotEqual(mine.returncode, 0)


def main():
    global opts, host
    parser = system_test.arguments("archive", "version", "client", "source")
    parser.add_argument("--reader")
    parser.add_argument("--deb")
    parser.add_argument("--command-log")
    opts = parser.parse_args()
    system_test.opts = opts
    if not os.path.exists(opts.archive):
        print(f"{opts.archive} is not there: scripts/release makes it")
        return 77
    if system_test.needs_private_opt():
        return system_test.again_with_private_opt()
    host = system_test.Native() if opts.target == "native" else system_test.Win32()
    system_test.host = host
    cases = [Windows] if opts.target == "win32" else [Linux, Debian]
    suite = unittest.TestSuite(unittest.defaultTestLoader.loadTestsFromTestCase(c) for c in cases)
    return 0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
