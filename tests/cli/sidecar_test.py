#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sidecars as Linux desktops really meet them: the kernel's own exFAT/FAT answers (emulated by
# interposing the attribute calls, tests/support/kernel_emulation.cpp), a real exfat-fuse volume
# that ignores case, a process killed at each step of a sidecar's replacement, and paths that are
# not plain names.
import fcntl, json, os, plistlib, shutil, signal, subprocess, tempfile, unittest

from cli_test import CLI, disk, run, sidecar

MAC = os.path.join(os.path.dirname(__file__), "..", "attrstore", "appledouble", "kernel-4096-wherefroms-tags-quarantine")
HEADLINE = {"com.apple.metadata:kMDItemHeadline": plistlib.dumps("X", fmt=plistlib.FMT_BINARY)}
OLD = sidecar(MAC)
NEW = (*OLD[:2], {**OLD[2], **HEADLINE})  # the Mac's sidecar with headline X added


def run_emulated(*args, emulate=None, kill_at=None, appear=None):
    # quillmark-cli with the emulation library loaded: emulate is "kernel-fat", "seccomp" or "slow"
    # (or several, comma-separated), kill_at "STEP[:N]", appear "FROM:TO" (see
    # kernel_emulation.cpp). Returns (status, stdout, stderr).
    done = start_emulated(*args, emulate=emulate, kill_at=kill_at, appear=appear)
    out, err = done.communicate()
    return done.returncode, out.decode(errors="replace"), err.decode(errors="replace")


def finish(process):
    process.communicate()
    return process.returncode


