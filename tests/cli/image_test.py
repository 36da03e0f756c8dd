#!/usr/bin/env python3
# quillmark-cli on JPEGs the exiv2 command writes: what an image says itself
# beside its stored values (show, show --json), and set --from-image storing it.
import json, os, subprocess, sys, tempfile, unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cli_test import run, put, stored


def jpeg(path, *commands):
    with open(path, "wb") as f:
        f.write(b"\xff\xd8\xff\xd9")
    subprocess.run(["exiv2", "-q", *[a for c in commands for a in ("-M", c)], path], check=True)
    with open(path, "rb") as f:
        return f.read()


class FromImage(unittest.TestCase):
    def setUp(self):
        work = tempfile.TemporaryDirectory()
        self.addCleanup(work.cleanup)
        self.photo, self.other = os.path.join(work.name, "harbour.jpg"), os.path.join(work.name, "notes.txt")
        self.image = jpeg(self.photo, "set Xmp.photoshop.Headline XmpText Harbour lights at dawn",
                          "add Iptc.Application2.Keywords String boats", "add Iptc.Application2.Keywords String quay",
                          "set Xmp.dc.creator XmpSeq Zoë")
        put(self.photo, "Creator", "Ada")
        open(self.other, "w").close()

    def test_show_adds_what_the_image_says_and_set_json_leaves_it(self):
        self.assertEqual(run("show", self.photo), (0, self.photo + "\nHeadline: [in the image: Harbour lights at dawn]\n"
                         "Description:\nCreator: Ada\nCopyright:\nKeywords: [in the image: boats, quay]\n", ""))
        status, out, _ = run("show", "--json", self.photo)
        self.assertEqual(json.loads(out)[0]["embedded"], {"headline": "Harbour lights at dawn", "description": None,
                                                          "creator": "Zoë", "copyright": None, "keywords": "boats, quay"})
        self.assertEqual(run("set", "--json", "-", stdin=out.encode()), (0, "", ""))
        self.assertIsNone(stored(self.photo, "Headline"))
        with open(self.other, "wb") as f:
            f.write(self.image[:self.image.find(b"8BIM") + 12])
        self.assertEqual(run("show", self.other)[0::2], (1, self.other + ": The values in the image cannot be read: "
                                                            "Failed to read image data\n"))

    def test_set_from_image_stores_only_what_is_absent_unless_replace(self):
        self.assertEqual(run("set", "--from-image", self.photo), (0, "", ""))
        self.assertEqual([stored(self.photo, f) for f in ("Headline", "Creator", "Keywords", "Copyright")],
                         ["Harbour lights at dawn", "Ada", "boats, quay", None])
        self.assertEqual(run("set", "--from-image", "--replace", self.photo, self.other),
                         (1, "", self.other + ": not an image whose metadata can be read\n"))
        self.assertEqual(stored(self.photo, "Creator"), "Zoë")
        with open(self.photo, "rb") as f:
            self.assertEqual(f.read(), self.image)
        for usage in (["--replace", self.photo], ["--from-image", "--headline", "x", self.photo], ["--from-image"]):
            self.assertEqual(run("set", *usage)[0], 2, usage)


if __name__ == "__main__":
    unittest.main()
