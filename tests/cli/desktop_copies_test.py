#!/usr/bin/env python3
# --desktop-copies as a user meets it: set and write-folder keep the desktop tags and comment, and
# a volume that keeps no attributes (the kernel's FAT answers) gets its values in the sidecar and
# a failure for the copy it cannot hold.
import os, subprocess, tempfile, unittest

from cli_test import run
from sidecar_test import run_emulated


class DesktopCopies(unittest.TestCase):
    def test_set_and_write_folder_keep_them_and_say_where_they_cannot(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(subprocess.run, ["rm", "-rf", folder])
        item = os.path.join(folder, "a.jpg")
        open(item, "w").close()
        self.assertEqual(run("set", "--keywords", "sea, boat", "--desktop-copies", item), (0, "", ""))
        self.assertEqual(run("write-folder", "--description", "Pier", "--desktop-copies", folder), (0, "", ""))
        self.assertEqual([os.getxattr(item, "user.xdg." + n) for n in ("tags", "comment")], [b"sea,boat", b"Pier"])
        self.assertEqual(run_emulated("set", "--keywords", "k", "--desktop-copies", item, emulate="kernel-fat"),
                         (1, "", item + ": setxattr error: Operation not supported\n"))
        self.assertTrue(os.path.exists(os.path.join(folder, "._a.jpg")))


if __name__ == "__main__":
    unittest.main()
