#!/usr/bin/env python3
"""The real program making backups with a fixture dump client.

native: inside a private mount namespace, with a tmpfs over /opt holding the fixture as
/opt/lampp/bin/mysqldump. win32: the fixture as c:\\xampp\\mysql\\bin\\mysqldump.exe in the shared
Wine prefix, the program started with a plain `wine quolmerBackup.exe ...`.
"""
import argparse
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zipfile

DUMP_FAILED = "No se ha generado el respaldo {} Mysql no conectado o no instalado"
ZIP_FAILED = "No se ha generado el zip {} verifique la carpeta destino"
NAME = re.compile(r"^resp_quolmer_(\d{4})_([1-9]\d?)_([1-9]\d?)_(\d\d)(\d\d)(\d\d)\.(sql|zip)$")

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

    def run(self, folder, args, env):
        return subprocess.run([os.path.join(folder, self.program_name), *args], cwd=folder, env=env,
                              capture_output=True).returncode

    def client_output(self, target, env):
        subprocess.run(["/bin/sh", "-c", f"/opt/lampp/bin/mysqldump -uroot quolmer > '{target}'"],
                       env=env, check=False, capture_output=True)


class Win32:
    program_name = "quolmerBackup.exe"
    cmd_shell = True

    def __init__(self):
        self.prefix = os.environ.get("QB_WINEPREFIX") or os.path.join(opts.source, "build", "win32", "wineprefix")
        # wine-run makes the shared prefix once; then the fixture goes where the program looks.
        subprocess.run([os.path.join(opts.source, "scripts", "wine-run"), "cmd.exe", "/c", "exit"],
                       check=True, capture_output=True)
        bin_dir = os.path.join(self.prefix, "drive_c", "xampp", "mysql", "bin")
        os.makedirs(bin_dir, exist_ok=True)
        staged = os.path.join(bin_dir, f"mysqldump.{os.getpid()}.tmp")
        shutil.copy(opts.client, staged)
        os.replace(staged, os.path.join(bin_dir, "mysqldump.exe"))
        self.env = {"WINEPREFIX": self.prefix, "WINEDEBUG": "-all"}

    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    def folder_value(self, path):
        path = os.path.abspath(path)
        if path.startswith(self.drive_c() + "/"):
            return "C:\\" + path[len(self.drive_c()) + 1:].replace("/", "\\")
        return "Z:" + path.replace("/", "\\")

    def run(self, folder, args, env):
        # As a person would start it: `wine quolmerBackup.exe 2` in its folder.
        return subprocess.run(["wine", self.program_name, *args], cwd=folder,
                              env={**env, **self.env}, capture_output=True).returncode

    def client_output(self, target, env):
        subprocess.run(["wine", "cmd.exe", "/c",
                        f"c:\\xampp\\mysql\\bin\\mysqldump.exe -uroot quolmer > {self.folder_value(target)}"],
                       env={**env, **self.env}, check=False, capture_output=True)

    def hide(self, path):
        subprocess.run(["wine", "cmd.exe", "/c", f"attrib +h {self.folder_value(path)}"],
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


def timestamp_of(name):
    m = NAME.match(name)
    return f"{m[1]}-{m[2]}-{m[3]} {m[4]}:{m[5]}:{m[6]}" if m else None


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
        if mode not in self.references:
            target = os.path.join(tempfile.mkdtemp(prefix="qb_reference_"), "ref.sql")
            host.client_output(target, self.client_env(mode))
            self.references[mode] = read(target)
            shutil.rmtree(os.path.dirname(target))
        return self.references[mode]

    def install(self, ini, where=None):
        """A folder holding a copy of the program and its backup.ini."""
        folder = os.path.join(where or self.tmp, "app")
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
        started = datetime.datetime.now().replace(microsecond=0)
        code = host.run(app, list(args), self.client_env(mode, **extra))
        ended = datetime.datetime.now()
        return code, started, ended

    def assert_backup(self, dest, name, mode, started, ended):
        """One archive named for a second of the run, holding the whole dump; no dump left."""
        when = datetime.datetime.strptime(timestamp_of(name), "%Y-%m-%d %H:%M:%S")
        self.assertTrue(started <= when <= ended, f"{name} outside {started}..{ended}")
        self.assertFalse(os.path.exists(os.path.join(dest, name[:-4] + ".sql")))
        with zipfile.ZipFile(os.path.join(dest, name)) as z:
            self.assertEqual(z.namelist(), [name[:-4] + ".sql"])
            self.assertIsNone(z.testzip())
            self.assertEqual(z.read(z.namelist()[0]), self.reference(mode))
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
                self.assertEqual(lastrun(os.path.join(app, "backup.ini")), timestamp_of(files[0]))
                # The folder as read stands for the secondary destination too.
                self.assertIn(f"secundario.data={host.folder_value(dest)}", read(os.path.join(app, "backup.ini")).decode())

    def test_failed_dumps(self):
        cases = [("1", "principal", "fail:3"), ("2", "secundario", "half:2"),
                 ("secundario", "secundario", "empty"), ("", "principal", "fail:1")]
        for selector, name, mode in cases:
            with self.subTest(mode=mode):
                root = tempfile.mkdtemp(dir=self.tmp)
                dest = os.path.join(root, "dest")
                os.makedirs(dest)
                app = self.install(self.ini_for(dest, dest), root)
                code, _, _ = self.run_program(app, *([selector] if selector else []), mode=mode)
                self.assertEqual(code, 0)
                self.assertEqual(lastrun(os.path.join(app, "backup.ini")), DUMP_FAILED.format(name))
                files = os.listdir(dest)
                self.assertEqual(len(files), 1, files)
                self.assertTrue(files[0].endswith(".sql"))
                self.assertEqual(read(os.path.join(dest, files[0])), self.reference(mode))

    def test_archive_that_cannot_be_written(self):
        # Folders where this run's archives would go: the dump is made, the archive is not.
        dest = os.path.join(self.tmp, "dest")
        now = datetime.datetime.now()
        for s in range(-2, 60):
            t = now + datetime.timedelta(seconds=s)
            os.makedirs(os.path.join(dest, f"resp_quolmer_{t.year}_{t.month}_{t.day}_{t:%H%M%S}.zip"))
        app = self.install(self.ini_for(dest))
        code, _, _ = self.run_program(app)
        self.assertEqual(code, 0)
        self.assertEqual(lastrun(os.path.join(app, "backup.ini")), ZIP_FAILED.format("principal"))
        dumps = [f for f in os.listdir(dest) if f.endswith(".sql")]
        self.assertEqual(len(dumps), 1)
        self.assertEqual(read(os.path.join(dest, dumps[0])), self.reference("canned"))

    def test_missing_destination_folder(self):
        dest = os.path.join(self.tmp, "not there")
        app = self.install(self.ini_for(dest))
        code, _, _ = self.run_program(app, "1")
        self.assertEqual(code, 0)
        self.assertEqual(lastrun(os.path.join(app, "backup.ini")), DUMP_FAILED.format("principal"))
        self.assertFalse(os.path.exists(dest))

    def test_folder_names_that_need_quoting(self):
        names = ["Mis Respaldos", "a&b (x);y=1,z^!"]
        if not host.cmd_shell:
            names.append("it's \"quoted\" $(touch PWNED) `touch PWNED` & x")
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
            self.skipTest("/bin/sh gets every folder value quoted (see the quoting test)")
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        marker = os.path.join(self.tmp, "hacked.txt")
        folder = f'{host.folder_value(dest)}" & echo hacked > "{host.folder_value(marker)}'
        app = self.install(f"[CONFIG]\r\nprincipal.data={folder}\r\n")
        code, _, _ = self.run_program(app)
        self.assertEqual(code, 0)
        self.assertEqual(lastrun(os.path.join(app, "backup.ini")), DUMP_FAILED.format("principal"))
        self.assertFalse(os.path.exists(marker))
        self.assertEqual(os.listdir(dest), [])

    def test_two_runs_started_together_into_one_folder(self):
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        app = self.install(self.ini_for(dest))
        # Both start just after a second begins, and their dumps overlap.
        time.sleep(1.05 - time.time() % 1)
        results = {}
        threads = [threading.Thread(target=lambda s=s: results.__setitem__(
            s, self.run_program(app, s, QB_DUMP_DELAY_MS="1500"))) for s in ("1", "2")]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual([results[s][0] for s in ("1", "2")], [0, 0])
        files = sorted(os.listdir(dest))
        self.assertEqual(len(files), 2, (files, lastrun(os.path.join(app, "backup.ini"))))
        for name in files:
            self.assert_backup(dest, name, "canned", min(r[1] for r in results.values()),
                               max(r[2] for r in results.values()))
        self.assertIn(lastrun(os.path.join(app, "backup.ini")), [timestamp_of(f) for f in files])

    def run_on_drive_c(self, *args, secondary=None, hidden_ini=False):
        """Runs the program installed on drive C, where names that begin with a backslash land at
        the drive's root. Returns the folders, what appeared at the root (removed after the test),
        and the run's exit code and times."""
        if not host.cmd_shell:
            self.skipTest("on /bin/sh such names land at the root of the file system")
        where = tempfile.mkdtemp(prefix="qb_backup_", dir=host.drive_c())
        self.addCleanup(shutil.rmtree, where, True)
        dest = os.path.join(where, "dest")
        os.makedirs(dest)
        app = self.install(self.ini_for(dest, secondary), where)
        if hidden_ini:
            host.hide(os.path.join(app, "backup.ini"))
        before = set(os.listdir(host.drive_c()))
        run = self.run_program(app, *args)
        made = sorted(set(os.listdir(host.drive_c())) - before)
        for name in made:
            self.addCleanup(os.remove, os.path.join(host.drive_c(), name))
        return app, dest, made, run

    def test_secondary_folder_present_but_empty(self):
        _, dest, made, (code, started, ended) = self.run_on_drive_c("2", secondary="")
        self.assertEqual(code, 0)
        self.assertEqual(len(made), 1, made)
        self.assert_backup(host.drive_c(), made[0], "canned", started, ended)
        self.assertEqual(os.listdir(dest), [])

    def test_hidden_settings_file_counts_as_missing(self):
        app, dest, made, (code, _, _) = self.run_on_drive_c("1", hidden_ini=True)
        self.assertEqual(code, 1)
        self.assertEqual(read(os.path.join(app, "backup.ini")).decode(), self.ini_for(dest))
        self.assertIn(b"Variable does not exist: OINI", read(os.path.join(app, "Error.log")))
        # The run went on at the drive's root, and what it made there stays, the dump included:
        # the failing status write comes before the deletion.
        self.assertEqual([n[-4:] for n in made], [".sql", ".zip"], made)
        self.assertEqual(read(os.path.join(host.drive_c(), made[0])), self.reference("canned"))

    def test_utf16_settings_file(self):
        # Notepad's "Unicode": UTF-16LE behind its byte order mark; a folder name outside ASCII.
        dest = os.path.join(self.tmp, "Copias a\u00f1o")
        os.makedirs(dest)
        app = self.install("")
        ini = os.path.join(app, "backup.ini")
        folder = host.folder_value(dest)
        with open(ini, "wb") as f:
            f.write(f"\ufeff[CONFIG]\r\nprincipal.data={folder}\r\n".encode("utf-16-le"))
        # A folder read as empty sends the backup to the root: take away what lands there.
        root = set(os.listdir("/"))

        def tidy_root():
            for name in set(os.listdir("/")) - root:
                if NAME.match(name):
                    os.remove(os.path.join("/", name))
        self.addCleanup(tidy_root)
        code, started, ended = self.run_program(app, "1")
        self.assertEqual(code, 0)
        self.assertEqual(set(os.listdir("/")) - root, set())
        files = os.listdir(dest)
        self.assertEqual(len(files), 1, files)
        self.assert_backup(dest, files[0], "canned", started, ended)
        text = (f"\ufeff[CONFIG]\r\nprincipal.data={folder}\r\nsecundario.data={folder}\r\n"
                f"[RESULT]\r\nlastrun={timestamp_of(files[0])}\r\n")
        self.assertEqual(read(ini), text.encode("utf-16-le"))

    def test_writable_settings_file_in_a_folder_the_run_cannot_write(self):
        if host.cmd_shell:
            self.skipTest("Wine runs only as the owner of its prefix")
        # As nobody, without root's override: the folder takes no temporary file, the file is
        # writable.
        dest = os.path.join(self.tmp, "dest")
        os.makedirs(dest)
        os.chmod(dest, 0o777)
        os.chmod(self.tmp, 0o755)
        yesterday = "2016-4-16 01:36:42"
        before = self.ini_for(dest, dest) + f"[RESULT]\r\nlastrun={yesterday}\r\n"
        app = self.install(before)
        ini = os.path.join(app, "backup.ini")
        os.chmod(ini, 0o666)
        os.chmod(app, 0o555)
        inode = os.stat(ini).st_ino
        for mode in ["fail:3", "canned"]:
            with self.subTest(mode=mode):
                code = subprocess.run(["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                       os.path.join(app, host.program_name), "1"], cwd=app,
                                      env=self.client_env(mode), capture_output=True).returncode
                self.assertEqual(code, 0)
                archives = [f for f in os.listdir(dest) if f.endswith(".zip")]
                status = timestamp_of(archives[0]) if archives else DUMP_FAILED.format("principal")
                self.assertEqual(read(ini).decode(), before.replace(yesterday, status))
                self.assertEqual(sorted(os.listdir(app)), sorted([host.program_name, "backup.ini"]))
                self.assertEqual(os.stat(ini).st_ino, inode)


def main():
    global opts, host
    parser = argparse.ArgumentParser()
    parser.add_argument("--target", choices=["native", "win32"], required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--client", required=True)
    parser.add_argument("--source", required=True)
    opts, rest = parser.parse_known_args()
    if opts.target == "native" and os.environ.get("QB_BACKUP_NAMESPACE") != "1":
        if os.geteuid() != 0:
            print("needs root for a private mount namespace")
            return 77
        os.environ["QB_BACKUP_NAMESPACE"] = "1"
        return subprocess.run(["unshare", "-m", "sh", "-c", 'mount -t tmpfs tmpfs /opt && exec "$@"',
                               "sh", sys.executable, *sys.argv]).returncode
    host = Native() if opts.target == "native" else Win32()
    return 0 if unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False).result.wasSuccessful() else 1


host = None
if __name__ == "__main__":
    sys.exit(main())
