#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# --desktop-copies as KDE's own library (the one its file manager and search use) reads them after
# set, write-folder and import, and on a volume that keeps no attributes (the kernel's FAT answers), where
# the values go to the sidecar but the copies cannot.
import os, subprocess, tempfile, unittest

from cli_test import put, run
from sidecar_test import run_emulated

READER = os.environ.get("QUILLMARK_KDE_READER")


def kde(path):
    # "tags: a|b\ncomment: text\n"; a leak in KDE's library is not ours to report.
    return subprocess.run([READER, path], capture_output=True, text=True,
                          env=dict(os.environ, ASAN_OPTIONS="detect_leaks=0")).stdout


@unittest.skipUnless(READER, "no KDE reader: scripts/install-deps installs libkf5filemetadata-dev")
class DesktopCopies(unittest.TestCase):
    def test_set_and_write_folder_keep_them_in_step_and_say_what_cannot_be_kept(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(subprocess.run, ["rm", "-rf", folder])
        item = os.path.join(folder, "a.jpg")
        open(item, "w").close()
        os.setxattr(item, "user.xdg.tags", b"old")
        self.assertEqual(run("set", "--keywords", " sea, boat ,, Ünï ", item), (0, "", ""))
        self.assertEqual(kde(item), "tags: old\ncomment: \n")  # only when asked
        self.assertEqual(run("set", "--description", "Pier", "--desktop-copies", item), (0, "", ""))
        self.assertEqual(kde(item), "tags: sea|boat|Ünï\ncomment: Pier\n")
        self.assertEqual(run("set", "--remove", "keywords", "--desktop-copies", item), (0, "", ""))
        self.assertEqual(kde(item), "tags: \ncomment: Pier\n")
        # Keywords kept as a list by another tool: an item holding a comma is not split.
        put(item, "Keywords", ["Smith, John", " quay "])
        self.assertEqual(run("write-folder", "--creator", "Ada", "--desktop-copies", folder),
                         (1, "", item + ': setxattr error: a desktop tag cannot hold a comma: "Smith, John"\n'))
        self.assertEqual(kde(item), "tags: quay\ncomment: Pier\n")
        open(os.path.join(folder, "b.jpg"), "w").close()
        line = b'{"path": "b.jpg", "keywords": "dock, pier", "description": "Quay"}\n'
        self.assertEqual(run("import", "--root", folder, "--desktop-copies", "-", stdin=line), (0, "", ""))
        self.assertEqual(kde(os.path.join(folder, "b.jpg")), "tags: dock|pier\ncomment: Quay\n")
        self.assertEqual(run_emulated("set", "--keywords", "k", "--desktop-copies", item, emulate="kernel-fat"),
                         (1, "", item + ": setxattr error: Operation not supported\n"))


if __name__ == "__main__":
    unittest.main()
