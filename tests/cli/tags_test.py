#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Finder tags and the colour label where Macs keep them on Linux: the Macs' own sidecars on a real
# exFAT volume and under the kernel's FAT answers, Finder info alone, in Samba's AfpInfo stream and
# in netatalk's metadata, and a real smbd read back as a Mac client reads it.
import os, plistlib, shutil, struct, tempfile, unittest

from cli_test import CLI, disk, run, samba_share, sidecar
from sidecar_test import run_emulated

HERE = os.path.dirname(__file__)
SAMPLES = os.path.join(HERE, "..", "attrstore", "appledouble")
TAGS = "com.apple.metadata:_kMDItemUserTags"
FINDER = "user.com.apple.FinderInfo"
AFP = "user.DosStream.AFP_AfpInfo:$DATA"
NETATALK = "user.org.netatalk.Metadata"
STREAM = "user.DosStream.com.apple.metadata\uf022_kMDItemUserTags:$DATA"
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
    import json
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
        self.assertEqual((value(served, AFP), value(served, FINDER)), (None, None))  # never a server's own
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


if __name__ == "__main__":
    unittest.main()
