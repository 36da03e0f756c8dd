#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Finder tags and the colour label where Macs keep them on Linux: the Macs' own sidecars on a real
# exFAT volume and under the kernel's FAT answers, Finder info alone, in Samba's AfpInfo stream and
# in netatalk's metadata, and a real smbd read back as a Mac client reads it; and each command's
# tag options and output.
import base64, json, os, plistlib, shutil, struct, subprocess, tempfile, unittest

from cli_test import CLI, disk, run, samba_share, sidecar
from sidecar_test import run_emulated

HERE = os.path.dirname(__file__)
SAMPLES = os.path.join(HERE, "..", "attrstore", "appledouble")
TAGS = "com.apple.metadata:_kMDItemUserTags"
FINDER = "user.com.apple.FinderInfo"
AFP = "user.DosStream.AFP_AfpInfo:$DATA"
NETATALK = "user.org.netatalk.Metadata"
STREAM = "user.DosStream.com.apple.metadata\uf022_kMDItemUserTags:$DATA"
USER_TAGS = "user." + TAGS
with open(os.path.join(SAMPLES, "samba-osx_adouble_w_xattr"), "rb") as sample:
    MAC = sample.read()[188:279]  # a Mac's: test, Grün green, Lila purple, Gelb yellow, Blau blue
# A file's Finder info with everything a Mac keeps there: type and creator, flags (invisible,
# custom icon, on the desktop), location, and the extended fields a Mac disk exposes.
INFO = b"JPEG8BIM" + bytes([0x44, 0x01]) + struct.pack(">hh", 120, -40) + b"\x00\x07" + bytes(range(1, 17))
AFP_INFO = b"AFP\0\0\0\1\0" + bytes(4) + b"\x80\0\0\0" + INFO + bytes(12)


def dumps(tags):
    return plistlib.dumps(tags, fmt=plistlib.FMT_BINARY)


def labelled(info, colour):
    return info[:9] + bytes([info[9] & 0xF1 | colour << 1]) + info[10:]


def value(path, name):
    try:
        return os.getxattr(path, name)
    except OSError:
        return None


def shown_tags(path):
    return [(tag["name"], tag["colour"] or "none") for tag in json.loads(run("show", "--json", path)[1])[0]["tags"]]


