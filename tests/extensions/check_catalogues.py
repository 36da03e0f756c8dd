#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Every text the extensions show has its German and French translation, and no translation is
# kept for a text they no longer show. The texts are found where they are written: the
# labels and kinds in the store's tables, the rest in the extensions' sources.
#
#   check_catalogues.py SOURCE_DIR
import glob, os, re, sys

root = sys.argv[1]


def read(path):
    with open(os.path.join(root, path), encoding="utf-8") as file:
        return file.read()


def unquote(text):
    return re.sub(r"\\(.)", r"\1", text)  # the escapes our texts use: \" and \\


shown = set(re.findall(r'QUILLMARK_VALUE_NAME\("[^"]*", "([^"]*)"', read("attrstore/names.h")))
shown |= set(re.findall(r'\{StoredValue::Kind::\w+, "([^"]*)"\}', read("attrstore/codec.h")))
shown |= set(re.findall(r'\{(?:kPositionsInWindowOrder\[\d\]|kTags), "([^"]*)"\}', read("extensions/core/shown_columns.h")))
shown |= set(re.findall(r'"([^"]*)"', re.search(r"kColourNames = \{(.*?)\};", read("extensions/glib/texts.cpp"), re.S)[1]))
for source in glob.glob(os.path.join(root, "extensions", "**", "*.cpp"), recursive=True):
    shown |= {unquote(text) for text in re.findall(r'translated\("((?:[^"\\]|\\.)*)"\)', open(source, encoding="utf-8").read())}

failures = []
for language in ("de", "fr"):
    entries = dict(re.findall(r'^msgid "((?:[^"\\]|\\.)*)"\nmsgstr "((?:[^"\\]|\\.)*)"$', read(f"extensions/po/{language}.po"), re.M))
    entries = {unquote(k): v for k, v in entries.items() if k}
    failures += [f"{language}: no translation of {text!r}" for text in sorted(shown) if not entries.get(text)]
    failures += [f"{language}: {text!r} is no longer shown" for text in sorted(set(entries) - shown)]
print("\n".join(failures) or f"{len(shown)} texts translated in German and French")
sys.exit(1 if failures else 0)
