#!/usr/bin/env python3
"""Second opinions on property-list strings for the codec's differential test.

Usage: plist_oracle.py IN OUT [--plistutil]

IN holds pairs of records (text as UTF-8, the value our encoder wrote), each
record a 4-byte big-endian length and its bytes. For every pair OUT receives
three records: plistlib's binary value for the text, plistlib's XML value (empty
when plistlib refuses the text), and a verdict line saying whether plistlib and,
with --plistutil, libplist's plistutil read our value back as the same text.
"""
import concurrent.futures
import plistlib
import struct
import subprocess
import sys
import tempfile


def read_records(path):
    data = open(path, "rb").read()
    pos, records = 0, []
    while pos < len(data):
        (size,) = struct.unpack_from(">I", data, pos)
        records.append(data[pos + 4:pos + 4 + size])
        pos += 4 + size
    return records


def verdict(reader, value, text):
    try:
        return "ok" if reader(value) == text else "differs"
    except Exception as error:  # any failure to read is a finding, not a crash
        return "error:" + type(error).__name__


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


def main():
    source, target = sys.argv[1], sys.argv[2]
    use_plistutil = "--plistutil" in sys.argv[3:]
    records = read_records(source)
    pairs = [(ours, text.decode("utf-8")) for text, ours in zip(records[0::2], records[1::2])]
    plistutil_verdicts = [None] * len(pairs)
    if use_plistutil:
        # One plistutil process per value; two at a time keeps a large corpus quick.
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            plistutil_verdicts = list(pool.map(lambda p: verdict(plistutil_read, *p), pairs))
    with open(target, "wb") as out:
        def put(blob):
            out.write(struct.pack(">I", len(blob)) + blob)

        for (ours, text), from_plistutil in zip(pairs, plistutil_verdicts):
            put(plistlib.dumps(text, fmt=plistlib.FMT_BINARY))
            try:
                put(plistlib.dumps(text, fmt=plistlib.FMT_XML))
            except ValueError:  # control characters
                put(b"")
            verdicts = ["plistlib=" + verdict(plistlib.loads, ours, text)]
            if from_plistutil is not None:
                verdicts.append("plistutil=" + from_plistutil)
            put(" ".join(verdicts).encode())


if __name__ == "__main__":
    main()
