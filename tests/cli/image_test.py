#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# quillmark-cli on JPEGs the exiv2 command writes: what an image says itself
# beside its stored values (show, show --json), and set and write-folder --from-image storing it.
import json, os, pathlib, subprocess, tempfile, unittest

from cli_test import disk, run, put, stored
from sidecar_test import finish, start_emulated


class FromImage(unittest.TestCase):
    def test_show_adds_what_the_image_says_and_set_from_image_stores_it(self):
        work = self.enterContext(tempfile.TemporaryDirectory())
        photo, other = os.path.join(work, "harbour.jpg"), os.path.join(work, "notes.txt")
        pathlib.Path(photo).write_bytes(b"\xff\xd8\xff\xd9")
        commands = ["set Xmp.photoshop.Headline XmpText Harbour lights at dawn", "set Xmp.dc.creator XmpSeq Zoë",
                    "add Iptc.Application2.Keywords String boats", "add Iptc.Application2.Keywords String quay"]
        subprocess.run(["exiv2", "-q", *(a for c in commands for a in ("-M", c)), photo], check=True)
        image = pathlib.Path(photo).read_bytes()
        put(photo, "Creator", "Ada")
        self.assertEqual(run("show", photo), (0, photo + "\nHeadline: [in the image: Harbour lights at dawn]\n"
                         "Description:\nCreator: Ada\nCopyright:\nKeywords: [in the image: boats, quay]\nTags:\n", ""))
        out = run("show", "--json", photo)[1]
        self.assertEqual(json.loads(out)[0]["embedded"], {"headline": "Harbour lights at dawn", "description": None,
                                                          "creator": "Zoë", "copyright": None, "keywords": "boats, quay"})
        # "embedded" is not stored
        self.assertEqual((run("set", "--json", "-", stdin=out.encode()), stored(photo, "Headline")), ((0, "", ""), None))
        pathlib.Path(other).write_bytes(image[:image.find(b"8BIM") + 12])
        self.assertEqual(run("show", other)[0::2], (1, other + ": The values in the image cannot be read: "
                                                      "Failed to read image data\n"))

        self.assertEqual(run("set", "--from-image", photo), (0, "", ""))
        self.assertEqual([stored(photo, f) for f in ("Headline", "Creator", "Keywords", "Copyright")],
                         ["Harbour lights at dawn", "Ada", "boats, quay", None])
        self.assertEqual(run("set", "--from-image", "--replace", photo, work),
                         (1, "", work + ": not an image whose metadata can be read\n"))
        self.assertEqual((stored(photo, "Creator"), pathlib.Path(photo).read_bytes()), ("Zoë", image))
        for usage in (["--replace", photo], ["--from-image", "--headline", "x", photo], ["--from-image"]):
            self.assertEqual(run("set", *usage)[0], 2, usage)

        # Where values live in a sidecar, one it holds is kept as well; one listing decides both.
        with disk("ramfs") as root:
            kept = os.path.join(root, "kept.jpg")
            pathlib.Path(kept).write_bytes(image)
            self.assertEqual(run("set", "--creator", "Ada", kept), (0, "", ""))
            counts = os.path.join(work, "counts")
            self.assertEqual(finish(start_emulated("set", "--from-image", kept, count=counts)), 0)
            self.assertEqual(pathlib.Path(counts).read_text().split()[:2], ["list", "1"])
            self.assertEqual(run("show", kept)[1], kept + "\nHeadline: Harbour lights at dawn\nDescription:\n"
                             "Creator: Ada\nCopyright:\nKeywords: boats, quay\nTags:\n")

        # write-folder: each image below the folder from itself; other entries passed over, damaged ones reported.
        copy, plain = os.path.join(work, "sub", "copy.jpg"), os.path.join(work, "sub", "plain.txt")
        os.mkdir(os.path.dirname(copy))
        pathlib.Path(copy).write_bytes(image)
        pathlib.Path(plain).write_text("x")
        self.assertEqual(run("write-folder", "--from-image", os.path.dirname(copy)), (0, "", ""))
        self.assertEqual([stored(copy, "Headline"), stored(plain, "Headline")], ["Harbour lights at dawn", None])
        self.assertEqual(run("write-folder", "--from-image", work)[0::2],
                         (1, other + ": The values in the image cannot be read: Failed to read image data\n"))


if __name__ == "__main__":
    unittest.main()
