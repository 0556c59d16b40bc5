#!/usr/bin/env python3
"""Independent readers (zipinfo, Python's zipfile, unzip -t, 7z t) judge what HB_ZIPFILE writes.

  check_archive.py headers DRIVER [EMULATOR]  a dump packed as the backup run packs it, and data
                                              at the edges of the archiver's blocks, each packed
                                              by 1, 2, 3 and 16 threads into the same bytes, and
                                              into those bytes again while a client writes it
  check_archive.py scale DRIVER               entries just under and just over 4 GiB, packed as
                                              a file and as a dump followed

DRIVER is the zipfile_driver program; EMULATOR runs it when it is a Windows program. The work
happens in a scratch folder below the current one, removed at the end.
"""
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

failures = []
CHUNK = 1 << 24
BLOCK = 131072  # the archiver deflates blocks of this size on its threads
THREADS = (1, 2, 3, 16)


def expect(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def dump_text(size):
    """Deterministic INSERT lines, as a dump brings them."""
    lines, written, row = [], 0, 0
    while written < size:
        row += 1
        line = (f"INSERT INTO `clientes` VALUES ({row},'Cliente {row * 7919 % 10007}',"
                f"'Calle {row % 211} #{row % 97}','{2000 + row % 24}-{1 + row % 12:02}-"
                f"{1 + row % 28:02}',{row * 31 % 100000}.{row % 100:02});\n").encode()
        lines.append(line)
        written += len(line)
    return b"".join(lines)[:size]


def edge_data():
    """(name, bytes, zipinfo's apparent file type): the text flag is zlib's verdict on the first
    deflate block of one stream, which the long repeated line stretches into the zeros."""
    text = dump_text(3 * BLOCK + 4321)
    rnd = random.Random(7)
    unit = rnd.randbytes(1000)
    return [
        ("empty", b"", "binary"),
        ("one byte", b"x", "text"),
        ("one block", text[:BLOCK], "text"),
        ("one block and a byte", text[:BLOCK + 1], "text"),
        ("cut inside a match", unit * 300, "binary"),
        ("incompressible", rnd.randbytes(2 * BLOCK + 999), "binary"),
        ("binary first block", rnd.randbytes(BLOCK) + text, "binary"),
        ("text, then zeros", text + bytes(BLOCK), "text"),
        ("a long first deflate block",
         b"INSERT INTO `t` VALUES (1,'quolmer');\n" * 5300 + bytes(2 << 20), "binary"),
    ]


def digest(path):
    crc, size = 0, 0
    with open(path, "rb") as f:
        while block := f.read(CHUNK):
            crc, size = zlib.crc32(block, crc), size + len(block)
    return crc, size


def client_writing(data, steps):
    """A dump client: each step (bytes, pause in seconds) writes the data's next bytes and then
    pauses; one last write gives the rest. It empties the file first, as a shell's redirection."""
    def write(path):
        with open(path, "wb", buffering=0) as f:
            at = 0
            for count, pause in steps:
                f.write(data[at:at + count])
                at += count
                time.sleep(pause)
            f.write(data[at:])
    return write


CLIENTS = {
    "pauses": [(100000, .03), (5000, .03), (300000, .02)],
    "one byte at a time": [(1, 0)] * 2000,
    "1 MiB writes": [(1 << 20, 0)] * 3,
    "a pause at a block boundary": [(BLOCK, .1), (BLOCK, .1)],
}


def wait_for_line(out, line, proc):
    """Until the driver has written the line to its output file; false when it ended first."""
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        out.seek(0)
        if line in out.read().split("\n"):
            return True
        if proc.poll() is not None:
            return False
        time.sleep(0.02)
    return False


def pack(driver, emulator, zip_path, sql_path, threads=None, client=None):
    """Runs the driver with --check, in Windows form for the emulator (Wine maps / to Z:). With a
    client, the driver follows the file as the run follows its dump: the client writes it once the
    driver follows, and its end is the end of the driver's standard input."""
    def name(path):
        return "Z:" + path.replace("/", "\\") if emulator else path
    command = ([emulator] if emulator else []) + [driver, "--check"]
    command += ["--threads", str(threads)] if threads else []
    command += ["--follow"] if client else []
    command += [name(zip_path), name(sql_path)]
    # Files, not pipes, for what it says: a wineserver started by the driver would hold a pipe
    # open for seconds.
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=out, stderr=err)
        if client and wait_for_line(out, "following", proc):
            client(sql_path)
        proc.stdin.close()
        code = proc.wait()
        out.seek(0)
        err.seek(0)
        said, complaint = out.read().replace("following\n", "").strip(), err.read().strip()
    expect(code == 0, f"driver exit code {code}: {complaint}")
    expect(said == "intact", f"driver's own read-back said {said!r}")


