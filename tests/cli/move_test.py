#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Values that survive a move: export, a copy that drops them (plain cp), import where the target
# keeps them (a real smbd share to a real exFAT volume, read back by the independent AppleDouble
# reader), export again; import's reports on bad lines; find with Unicode case folding.
import contextlib, json, os, plistlib, subprocess, tempfile, time, unittest

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

    def test_import_reports_each_bad_line_by_number_and_writes_only_below_the_root(self):
        with tempfile.TemporaryDirectory() as work:
            root, outside, x = work + "/root", work + "/outside", work + "/x.jsonl"
            tree(root, {b"a.jpg": {}, b"b.jpg": {"Headline": bplist("Old")}, b"sub/c.jpg": {}})
            tree(outside, {b"victim.jpg": {}, b"d/v.jpg": {}})
            # A link as the first, a middle and the last component: never followed, whatever it points to.
            os.symlink(outside, root + "/link")
            os.symlink(outside, root + "/sub/mid")
            os.symlink(outside + "/victim.jpg", root + "/last.jpg")
            lines = ['{"path": "a.jpg", "headline": "New"}', "", "not json", '{"path": "gone.jpg", "creator": "x"}',
                     '{"path": "../b.jpg", "creator": "x"}', '{"path": "b.jpg", "headline": 3}', '{"path": "b.jpg", "headline": "Old"}',
                     '{"path": "link/victim.jpg", "headline": "x"}', '{"path": "link", "headline": "x"}',
                     '{"path": "sub/mid/d/v.jpg", "headline": "x"}', '{"path": "last.jpg", "headline": "x"}',
                     '{"path": "./sub//c.jpg/", "headline": "C"}', '{"path": ".", "creator": "Ada"}']
            with open(x, "w") as file:
                file.write("\n".join(lines))
            _, changes, refusals = run("import", "--root", root, "--dry-run", x)
            self.assertEqual(changes, f"{root}/a.jpg: headline\n{root}/./sub//c.jpg/: headline\n{root}/.: creator\n")
            self.assertEqual(os.listxattr(root + "/a.jpg"), [])
            status, _, err = run("import", "--root", root, x)
            self.assertEqual((status, err), (1, refusals))
            self.assertEqual([line.split(": ")[:2] for line in err.splitlines()[:4]], [
                [f"{x}:3", "[json.exception.parse_error.101] parse error at line 1, column 2"],
                [f"{x}:4", f"{root}/gone.jpg"], [f"{x}:5", "\"path\" leads out of the root folder"],
                [f"{x}:6", "\"headline\" must be a string, a list of strings, {\"plist\""]])
            self.assertEqual(err.splitlines()[4:], [f"{x}:{n}: {root}/{path}: passes through a symbolic link" for n, path in
                                                    ((8, "link/victim.jpg"), (9, "link"), (10, "sub/mid/d/v.jpg"), (11, "last.jpg"))])
            self.assertEqual([os.getxattr(root + f, KEY + k) for f, k in (("/a.jpg", "Headline"), ("/sub/c.jpg", "Headline"), ("", "Creator"))],
                             [bplist("New"), bplist("C"), bplist("Ada")])
            # Where openat2 is refused (old kernels, sandboxes), the walk one folder at a time says the same.
            self.assertEqual(run_emulated("import", "--root", root, x, emulate="seccomp"), (1, "", err))
            self.assertEqual([os.listxattr(outside + f) for f in ("", "/victim.jpg", "/d/v.jpg")], [[]] * 3)

    def test_a_folder_swapped_for_a_link_between_lines_is_not_followed(self):
        with tempfile.TemporaryDirectory() as work:
            root, outside, fifo = work + "/root", work + "/outside", work + "/in"
            tree(root, {b"sub/a.jpg": {}})
            tree(outside, {b"a.jpg": {}})
            os.mkfifo(fifo)
            importing = subprocess.Popen([CLI, "import", "--root", root, fifo], stderr=subprocess.PIPE, text=True)
            with open(fifo, "w") as lines:
                lines.write('{"path": "sub/a.jpg", "headline": "1"}\n')
                lines.flush()
                for _ in range(500):  # the first line imported: only then is the folder swapped
                    if os.listxattr(root + "/sub/a.jpg"):
                        break
                    time.sleep(0.01)
                os.rename(root + "/sub", root + "/moved")
                os.symlink(outside, root + "/sub")
                lines.write('{"path": "sub/a.jpg", "headline": "2"}\n')
            self.assertEqual(importing.communicate()[1], f"{fifo}:2: {root}/sub/a.jpg: passes through a symbolic link\n")
            self.assertEqual((os.getxattr(root + "/moved/a.jpg", KEY + "Headline"), os.listxattr(outside + "/a.jpg")), (bplist("1"), []))

    def test_json_past_its_limits_is_refused_in_bounded_memory_and_the_next_line_goes_in(self):
        def peak(*args, parts):
            # (status, error lines, KiB at most) of the CLI reading `parts` (bytes, count) through a pipe.
            child = subprocess.Popen(["/usr/bin/time", "-f", "%M", CLI, *args], stdin=subprocess.PIPE, stderr=subprocess.PIPE)
            with contextlib.suppress(BrokenPipeError):  # set --json stops reading at its limit
                for part, count in parts:
                    for _ in range(count):
                        child.stdin.write(part)
            err = [line for line in child.communicate()[1].decode().splitlines() if not line.startswith("Command exited")]
            return child.returncode, err[:-1], int(err[-1])

        # ThreadSanitizer's shadow memory counts several times what is allocated.
        limit = (24 << 10) * (4 if b"libtsan" in subprocess.run(["ldd", CLI], capture_output=True).stdout else 1)
        with tempfile.TemporaryDirectory(dir="/dev/shm") as root:  # tmpfs: room for long values
            tree(root, {b"a.jpg": {}, b"b.jpg": {}})
            baseline = peak("import", "--root", root, "-", parts=[(b'{"path": "b.jpg"}', 1)])[2]
            huge = [(b'{"path": "a.jpg", "headline": "', 1), (b"x" * (1 << 20), 200), (b'"}\n{"path": "b.jpg", "headline": "ok"}\n', 1),
                    (b'{"path": "b.jpg", "keywords": [""' + b', ""' * 110000 + b"]}", 1)]
            status, err, kib = peak("import", "--root", root, "-", parts=huge)
            self.assertEqual((status, err), (1, ["stdin:1: longer than 1 MiB; passed over", "stdin:3: an item holds more than 110000 values"]))
            self.assertLess(kib - baseline, limit)
            status, err, kib = peak("set", "--json", "-", parts=[(b'[{"path": "a.jpg", "headline": "', 1), (b"x" * (1 << 20), 100)])
            self.assertEqual((status, err[0]), (2, "quillmark-cli: --json: stdin is longer than 4 MiB; export and import take more"))
            self.assertLess(kib - baseline, limit)
            self.assertEqual((os.listxattr(root + "/a.jpg"), os.getxattr(root + "/b.jpg", KEY + "Headline")), ([], bplist("ok")))
            # Export writes no line import would refuse: here five values of control characters, each escaped in six bytes.
            tree(root, {b"c.jpg": {field: bplist("\1" * 60000) for field in ("Headline", "Description", "Creator", "Copyright", "Keywords")}})
            self.assertEqual(run("export", root + "/c.jpg"), (1, "", f"{root}/c.jpg: its line would pass import's 1 MiB; not exported\n"))

    def test_find_folds_case_and_composition_and_needs_every_condition(self):
        with tempfile.TemporaryDirectory() as root:
            tree(root, {b"a.jpg": {"Headline": bplist("Straße"), "Keywords": bplist(["Harbour", "e\u0301te\u0301"])},
                        b"sub/b.jpg": {"Description": bplist("HARBOUR lights")}, b"sub/c.jpg": {"Creator": bplist(2)}})
            self.assertEqual(run("find", "-r", "--any", "harbour", root), (0, f"{root}/a.jpg\n{root}/sub/b.jpg\n", ""))
            self.assertEqual(run("find", "-r", "--headline", "STRASSE", "--keywords", "ÉTÉ", "-0", root), (0, f"{root}/a.jpg\0", ""))
            self.assertEqual(run("find", "-r", "--headline", "strasse", "--description", "harbour", root)[1], "")
            found = json.loads(run("find", "-r", "--description", "Lights", "--json", root)[1])
            self.assertEqual(found, [{"path": f"{root}/sub/b.jpg", "headline": None, "description": "HARBOUR lights",
                                      "creator": None, "copyright": None, "keywords": None, "tags": None}])
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
            # What cannot be read is a finding, and the check goes on. (The emulation fails every
            # read after the process's first: one item at a time says which item that is.)
            self.assertEqual(run_emulated("check", "-j1", root + "/c.jpg", root + "/b.jpg", emulate="vanishing"),
                             (1, f"{root}/b.jpg: copyright: the user. value cannot be read: No data available\n", ""))
            self.assertEqual(run_emulated("check", root + "/c.jpg", emulate="unlistable"),
                             (1, f"{root}/c.jpg: its attributes cannot be listed: Input/output error\n", ""))
            self.assertEqual((run("check", root + "/b.jpg", root + "/c.jpg")[0], exported(root)), (0, before))


if __name__ == "__main__":
    unittest.main()
