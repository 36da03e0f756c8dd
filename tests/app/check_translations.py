#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails on a translation of the window that is missing, unfinished or left over
# from removed code, and on one whose %1 to %9 or %n differ from its source's.
# Each .ts file is first brought in step with the code in a scratch copy, so a
# text added to the code but not to the translations counts as missing.
#
#   check_translations.py LUPDATE SOURCE_DIR TS_FILE...
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

PLACEHOLDER = re.compile(r"%L?n|%[1-9]")


def problems_in(ts_file, lupdate, sources, scratch):
    copy = Path(scratch, Path(ts_file).name)
    shutil.copy(ts_file, copy)
    # English carries only its plural forms; its other texts are the sources themselves.
    only_plurals = ["-pluralonly"] if copy.stem.endswith("_en") else []
    run = subprocess.run([lupdate, "-silent", "-locations", "none", *only_plurals, sources, "-ts",
                          copy], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{lupdate} failed:\n{run.stderr}")
    for context in ET.parse(copy).getroot().iter("context"):
        for message in context.iter("message"):
            source = message.findtext("source")
            where = f"{copy.name}: {context.findtext('name')}: {source!r}"
            translation = message.find("translation")
            state = translation.get("type")
            if state in ("vanished", "obsolete"):
                yield f"{where}: no longer in the code"
                continue
            forms = ([form.text or "" for form in translation.iter("numerusform")]
                     if message.get("numerus") == "yes" else [translation.text or ""])
            if state == "unfinished" or not all(forms):
                yield f"{where}: not translated"
                continue
            for form in forms:
                if sorted(PLACEHOLDER.findall(form)) != sorted(PLACEHOLDER.findall(source)):
                    yield f"{where}: {form!r} has other placeholders"


def main(lupdate, sources, *ts_files):
    with tempfile.TemporaryDirectory() as scratch:
        problems = [p for ts in ts_files for p in problems_in(ts, lupdate, sources, scratch)]
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print("Bring them in step with `cmake --build build/default --target update_translations`,"
              " then translate what is new.", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