def zipinfo(zip_path):
    """zipinfo -v's text and the first value of each 'key: value' line."""
    text = subprocess.run(["zipinfo", "-v", zip_path], capture_output=True, text=True).stdout
    fields = {}
    for line in text.splitlines():
        m = re.match(r"\s{2}(\S.*?):\s{2,}(.*)$", line)
        if m:
            fields.setdefault(m.group(1), m.group(2).strip())
    return text, fields


def unzip_test(zip_path):
    run = subprocess.run(["unzip", "-t", zip_path], capture_output=True, text=True)
    expect(run.returncode == 0 and "No errors detected" in run.stdout,
           f"unzip -t: {run.stdout.strip()} {run.stderr.strip()}")


def sevenzip_test(zip_path):
    run = subprocess.run(["7z", "t", zip_path], capture_output=True, text=True)
    expect(run.returncode == 0 and "Everything is Ok" in run.stdout,
           f"7z t: {run.stdout.strip()[-300:]} {run.stderr.strip()}")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def pack_by_threads(driver, emulator, zip_path, sql_path):
    """Packs with each thread count; every archive must be the same bytes."""
    first = None
    for threads in THREADS:
        if os.path.exists(zip_path):
            os.remove(zip_path)  # the driver would add to it
        pack(driver, emulator, zip_path, sql_path, threads)
        made = read_bytes(zip_path)
        first = made if first is None else first
        expect(made == first, f"{os.path.basename(sql_path)}: {threads} threads made other bytes")


def pack_followed(driver, emulator, zip_path, sql_path, data, clients):
    """Packs the file while each client writes the data into it, as the run packs its dump into a
    temporary archive; each archive must be the bytes packing the finished file made."""
    expected = read_bytes(zip_path)
    followed = os.path.join(os.path.dirname(zip_path), "." + os.path.basename(zip_path) + ".tmp")
    for label in clients:
        with open(sql_path, "wb"):
            pass  # the run creates the dump file empty before the client starts
        pack(driver, emulator, followed, sql_path, client=client_writing(data, CLIENTS[label]))
        expect(read_bytes(followed) == expected,
               f"{os.path.basename(sql_path)}, {label}: followed, other bytes")
        yield followed


def local_header(zip_path):
    """The first local header: version needed, flags, method, time, date, crc, sizes, name, extra."""
    with open(zip_path, "rb") as f:
        head = f.read(30)
        sig, need, flags, method, time, date, crc, csize, usize, nlen, xlen = struct.unpack(
            "<IHHHHHIIIHH", head)
        assert sig == 0x04034B50, "no local header at the start"
        name, extra = f.read(nlen), f.read(xlen)
    return dict(need=need, flags=flags, method=method, time=time, date=date, crc=crc,
                csize=csize, usize=usize, name=name, extra=extra)


def python_reads_whole(zf, info, crc, size):
    got_crc, got = 0, 0
    with zf.open(info) as entry:  # zipfile checks the CRC itself at the end
        while block := entry.read(CHUNK):
            got_crc, got = zlib.crc32(block, got_crc), got + len(block)
    expect((got_crc, got) == (crc, size), f"zipfile read {got} bytes, CRC {got_crc:08x}")


