#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Second opinions on property-list strings for the codec's differential test.
#
# Usage: plist_oracle.py DIR [--plistutil] < IN
#
# Each line of IN is one case: the text as UTF-8 and the value our encoder wrote,
# both in hex. For case N, plistlib's binary and XML values for the text go to
# DIR/N.bin and DIR/N.xml (empty when plistlib refuses the text), and output line
# N says whether our value has plistlib's bytes and whether plistlib and, with
# --plistutil, libplist's plistutil read it back as the text.
import concurrent.futures
import datetime
import pathlib
import plistlib
import subprocess
import sys
import tempfile


# Values other tools store instead of one string. Whatever IN holds, plistlib's
# binary and XML values for OTHERS[N] go to DIR/otherN.bin and DIR/otherN.xml.
OTHERS = [["harbour", "dawn", "boats"], 2**64 - 1, 0.5, datetime.datetime(2024, 6, 1),
          ["\u00e9\U0001F600", "", "\u00e9\U0001F600"], b"\0\1\2", True, ["a", 1], {"k": "v"}, []]


def plistutil_read(value):
    # plistutil parses our value and writes it again as binary, which plistlib
    # then reads; its XML output would not do, as libplist 2.2 cuts ASCII
    # strings there at the first NUL. The value goes through a file because
    # plistutil 2.2 reads standard input slowly and corrupts its heap on some
    # lengths when doing so.
    with tempfile.NamedTemporaryFile(suffix=".plist") as source:
        source.write(value)
        source.flush()
        copy = subprocess.run(["plistutil", "-i", source.name, "-o", "-", "-f", "bin"],
                              capture_output=True, check=True).stdout
    return plistlib.loads(copy)


def verdict(name, reader, value, text):
    try:
        return name + ("=ok" if reader(value) == text else "=differs")
    except Exception as error:  # any failure to read is a finding, not a crash
        return name + "=error:" + type(error).__name__


def answer(number, line):
    text, ours = (bytes.fromhex(part) for part in line.split(" "))
    text = text.decode()
    binary = plistlib.dumps(text, fmt=plistlib.FMT_BINARY)
    try:
        xml = plistlib.dumps(text, fmt=plistlib.FMT_XML)
    except ValueError:  # control characters
        xml = b""
    folder = pathlib.Path(sys.argv[1])
    (folder / f"{number}.bin").write_bytes(binary)
    (folder / f"{number}.xml").write_bytes(xml)
    same = "bytes=same" if ours == binary else f"bytes=differ:{len(ours)}vs{len(binary)}"
    verdicts = [same, verdict("plistlib", plistlib.loads, ours, text)]
    if "--plistutil" in sys.argv:
        verdicts.append(verdict("plistutil", plistutil_read, ours, text))
    return " ".join(verdicts)


for n, value in enumerate(OTHERS):
    for fmt, suffix in ((plistlib.FMT_BINARY, "bin"), (plistlib.FMT_XML, "xml")):
        pathlib.Path(sys.argv[1], f"other{n}.{suffix}").write_bytes(plistlib.dumps(value, fmt=fmt))

# One plistutil process per value; two at a time keep a large corpus quick.
with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
    lines = sys.stdin.read().splitlines()
    print("\n".join(pool.map(lambda item: answer(*item), enumerate(lines))))
