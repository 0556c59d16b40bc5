#!/usr/bin/env python3
"""Writes a text file as the system it ships to reads it: CR LF line ends and the ANSI code page
for Notepad, UTF-16 with its byte-order mark for the Task Scheduler.

    text_file.py {ansi|utf-16} INPUT OUTPUT
"""
import sys

ENCODINGS = {"ansi": ("cp1252", b""), "utf-16": ("utf-16-le", b"\xff\xfe")}


def main():
    encoding, bom = ENCODINGS[sys.argv[1]]
    with open(sys.argv[2], encoding="utf-8") as f:
        text = f.read()
    with open(sys.argv[3], "wb") as f:
        f.write(bom + text.replace("\n", "\r\n").encode(encoding))


if __name__ == "__main__":
    main()