def check_entry(zip_path, sql_path, file_type):
    """The header values of the one entry, as zipinfo, zipfile and the raw local header see them,
    and the data as zipfile, unzip and 7z read it."""
    import zipfile
    crc, size = digest(sql_path)
    name = os.path.basename(sql_path)
    text, f = zipinfo(zip_path)
    expected = {
        "file system or operating system of origin": "MS-DOS, OS/2 or NT FAT",
        "version of encoding software": "2.0",
        "minimum software version required to extract": "2.0",
        "compression method": "deflated",
        "compression sub-type (deflation)": "normal",
        "file security status": "not encrypted",
        "extended local header": "no",
        "file last modified on (DOS date/time)": "1980 000 0 00:00:00",
        "32-bit CRC value (hex)": f"{crc:08x}",
        "uncompressed size": f"{size} bytes",
        "length of extra field": "0 bytes",
        "length of file comment": "0 characters",
        "apparent file type": file_type,
        "non-MSDOS external file attributes": "000000 hex",
        "MS-DOS file attributes (00 hex)": "none",
    }
    for key, value in expected.items():
        expect(f.get(key) == value, f"{name}: zipinfo {key}: {f.get(key)!r}, expected {value!r}")
    expect("central directory contains 1 entry" in text, f"{name}: zipinfo: not exactly one entry")
    expect("There is no zipfile comment." in text, f"{name}: zipinfo: the archive has a comment")

    with zipfile.ZipFile(zip_path) as zf:
        infos = zf.infolist()
        expect(len(infos) == 1, f"{name}: zipfile sees {len(infos)} entries")
        i = infos[0]
        got = dict(name=i.filename, made_by=(i.create_system, i.create_version),
                   needed=i.extract_version, flags=i.flag_bits, method=i.compress_type,
                   date=i.date_time, internal=i.internal_attr, external=i.external_attr,
                   extra=i.extra, crc=i.CRC, size=i.file_size)
        want = dict(name=name, made_by=(0, 20), needed=20, flags=0, method=8,
                    date=(1980, 0, 0, 0, 0, 0), internal=int(file_type == "text"), external=0,
                    extra=b"", crc=crc, size=size)
        for key in want:
            expect(got[key] == want[key], f"{name}: zipfile {key}: {got[key]!r}, expected {want[key]!r}")
        with open(sql_path, "rb") as source:
            expect(zf.read(i) == source.read(), f"{name}: zipfile: the entry differs from the file")
        compressed, data_at = i.compress_size, i.header_offset
        directory_at = zf.start_dir

    lh = local_header(zip_path)
    expect((lh["need"], lh["flags"], lh["method"], lh["time"], lh["date"]) == (20, 0, 8, 0, 0),
           f"{name}: local header fields {lh}")
    expect((lh["crc"], lh["csize"], lh["usize"]) == (crc, compressed, size),
           f"{name}: local header CRC and sizes differ from the directory's")
    expect(lh["extra"] == b"", f"{name}: local header has an extra field")
    # No data descriptor: the directory starts right after the entry's data.
    expect(directory_at == data_at + 30 + len(lh["name"]) + compressed,
           f"{name}: something lies between the entry's data and the directory")
    unzip_test(zip_path)
    sevenzip_test(zip_path)


def check_headers(work, driver, emulator):
    base = "resp_quolmer_2016_4_16_013642"
    sql, zip_path = os.path.join(work, base + ".sql"), os.path.join(work, base + ".zip")
    dump = dump_text(3 * 1024 * 1024 + 12345)
    with open(sql, "wb") as f:
        f.write(dump)
    pack(driver, emulator, zip_path, sql)
    check_entry(zip_path, sql, "text")
    pack_by_threads(driver, emulator, zip_path, sql)
    for followed in pack_followed(driver, emulator, zip_path, sql, dump, CLIENTS):
        check_entry(followed, sql, "text")

    for n, (label, data, file_type) in enumerate(edge_data()):
        sql, zip_path = os.path.join(work, f"edge{n}.sql"), os.path.join(work, f"edge{n}.zip")
        with open(sql, "wb") as f:
            f.write(data)
        pack_by_threads(driver, emulator, zip_path, sql)
        print(f"{label}: edge{n}.zip")
        check_entry(zip_path, sql, file_type)
        for _ in pack_followed(driver, emulator, zip_path, sql, data,
                               ["a pause at a block boundary"]):
            pass


