#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Values that survive a move: export, a copy that drops them (plain cp), import where the target
# keeps them (a real smbd share to a real exFAT volume, read back by the independent AppleDouble
# reader), export again; import's reports on bad lines; find with Unicode case folding.
import json, os, plistlib, subprocess, tempfile, unittest

from cli_test import CLI, KEY, disk, run, samba_share, sidecar
from sidecar_test import run_emulated

bplist = lambda value: plistlib.dumps(value, fmt=plistlib.FMT_BINARY)


def tree(root, items):
    # Files (and their folders) below root, each with {field: property-list bytes} as user. attributes.
    for name, values in items.items():
        path = os.path.join(root.encode(), name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "wb").close()
        for field, value in values.items():
            os.setxattr(path, (KEY + field).encode(), value)


def exported(root):
    status, out, err = run("export", "--recursive", root)
    return status, err, sorted(out.splitlines())


class Moves(unittest.TestCase):
    def test_a_share_through_cp_onto_exfat_and_back_is_exact(self):
        with samba_share() as (share, client), disk("exfat") as drive:
            tree(share, {b"f.jpg": {"Keywords": bplist(["harbour", "dawn", "harbour"])},
                         b"sub/g.txt": {"Creator": bplist("Zoë"), "Copyright": bplist(3)}})
            with tempfile.NamedTemporaryFile() as value:
                value.write(bplist("Harbour"))
                value.flush()
                self.assertEqual(client(f'put "{value.name}" "f.jpg:com.apple.metadata\uf022kMDItemHeadline"').returncode, 0)
            status, err, before = exported(share)
            self.assertEqual((status, err, len(before)), (0, "", 2))
            self.assertEqual(json.loads(before[0])["path"], "f.jpg")
            subprocess.run(["cp", "-r", share + "/f.jpg", share + "/sub", drive], check=True)
            self.assertEqual(run("import", "--root", drive, "-", stdin="\n".join(before).encode()), (0, "", ""))
            attributes = sidecar(drive + "/._f.jpg")[2]
            self.assertEqual(attributes, {"com.apple.metadata:kMDItemHeadline": bplist("Harbour"),
                                          "com.apple.metadata:kMDItemKeywords": bplist(["harbour", "dawn", "harbour"])})
            self.assertEqual(sidecar(drive + "/sub/._g.txt")[2]["com.apple.metadata:kMDItemCopyright"], bplist(3))
            self.assertEqual(exported(drive), (0, "", before))

    def test_names_and_values_of_every_kind_come_back_byte_for_byte(self):
        with tempfile.TemporaryDirectory() as source, tempfile.TemporaryDirectory() as target:
            many = [f"k{i}" for i in range(300)] * 2  # two-byte references, a long count
            items = {b"caf\xe9.jpg": {"Keywords": bplist(many), "Headline": bplist("Hafen\u00a0\U0001f6a2")},
                     b"d/e.txt": {"Description": bplist(b"\0\1"),
                                  "Creator": b"bplist00 not one"}}
            tree(source, items)
            subprocess.run(["cp", "-r", source + "/.", target], check=True)
            status, _, before = exported(source)
            self.assertEqual(run("import", "--root", target, "-", stdin="\n".join(before).encode()), (0, "", ""))
            for name, values in items.items():
                for field, value in values.items():
                    self.assertEqual(os.getxattr(os.path.join(target.encode(), name), (KEY + field).encode()), value)
            self.assertEqual(exported(target), (0, "", before))

    def test_import_reports_each_bad_line_by_number_and_writes_the_rest(self):
        with tempfile.TemporaryDirectory() as root:
            tree(root, {b"a.jpg": {}, b"b.jpg": {"Headline": bplist("Old")}})
            lines = ['{"path": "a.jpg", "headline": "New"}', "", "not json", '{"path": "gone.jpg", "creator": "x"}',
                     '{"path": "../b.jpg", "creator": "x"}', '{"path": "b.jpg", "headline": 3}', '{"path": "b.jpg", "headline": "Old"}']
            with open(root + "/x.jsonl", "w") as file:
                file.write("\n".join(lines))
            self.assertEqual(run("import", "--root", root, "--dry-run", root + "/x.jsonl")[1], f"{root}/a.jpg: headline\n")
            self.assertEqual(os.listxattr(root + "/a.jpg"), [])
            status, _, err = run("import", "--root", root, root + "/x.jsonl")
            self.assertEqual((status, [line.split(": ")[:2] for line in err.splitlines()]), (1, [
                [f"{root}/x.jsonl:3", "[json.exception.parse_error.101] parse error at line 1, column 2"],
                [f"{root}/x.jsonl:4", f"{root}/gone.jpg"], [f"{root}/x.jsonl:5", "\"path\" leads out of the root folder"],
                [f"{root}/x.jsonl:6", "\"headline\" must be a string, a list of strings, {\"plist\""]]))
            self.assertEqual(os.getxattr(root + "/a.jpg", KEY + "Headline"), bplist("New"))

    def test_find_folds_case_and_composition_and_needs_every_condition(self):
        with tempfile.TemporaryDirectory() as root:
            tree(root, {b"a.jpg": {"Headline": bplist("Straße"), "Keywords": bplist(["Harbour", "e\u0301te\u0301"])},
                        b"sub/b.jpg": {"Description": bplist("HARBOUR lights")}, b"sub/c.jpg": {"Creator": bplist(2)}})
            self.assertEqual(run("find", "-r", "--any", "harbour", root), (0, f"{root}/a.jpg\n{root}/sub/b.jpg\n", ""))
            self.assertEqual(run("find", "-r", "--headline", "STRASSE", "--keywords", "ÉTÉ", "-0", root), (0, f"{root}/a.jpg\0", ""))
            self.assertEqual(run("find", "-r", "--headline", "strasse", "--description", "harbour", root)[1], "")
            found = json.loads(run("find", "-r", "--description", "Lights", "--json", root)[1])
            self.assertEqual(found, [{"path": f"{root}/sub/b.jpg", "headline": None, "description": "HARBOUR lights",
                                      "creator": None, "copyright": None, "keywords": None}])
            self.assertEqual(run("find", root)[0], 2)

    def test_check_reports_what_peers_cannot_read_and_changes_nothing(self):
        with tempfile.TemporaryDirectory(dir="/dev/shm") as root:  # tmpfs: room for a long value
            tree(root, {b"a.jpg": {"Headline": bplist("x" * 4000), "Creator": bplist("Ada") + b"\0"},
                        b"b.jpg": {"Copyright": bplist(3)}, b"c.jpg": {"Creator": bplist("Ada")}})
            os.setxattr(root + "/a.jpg", "user.DosStream.com.apple.metadata:kMDItemCreator:$DATA", bplist("Bob") + b"\0")
            tree(root, {b"d.jpg": {"Keywords": bplist("dawn, boats"), "WhereFroms": bplist(["https://x.example"])},
                        b"e.jpg": {"Creator": bplist("Ada")}})
            run_emulated("set", "--creator", "Bob", root + "/e.jpg", emulate="kernel-fat")  # a sidecar saying otherwise
            with open(root + "/._gone.jpg", "wb") as orphan:
                orphan.write(b"\0\5\x16\7" + bytes(116))
            tree(root, {b"f.jpg": {}, b"g.jpg": {}})
            os.setxattr(root + "/f.jpg", "user.DosStream.com.apple.metadata:kMDItemHeadline:$DATA", bplist("x") + b"\1")
            with open(root + "/._g.jpg", "wb") as bad:
                bad.write(b"\0\5\x16\7 not one")
            before = exported(root)
            status, out, _ = run("check", "-r", root)
            self.assertEqual((status, sorted(out.splitlines())), (1, sorted([
                f"{root}/a.jpg: headline: the user. value is 4046 bytes: netatalk gives AFP clients only 3802",
                f"{root}/a.jpg: headline: the user. value lacks the 0x00 the item's others carry",
                f"{root}/a.jpg: creator: the user. value ends in 0x00 where the item's others do not",
                f"{root}/a.jpg: creator: the colon stream and the user. hold different values",
                f"{root}/b.jpg: copyright: note: holds no string but a number",
                f"{root}/d.jpg: keywords: note: kept as one string where the item's other Mac values are lists",
                f"{root}/._gone.jpg: a sidecar with no item beside it: nothing reads it",
                f"{root}/e.jpg: creator: the user. and the sidecar hold different values",
                f"{root}/f.jpg: headline: the colon stream is continued in other attributes",
                f"{root}/g.jpg: its sidecar does not parse: Macs and this program cannot use it"])))
            # What cannot be read is a finding, and the check goes on.
            self.assertEqual(run_emulated("check", root + "/c.jpg", root + "/b.jpg", emulate="vanishing"),
                             (1, f"{root}/b.jpg: copyright: the user. value cannot be read: No data available\n", ""))
            self.assertEqual(run_emulated("check", root + "/c.jpg", emulate="unlistable"),
                             (1, f"{root}/c.jpg: its attributes cannot be listed: Input/output error\n", ""))
            self.assertEqual((run("check", root + "/b.jpg", root + "/c.jpg")[0], exported(root)), (0, before))


if __name__ == "__main__":
    unittest.main()