def start_emulated(*args, emulate=None, kill_at=None, appear=None, count=None):
    env = dict(os.environ, LD_PRELOAD=os.environ["QUILLMARK_PRELOAD"],
               ASAN_OPTIONS="verify_asan_link_order=0:" + os.environ.get("ASAN_OPTIONS", ""))
    env.update({k: v for k, v in (("QUILLMARK_EMULATE", emulate), ("QUILLMARK_KILL_AT", kill_at),
                                  ("QUILLMARK_APPEAR", appear), ("QUILLMARK_COUNT", count)) if v})
    return subprocess.Popen([CLI, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)


class Sidecars(unittest.TestCase):
    def test_a_macs_sidecar_on_a_kernel_fat_volume_that_ignores_case_keeps_every_entry(self):
        with disk("exfat") as root:
            open(root + "/Photo.JPG", "w").close()
            shutil.copy(MAC, root + "/._photo.jpg")
            self.assertEqual(run_emulated("write-folder", "--headline", "X", root, emulate="kernel-fat"), (0, "", ""))
            names = sorted(os.listdir(root))
            self.assertEqual([name.lower() for name in names], ["._photo.jpg", "photo.jpg"])
            self.assertEqual(sidecar(f"{root}/{names[0]}"), NEW)  # by its own name: FUSE caches the other

    def test_an_empty_claim_left_on_a_real_exfat_volume_is_taken_by_the_next_change(self):
        with disk("exfat") as root:
            open(root + "/b.jpg", "w").close()
            open(root + "/._b.jpg", "w").close()
            self.assertEqual(run("set", "--headline", "X", root + "/b.jpg"), (0, "", ""))
            self.assertEqual(sidecar(root + "/._b.jpg")[2], HEADLINE)

    def test_a_kill_at_any_step_leaves_the_old_or_the_new_sidecar_and_the_next_write_tidies_up(self):
        a = "a" * 249 + ".jpg"  # "._" + a: as long as a name can be
        # A new sidecar is an empty claim, held, then replaced by the second renameat: killed
        # before that, the claim stays and reads as no sidecar.
        for step in ["write", "fsync", "renameat", "fsync:2", "write:2", "flock:2", "renameat:2"]:
            with self.subTest(step=step), tempfile.TemporaryDirectory() as d:
                for name in (a, "b.jpg"):
                    open(os.path.join(d, name), "w").close()
                shutil.copy(MAC, f"{d}/._{a}")
                os.chmod(f"{d}/._{a}", 0o600)
                status = run_emulated("set", "--headline", "X", f"{d}/{a}", d + "/b.jpg", kill_at=step,
                                      emulate="kernel-fat")[0]
                self.assertEqual(status, -signal.SIGKILL)
                self.assertIn(sidecar(f"{d}/._{a}"), (OLD, NEW))
                if os.path.exists(d + "/._b.jpg"):
                    if os.path.getsize(d + "/._b.jpg") == 0:  # the claim
                        self.assertEqual(run("show", "--json", d + "/b.jpg")[1].count(": null"), 6)
                    else:
                        self.assertEqual(sidecar(d + "/._b.jpg")[2], HEADLINE)
                stale = [name for name in os.listdir(d) if name.startswith(".quillmark-")]
                self.assertLessEqual(len(stale), 1)
                if step == "write":  # no content yet, and already the old sidecar's mode
                    self.assertEqual(os.stat(f"{d}/{stale[0]}").st_mode & 0o777, 0o600)
                    self.assertRegex(stale[0], r"^\.quillmark-a1400624d04bd470-[0-3]$")  # as every version names it
                # A writer still holding its temporary keeps it; once it is gone, the next write removes it.
                for name in stale:
                    with open(f"{d}/{name}", "rb") as held:
                        fcntl.flock(held, fcntl.LOCK_EX)
                        self.assertEqual(run_emulated("write-folder", "--creator", "Y", d, emulate="kernel-fat"), (0, "", ""))
                        self.assertIn(name, os.listdir(d))
                self.assertEqual(run_emulated("write-folder", "--creator", "Y", d, emulate="kernel-fat"), (0, "", ""))
                self.assertEqual(sorted(os.listdir(d)), sorted([a, "b.jpg", "._" + a, "._b.jpg"]))

    def test_a_sidecar_another_program_put_in_place_meanwhile_is_changed_not_replaced(self):
        with tempfile.TemporaryDirectory() as d:
            open(d + "/b.jpg", "w").close()
            shutil.copy(MAC, d + "/theirs")
            self.assertEqual(run_emulated("set", "--headline", "X", d + "/b.jpg", emulate="kernel-fat",
                                          appear=f"{d}/theirs:{d}/._b.jpg"), (0, "", ""))
            self.assertEqual(sidecar(d + "/._b.jpg"), NEW)
            self.assertEqual(sorted(os.listdir(d)), ["._b.jpg", "b.jpg"])

    def test_writers_at_the_same_time_keep_every_value_they_report_stored(self):
        fields = ("headline", "description", "creator", "copyright", "keywords")
        for volume in ("exfat", "kernel-fat"):
            with self.subTest(volume=volume), \
                    (disk("exfat") if volume == "exfat" else tempfile.TemporaryDirectory()) as d:
                emulate = "kernel-fat" if volume == "kernel-fat" else None
                for round in range(8):
                    item = f"{d}/r{round}.jpg"
                    open(item, "w").close()
                    shutil.copy(MAC, f"{d}/._r{round}.jpg")
                    writers = [start_emulated("set", f"--{field}", f"{field} {round}", item, emulate=emulate) for field in fields]
                    self.assertEqual([finish(w) for w in writers], [0] * 5)
                    after = sidecar(f"{d}/._r{round}.jpg")
                    self.assertEqual(after[:2], OLD[:2])
                    self.assertEqual({k: v for k, v in after[2].items() if k in OLD[2]}, OLD[2])  # the Mac's own
                    shown = json.loads(run("show", "--json", item)[1])[0]
                    self.assertEqual([shown[field] for field in fields], [f"{field} {round}" for field in fields])
                # Two Write Folders over one tree at once.
                os.makedirs(d + "/tree")
                for i in range(40):
                    open(f"{d}/tree/{i}.jpg", "w").close()
                walks = [start_emulated("write-folder", f"--{field}", "W", d + "/tree", emulate=emulate) for field in ("headline", "creator")]
                self.assertEqual([finish(w) for w in walks], [0, 0])
                shown = json.loads(run("show", "--json", *[f"{d}/tree/{i}.jpg" for i in range(40)])[1])
                self.assertEqual({(item["headline"], item["creator"]) for item in shown}, {("W", "W")})

    def test_a_writer_waits_a_bounded_time_for_another_and_then_says_so(self):
        with tempfile.TemporaryDirectory() as d:
            open(d + "/b.jpg", "w").close()
            shutil.copy(MAC, d + "/._b.jpg")
            with open(d + "/._b.jpg", "rb") as held:
                fcntl.flock(held, fcntl.LOCK_EX)
                self.assertEqual(run_emulated("set", "--headline", "X", "--creator", "Y", d + "/b.jpg", emulate="kernel-fat"),
                                 (1, "", "".join(f"{d}/b.jpg: setxattr error: Resource temporarily unavailable\n" for _ in range(2))))
            self.assertEqual(sidecar(d + "/._b.jpg"), OLD)
            # A writer killed while it holds the sidecar holds nothing after it.
            holder = subprocess.Popen(["python3", "-c", "import fcntl,sys,time; f=open(sys.argv[1]); fcntl.flock(f, fcntl.LOCK_EX); print(flush=True); time.sleep(60)", d + "/._b.jpg"], stdout=subprocess.PIPE)
            holder.stdout.readline()
            holder.kill()
            holder.wait()
            self.assertEqual(run_emulated("set", "--headline", "X", d + "/b.jpg", emulate="kernel-fat"), (0, "", ""))
            self.assertEqual(sidecar(d + "/._b.jpg"), NEW)

    def test_a_drive_mounted_inside_a_tree_gets_no_sidecar_on_the_disk_above(self):
        with disk("tmpfs") as root, disk("exfat") as card:
            open(card + "/a.jpg", "w").close()
            os.makedirs(root + "/Photos/import")
            subprocess.run(["mount", "--bind", card, root + "/Photos/import"], check=True)
            try:
                self.assertEqual(run("write-folder", "--headline", "X", root + "/Photos"),
                                 (1, "", f"{root}/Photos/import: setxattr error: Invalid cross-device link\n"))
                self.assertEqual(sorted(os.listdir(root + "/Photos")), ["import"])
                self.assertEqual(sorted(os.listdir(root + "/Photos/import")), ["._a.jpg", "a.jpg"])
            finally:
                subprocess.run(["umount", root + "/Photos/import"])

    def test_the_sidecar_of_the_item_a_path_names(self):
        with disk("tmpfs") as root:
            for folder in ("in/sub", "far"):
                os.makedirs(f"{root}/{folder}")
            open(root + "/far/t.jpg", "w").close()
            os.symlink("../far/t.jpg", root + "/in/link")
            shutil.copy(MAC, root + "/in/._orphan")
            for path in ("in/sub/.", "in/sub/", "in/sub/../sub", "in/link"):
                self.assertEqual(run_emulated("set", "--headline", "X", f"{root}/{path}", emulate="kernel-fat"), (0, "", ""))
            self.assertEqual(run_emulated("set", "--headline", "X", root + "/in/._orphan", emulate="kernel-fat"),
                             (1, "", f"{root}/in/._orphan: setxattr error: Invalid argument\n"))
            self.assertEqual(run_emulated("set", "--headline", "X", root + "/in/..", emulate="kernel-fat"),
                             (1, "", f"{root}/in/..: setxattr error: Invalid cross-device link\n"))
            self.assertEqual(sorted(os.listdir(root + "/in")), ["._orphan", "._sub", "link", "sub"])
            self.assertEqual(sorted(os.listdir(root + "/far")), ["._t.jpg", "t.jpg"])
            self.assertEqual(os.listdir(os.path.dirname(root)), ["mnt"])  # nothing beside the mount point


if __name__ == "__main__":
    unittest.main()