# Entries whose headers need ZIP64 room: just under 4 GiB (32-bit sizes, but deflate's growth could
# pass them, so the local header has the room) and just over (ZIP64 sizes in both headers); each
# followed by one number of workers as well.
SCALE = [("4 GiB - 1 MiB", (4 << 30) - (1 << 20), 1), ("4 GiB + 1 MiB", (4 << 30) + (1 << 20), 2)]
# Where the archiver starts giving an entry ZIP64 room: the size at which a dump followed while
# it grows gets its header widened.
ZIP64_ROOM = 4292871103
SCALE_TEXT = b"INSERT INTO `t` VALUES (1,'quolmer');\n" * 5000


def scale_marks(size):
    """Where dump text stands in a file of that size, mostly zeros (a sparse file costs no disk):
    at the start, across the ZIP64 mark and 4 GiB where the file reaches them, and at the end."""
    middle = [m - len(SCALE_TEXT) // 2 for m in (ZIP64_ROOM, 4 << 30) if m < size - len(SCALE_TEXT)]
    return [0] + middle + [size - len(SCALE_TEXT)]


def sparse_client(size, pause):
    """A client writing that file in bursts, a pause after each: the text at each mark, each
    burst running from there (zeros, in a hole) into the next mark's text, so that the bursts
    straddle the ZIP64 mark and 4 GiB."""
    def write(path):
        with open(path, "r+b", buffering=0) as f:
            for at in scale_marks(size):
                f.truncate(at)
                f.seek(at)
                f.write(SCALE_TEXT)
                time.sleep(pause)
    return write


def check_scale(work, driver):
    import zipfile
    for label, size, threads in SCALE:
        sql, zip_path = os.path.join(work, "big.sql"), os.path.join(work, "big.zip")
        for path in (sql, zip_path):
            if os.path.exists(path):
                os.remove(path)
        with open(sql, "wb"):
            pass
        sparse_client(size, 0)(sql)
        crc, real_size = digest(sql)
        expect(real_size == size, f"{label}: generated {real_size} bytes")
        pack(driver, None, zip_path, sql)

        over = size >= 0xFFFFFFFF
        text, f = zipinfo(zip_path)
        expect(f.get("uncompressed size") == f"{size} bytes", f"{label}: zipinfo size")
        expect(f.get("32-bit CRC value (hex)") == f"{crc:08x}", f"{label}: zipinfo CRC")
        expect(f.get("minimum software version required to extract") == ("4.5" if over else "2.0"),
               f"{label}: zipinfo version needed")
        expect(("PKWARE 64-bit sizes" in text) == over,
               f"{label}: zipinfo: ZIP64 field in the directory only for sizes past 32 bits")
        lh = local_header(zip_path)
        zip64 = lh["extra"][:4] == struct.pack("<HH", 1, 16)
        expect(lh["need"] == 45 and zip64, f"{label}: local header lacks ZIP64 room")
        local_size = struct.unpack("<Q", lh["extra"][4:12])[0] if over else lh["usize"]
        expect(zip64 and local_size == size, f"{label}: local header's size {local_size}")
        unzip_test(zip_path)
        sevenzip_test(zip_path)
        with zipfile.ZipFile(zip_path) as zf:
            i = zf.infolist()[0]
            expect((i.file_size, i.CRC) == (size, crc), f"{label}: zipfile size {i.file_size}")
            python_reads_whole(zf, i, crc, size)
        # Followed while a client writes it, the entry opened long before the dump reaches the
        # ZIP64 mark is widened once on the way, never packed again: the same bytes.
        followed = os.path.join(work, ".big.zip.tmp")
        with open(sql, "wb"):
            pass
        pack(driver, None, followed, sql, threads, client=sparse_client(size, 0.2))
        expect(read_bytes(followed) == read_bytes(zip_path),
               f"{label}, {threads} threads: followed, other bytes than the file's")
        print(f"{label}: all readers agree")


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("headers", "scale"):
        sys.exit(__doc__)
    mode, driver = sys.argv[1], os.path.abspath(sys.argv[2])
    work = tempfile.mkdtemp(prefix=f"archive_{mode}_", dir=os.getcwd())
    try:
        if mode == "headers":
            check_headers(work, driver, sys.argv[3] if len(sys.argv) > 3 else None)
        else:
            check_scale(work, driver)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{mode}: {'FAILED' if failures else 'all readers agree'}")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