class Tags(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)

    def item(self, name, **attributes):
        path = os.path.join(self.dir, name)
        open(path, "w").close()
        for key, data in attributes.items():
            os.setxattr(path, key, data)
        return path

    def test_the_macs_own_sidecars_read_and_change_as_finder_keeps_them(self):
        colours = ["none", "grey", "green", "purple", "blue", "yellow", "red", "orange"]
        with disk("exfat") as root:
            for sample in ("samba-osx_adouble_w_xattr", "kernel-4096-label-opaque-nonascii-tag"):
                shutil.copy(os.path.join(SAMPLES, sample), root + "/._" + sample)
                open(root + "/" + sample, "w").close()
                stored = plistlib.loads(sidecar(os.path.join(SAMPLES, sample))[2][TAGS])
                expected = [(t[:-2], colours[int(t[-1])]) if t[-2:-1] == "\n" else (t, "none") for t in stored]
                self.assertEqual(shown_tags(root + "/" + sample), expected, sample)
            f, side = root + "/samba-osx_adouble_w_xattr", root + "/._samba-osx_adouble_w_xattr"
            finder, fork, attributes = before = sidecar(side)
            mac = plistlib.loads(attributes[TAGS])
            self.assertEqual(dumps(mac), attributes[TAGS])  # the golden bytes are plistlib's too
            self.assertEqual(finder[9] & 0x0E, 4 << 1)
            # An uncoloured tag leaves the label blue; added and taken away, every byte is the Mac's.
            self.assertEqual(run("set", "--add-tag", "Harbour", f), (0, "", ""))
            self.assertEqual(sidecar(side), (finder, fork, {**attributes, TAGS: dumps(mac + ["Harbour"])}))
            self.assertEqual(run("set", "--remove-tag", "Harbour", f), (0, "", ""))
            self.assertEqual(sidecar(side), before)
            self.assertEqual(run("set", "--add-tag", "Work:red", f), (0, "", ""))
            self.assertEqual(sidecar(side), (labelled(finder, 6), fork, {**attributes, TAGS: dumps(mac + ["Work\n6"])}))
            removed = ["--remove-tag=" + t.split("\n")[0] for t in mac[1:]] + ["--remove-tag=Work"]
            self.assertEqual(run("set", *removed, f), (0, "", ""))
            self.assertEqual(sidecar(side), (labelled(finder, 0), fork, {**attributes, TAGS: dumps(["test"])}))

    def test_under_the_kernels_fat_answers_the_sidecar_takes_tags_and_label(self):
        f = self.item("a.jpg")
        self.assertEqual(run_emulated("set", "--add-tag", "Work:red", f, emulate="kernel-fat"), (0, "", ""))
        self.assertEqual(sidecar(self.dir + "/._a.jpg")[::2], (labelled(bytes(32), 6), {TAGS: dumps(["Work\n6"])}))
        self.assertEqual(run_emulated("set", "--remove-tag", "Work", f, emulate="kernel-fat"), (0, "", ""))
        self.assertEqual(sidecar(self.dir + "/._a.jpg")[::2], (bytes(32), {}))

    def test_finder_info_keeps_every_byte_but_the_label_in_its_own_place_and_form(self):
        with open(os.path.join(HERE, "peers", "netatalk-metadata"), "rb") as sample:
            metadata = sample.read()
        plain = self.item("plain", **{FINDER: INFO})
        fresh = self.item("fresh")
        afp = self.item("afp", **{AFP: AFP_INFO + b"\0"})
        served = self.item("served", **{"user.DOSATTRIB": b"\0"})
        netatalk = self.item("netatalk", **{NETATALK: metadata})
        everyone = [plain, fresh, afp, served, netatalk]
        self.assertEqual(run("set", "--add-tag", "Work:red", *everyone), (0, "", ""))
        self.assertEqual(value(plain, FINDER), labelled(INFO, 6))
        self.assertEqual(value(fresh, FINDER), labelled(bytes(32), 6))  # made only where it is plain
        self.assertEqual((value(afp, AFP), value(afp, STREAM)), (AFP_INFO[:16] + labelled(INFO, 6) + AFP_INFO[48:] + b"\0", dumps(["Work\n6"]) + b"\0"))
        # Beside the tags, never a server's own: its AfpInfo stream is for Samba to make.
        self.assertEqual((value(served, AFP), value(served, FINDER)), (None, labelled(bytes(32), 6)))
        self.assertEqual(value(netatalk, NETATALK), metadata[:122] + labelled(metadata[122:154], 6) + metadata[154:])
        # Uncoloured tags leave the label; another colour moves it; none left clears it.
        self.assertEqual(run("set", "--add-tag", "Harbour", "--tag-colour", "Work:green", *everyone), (0, "", ""))
        self.assertEqual(value(plain, FINDER), labelled(INFO, 2))
        self.assertEqual(run("set", "--remove-tag", "Work", *everyone), (0, "", ""))
        self.assertEqual([value(plain, FINDER), value(fresh, FINDER), value(afp, AFP), value(netatalk, NETATALK)],
                         [INFO, None, AFP_INFO + b"\0", metadata])

    def test_a_samba_share_shows_them_to_a_mac_client(self):
        for metadata in ("stream", "netatalk"):
            with self.subTest(metadata), samba_share(f"fruit:metadata = {metadata}\n") as (share, client):
                f, scratch = os.path.join(share, "f.jpg"), os.path.join(share, "..", "scratch")
                open(f, "w").close()
                with open(scratch, "wb") as out:
                    out.write(AFP_INFO)
                self.assertEqual(client(f'put "{scratch}" "f.jpg:AFP_AfpInfo"').returncode, 0)

                def as_the_mac_reads(stream):
                    self.assertEqual(client(f'get "f.jpg:{stream}" "{scratch}"').returncode, 0)
                    with open(scratch, "rb") as got:
                        return got.read()

                self.assertEqual(run("set", "--add-tag", "Work:red", "--add-tag", "Hafen", f), (0, "", ""))
                self.assertEqual(as_the_mac_reads("com.apple.metadata\uf022_kMDItemUserTags"), dumps(["Work\n6", "Hafen"]))
                self.assertEqual(as_the_mac_reads("AFP_AfpInfo"), AFP_INFO[:16] + labelled(INFO, 6) + AFP_INFO[48:])
                self.assertEqual(run("set", "--remove-tag", "Work", f), (0, "", ""))
                self.assertEqual(as_the_mac_reads("AFP_AfpInfo"), AFP_INFO)

    def test_the_desktop_tags_are_the_keywords_then_the_tag_names(self):
        f = self.item("a.jpg", **{"user.com.apple.metadata:kMDItemKeywords": dumps(["harbour", "Work"])})
        self.assertEqual(run("set", "--desktop-copies", "--add-tag", "Work:red", "--add-tag", "Boat", f), (0, "", ""))
        self.assertEqual(value(f, "user.xdg.tags"), b"harbour,Work,Boat")

    def test_show_and_find_read_each_tag_and_colour(self):
        mac = self.item("mac.jpg", **{USER_TAGS: MAC})
        odd = self.item("odd.jpg", **{USER_TAGS: dumps(["Work\n9", "Sea\n0"])})
        number = self.item("number.jpg", **{USER_TAGS: dumps(3)})
        red = self.item("red.jpg", **{USER_TAGS: dumps(["work\n6"])})
        status, out, _ = run("show", mac, odd, number)
        self.assertEqual((status, out.split("\n\n")[0]), (0, f"{mac}\nHeadline:\nDescription:\nCreator:\nCopyright:\nKeywords:\n"
                                                          "Tags: test, Grün (green), Lila (purple), Gelb (yellow), Blau (blue)"))
        self.assertEqual(out.splitlines()[14::8], ["Tags: Work (colour 9), Sea", "Tags: [a number]"])
        shown = [item["tags"] for item in json.loads(run("show", "--json", mac, odd, number)[1])]
        self.assertEqual(shown, [[{"name": n, "colour": c} for n, c in (("test", "none"), ("Grün", "green"), ("Lila", "purple"),
                                                                       ("Gelb", "yellow"), ("Blau", "blue"))],
                                 [{"name": "Work", "colour": None}, {"name": "Sea", "colour": "none"}],
                                 {"plist": base64.b64encode(dumps(3)).decode()}])
        # What show --json prints, set --json stores as the Mac did.
        copy = self.item("copy.jpg")
        self.assertEqual(run("set", "--json", "-", copy, stdin=json.dumps([json.loads(run("show", "--json", mac)[1])[0]]).encode())[0], 0)
        self.assertEqual(value(copy, USER_TAGS), MAC)
        find = lambda *args: run("find", "-r", *args, self.dir)
        self.assertEqual(sorted(find("--tag", "GRÜN", "--colour", "Blue")[1].splitlines()), [copy, mac])
        self.assertEqual(sorted(find("--tag", "WORK")[1].splitlines()), [odd, red])
        self.assertEqual(find("--colour", "6", "--tag", "work"), (0, f"{red}\n", ""))  # a digit past 7 is no colour
        self.assertEqual(find("--tag", "grü")[1], "")  # a whole name, not part of one
        self.assertEqual(find("--colour", "purpel")[0], 2)

    def test_set_and_write_folder_change_only_the_tags_named(self):
        os.makedirs(self.dir + "/sub")
        f = self.item("sub/f.jpg", **{USER_TAGS: dumps(["test", "Sea\n0", "Grün\n2", "Lila\n3"])})
        self.assertEqual(run("set", "--add-tag", "New:red", "--add-tag", "Project: X", "--remove-tag", "Lila",
                             "--tag-colour", "Grün:ORANGE", "--tag-colour", "Missing:grey", f), (0, "", ""))
        self.assertEqual(value(f, USER_TAGS), dumps(["test", "Sea\n0", "Grün\n7", "New\n6", "Project: X"]))
        for usage in (["--tag-colour", "Sea:purpel"], ["--tag-colour", "Sea"], ["--add-tag", ""], ["--add-tag", "a\nb"],
                      ["--add-tag", "x", "--remove", "tags"], ["--remove-tag", "x", "--json", "-"]):
            self.assertEqual(run("set", *usage, f)[0], 2, usage)
        self.assertEqual(run("set", "--tag-colour", "Sea:purpel", f)[2].splitlines()[0],
                         'quillmark-cli: --tag-colour: "purpel" is not a colour (none, grey, green, purple, blue, yellow, red, orange, or 0-7)')
        # Write Folder adds to each entry's own tags, with no text given.
        self.assertEqual(run("write-folder", "--add-tag", "Sea:blue", "--add-tag", "test", self.dir), (0, "", ""))
        self.assertEqual(value(f, USER_TAGS), dumps(["test", "Sea\n4", "Grün\n7", "New\n6", "Project: X"]))
        self.assertEqual(value(self.dir + "/sub", USER_TAGS), dumps(["Sea\n4", "test"]))

    def test_export_and_import_carry_the_tags_and_the_label_exactly(self):
        source, target = self.dir + "/source", self.dir + "/target"
        os.makedirs(source)
        values = {"a": {USER_TAGS: MAC, FINDER: labelled(bytes(32), 6)},  # a label other than the tags'
                  "b": {USER_TAGS: dumps(["Work\n9", "Sea\n0", "Sea"]), "user.com.apple.metadata:kMDItemHeadline": dumps("H")},
                  "c": {USER_TAGS: dumps(3)},
                  "d": {FINDER: labelled(bytes(32), 4)}}  # a label alone
        for name, attributes in values.items():
            self.item("source/" + name, **attributes)
        status, out, _ = run("export", "-r", source)
        lines = sorted(out.splitlines())
        self.assertEqual((status, json.loads(lines[0])), (0, {"path": "a", "tags": plistlib.loads(MAC), "label": "red"}))
        shutil.copytree(source, target, copy_function=shutil.copyfile)  # the attributes stay behind
        self.assertEqual(sorted(run("import", "--root", target, "--dry-run", "-", stdin=out.encode())[1].splitlines()),
                         [f"{target}/a: tags, label", f"{target}/b: headline, tags", f"{target}/c: tags", f"{target}/d: label"])
        self.assertEqual(run("import", "--root", target, "-", stdin=out.encode()), (0, "", ""))
        for name, attributes in values.items():
            for key, data in attributes.items():
                self.assertEqual(value(os.path.join(target, name), key), data, (name, key))
        self.assertEqual(sorted(run("export", "-r", target)[1].splitlines()), lines)

    def test_check_reports_the_tags_a_mac_cannot_read(self):
        self.item("mac.jpg", **{USER_TAGS: MAC})
        self.item("n.jpg", **{USER_TAGS: dumps(3)})
        self.item("m.jpg", **{USER_TAGS: dumps(["Work", 3])})
        self.item("d.jpg", **{USER_TAGS: dumps(["Work\n8", "Sea\n7"])})
        status, out, _ = run("check", "-r", self.dir)
        self.assertEqual((status, sorted(out.splitlines())), (1, [
            f'{self.dir}/d.jpg: tags: the tag "Work" has the colour digit 8: a Mac knows 0 to 7',
            f"{self.dir}/m.jpg: tags: a list holding other values than strings: a Mac shows none of its tags",
            f"{self.dir}/n.jpg: tags: kept as a number, not as a list of strings: a Mac shows no tags"]))


if __name__ == "__main__":
    unittest.main()
