#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# What the store decides, seen through quillmark-cli: values keep the form their readers need, a
# refused edit changes nothing, errors are the system's own, and a hostile item costs bounded memory.
import os, plistlib, struct, subprocess, tempfile, unittest
from cli_test import CLI, KEY, NOBODY, run
from sidecar_test import finish, start_emulated

COLON_STREAM = "user.DosStream.com.apple.metadata:kMDItem{}:$DATA"
bplist = lambda value: plistlib.dumps(value, fmt=plistlib.FMT_BINARY)


def attributes(path):
    return {name: os.getxattr(path, name) for name in os.listxattr(path)}


def write_sidecar(path, name, value):
    # An AppleDouble file holding one attribute, as the Mac kernel lays one out.
    start = 120 + (11 + len(name) + 1 + 3) // 4 * 4  # after the one entry, 4-byte aligned
    entry = struct.pack(">IIHB", start, len(value), 0, len(name) + 1) + name.encode() + bytes(start - 120 - 11 - len(name))
    header = struct.pack(">II16sHIII", 0x00051607, 0x00020000, b"Mac OS X        ", 1, 9, 50, start + len(value) - 50)
    attr = b"ATTR" + struct.pack(">IIII12xHH", 0, start + len(value), start, len(value), 0, 1)
    with open(path, "wb") as file:
        file.write(header + bytes(46) + attr + entry + value)


class Store(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(subprocess.run, ["rm", "-rf", self.dir])

    def item(self, name, **raw):
        path = os.path.join(self.dir, name)
        open(path, "wb").close()
        [os.setxattr(path, attribute, value) for attribute, value in raw.items()]
        return path

    def test_values_keep_the_form_their_readers_need(self):
        # netatalk's samba mode: a value found with its 0x00 keeps it, with nothing else there.
        found = self.item("found", **{KEY + "Copyright": bplist("(c)") + b"\0"})
        self.assertEqual(run("set", "--copyright", "new", found), (0, "", ""))
        self.assertEqual(os.getxattr(found, KEY + "Copyright"), bplist("new") + b"\0")
        # A new value takes that form only where every other user.com.apple.* value has it.
        for quarantine, form in ((b"0083;1;x\0", b"\0"), (b"0083;1;x", b"")):
            item = self.item(f"new{len(form)}", **{"user.com.apple.quarantine": quarantine, KEY + "Creator": bplist("Ada") + b"\0"})
            self.assertEqual(run("set", "--headline", "H", item), (0, "", ""))
            self.assertEqual(os.getxattr(item, KEY + "Headline"), bplist("H") + form)

    def test_a_sidecar_already_holding_the_value_is_not_rewritten(self):
        f = self.item("f")
        sidecar = os.path.join(self.dir, "._f")
        write_sidecar(sidecar, "com.apple.metadata:kMDItemHeadline", bplist("H"))
        before = os.stat(sidecar).st_ino
        self.assertEqual(run("set", "--headline", "H", f), (0, "", ""))
        self.assertEqual(os.stat(sidecar).st_ino, before)
        self.assertEqual(run("set", "--headline", "H2", f), (0, "", ""))
        self.assertNotEqual(os.stat(sidecar).st_ino, before)

    def test_a_refused_edit_changes_nothing_and_says_why(self):
        f = self.item("f", **{KEY + "Creator": bplist("Ada") + b"\0", KEY + "Keywords": bplist("k"),
                              COLON_STREAM.format("Keywords"): bplist("k") + b"\1"})  # continued elsewhere
        before = attributes(f)
        self.assertEqual(run("show", f)[1], f"{f}\nHeadline:\nDescription:\nCreator: Ada\nCopyright:\nKeywords: [unreadable]\nTags:\n")
        status, _, err = run("set", "--desktop-copies", "--creator", "Zoë", "--headline", "H", "--keywords", "x", f)
        self.assertEqual((status, sorted(err.splitlines())), (1, [f"{f}: setxattr error: Invalid argument"] +
                                                                  [f"{f}: setxattr error: Operation canceled"] * 2))
        self.assertEqual(attributes(f), before)
        # A sidecar that does not parse may hold anything: shown unreadable, and never said to lack a value.
        g = self.item("g")
        with open(os.path.join(self.dir, "._g"), "wb") as bad:
            bad.write(b"\0\5\x16\7 not one")
        self.assertEqual(run("show", g)[1], f"{g}\n" + "".join(f"{n}: [unreadable]\n" for n in
                                                                 ("Headline", "Description", "Creator", "Copyright", "Keywords", "Tags")))
        self.assertEqual(run("set", "--remove", "headline", g), (1, "", f"{g}: remxattr error: Invalid argument\n"))
        # One this user may not read: unreadable, and the system says why.
        os.chmod(self.dir, 0o755)
        os.chmod(os.path.join(self.dir, "._g"), 0o600)
        self.assertEqual(subprocess.run(NOBODY + [CLI, "show", g], capture_output=True, text=True).stdout, f"{g}\n" + "".join(
            f"{n}: [unreadable: Permission denied]\n" for n in ("Headline", "Description", "Creator", "Copyright", "Keywords", "Tags")))
        # A missing item is named as such, not as a value it lacks.
        self.assertEqual(run("set", "--remove", "headline", self.dir + "/none"),
                         (1, "", f"{self.dir}/none: remxattr error: No such file or directory\n"))

    def test_one_change_costs_one_listing_and_a_read_for_each_value_it_needs(self):
        f = self.item("f", **{KEY + "Description": bplist("d"), KEY + "Keywords": bplist("a, b")})
        counts = os.path.join(self.dir, "counts")
        for args, expected in (  # the copies written, then left alone as they already hold the values
                (["--keywords", "a, b"], "list 1 get 2 set 2 remove 0"),
                (["--headline", "H"], "list 1 get 4 set 1 remove 0"),
                (["--add-keyword", "c"], "list 1 get 4 set 2 remove 0")):  # made on the keywords as listed
            self.assertEqual(finish(start_emulated("set", "--desktop-copies", *args, f, count=counts)), 0)
            with open(counts) as got:
                self.assertEqual(got.read().strip(), expected, args)
        self.assertEqual((os.getxattr(f, "user.xdg.tags"), os.getxattr(f, "user.xdg.comment")), (b"a,b,c", b"d"))

    def test_a_hostile_sidecar_costs_bounded_memory(self):
        # 30 MB of keywords: one string, referred to 15 times by an array.
        text = b"k" * (30 << 20)
        objects = struct.pack(">BBB", 0xAF, 0x10, 15) + bytes([1] * 15) + b"\x5f\x12" + struct.pack(">I", len(text)) + text
        keywords = b"bplist00" + objects + struct.pack(">II", 8, 8 + 18) + \
            struct.pack(">6xBBQQQ", 4, 1, 2, 0, 8 + len(objects))
        f = self.item("f.jpg")
        write_sidecar(os.path.join(self.dir, "._f.jpg"), "com.apple.metadata:kMDItemKeywords", keywords)
        peak = lambda *args: subprocess.run(["/usr/bin/time", "-f", "%M", CLI, *args], capture_output=True, text=True)
        baseline = int(peak("show", self.item("plain")).stderr.split()[-1])
        for command, shown in ((["show"], "Copyright:\nKeywords: [unreadable]"), (["show", "--json"], '"keywords": null')):
            done = peak(*command, f)
            self.assertTrue(shown in done.stdout, done.stdout[:200])
            # KiB above an ordinary item's: headers and small values are read, never the whole file.
            self.assertLess(int(done.stderr.split()[-1]) - baseline, 8 << 10, command)


if __name__ == "__main__":
    unittest.main()
