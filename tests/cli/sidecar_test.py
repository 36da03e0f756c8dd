#!/usr/bin/env python3
# Sidecars as Linux desktops really meet them: the kernel's own exFAT/FAT answers (emulated by
# interposing the attribute calls, tests/support/kernel_emulation.cpp), a real exfat-fuse volume
# that ignores case, a process killed at each step of a sidecar's replacement, and paths that are
# not plain names.
import fcntl, os, plistlib, shutil, signal, subprocess, tempfile, unittest

from cli_test import CLI, disk, run, sidecar

MAC = os.path.join(os.path.dirname(__file__), "..", "attrstore", "appledouble", "kernel-4096-wherefroms-tags-quarantine")
HEADLINE = {"com.apple.metadata:kMDItemHeadline": plistlib.dumps("X", fmt=plistlib.FMT_BINARY)}
OLD = sidecar(MAC)
NEW = (*OLD[:2], {**OLD[2], **HEADLINE})  # the Mac's sidecar with headline X added


def run_emulated(*args, emulate=None, kill_at=None, appear=None):
    # quillmark-cli with the emulation library loaded: emulate is "kernel-fat", "seccomp" or
    # "no-rename-flags" (or several, comma-separated), kill_at "STEP[:N]", appear "FROM:TO" (see
    # kernel_emulation.cpp). Returns (status, stdout, stderr).
    env = dict(os.environ, LD_PRELOAD=os.environ["QUILLMARK_PRELOAD"],
               ASAN_OPTIONS="verify_asan_link_order=0:" + os.environ.get("ASAN_OPTIONS", ""))
    env.update({k: v for k, v in (("QUILLMARK_EMULATE", emulate), ("QUILLMARK_KILL_AT", kill_at), ("QUILLMARK_APPEAR", appear)) if v})
    done = subprocess.run([CLI, *args], capture_output=True, env=env)
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


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
        # Without rename flags and then without links (FAT), a new sidecar is an empty claim
        # replaced by the second renameat: killed there, the claim stays and reads as no sidecar.
        emulation = {"linkat": "kernel-fat,no-rename-flags", "renameat:2": "kernel-fat,no-rename-flags,no-links"}
        for step in ["write", "fsync", "renameat", "fsync:2", "write:2", "renameat2", "linkat", "renameat:2"]:
            with self.subTest(step=step), tempfile.TemporaryDirectory() as d:
                for name in (a, "b.jpg"):
                    open(os.path.join(d, name), "w").close()
                shutil.copy(MAC, f"{d}/._{a}")
                os.chmod(f"{d}/._{a}", 0o600)
                status = run_emulated("set", "--headline", "X", f"{d}/{a}", d + "/b.jpg", kill_at=step,
                                      emulate=emulation.get(step, "kernel-fat"))[0]
                self.assertEqual(status, -signal.SIGKILL)
                self.assertIn(sidecar(f"{d}/._{a}"), (OLD, NEW))
                if os.path.exists(d + "/._b.jpg"):
                    if step == "renameat:2":
                        self.assertEqual(os.path.getsize(d + "/._b.jpg"), 0)
                        self.assertEqual(run("show", "--json", d + "/b.jpg")[1].count(": null"), 5)
                    else:
                        self.assertEqual(sidecar(d + "/._b.jpg")[2], HEADLINE)
                stale = [name for name in os.listdir(d) if name.startswith(".quillmark-")]
                self.assertLessEqual(len(stale), 1)
                if step == "write":  # no content yet, and already the old sidecar's mode
                    self.assertEqual(os.stat(f"{d}/{stale[0]}").st_mode & 0o777, 0o600)
                # A writer still holding its temporary keeps it; once it is gone, the next write removes it.
                for name in stale:
                    with open(f"{d}/{name}", "rb") as held:
                        fcntl.flock(held, fcntl.LOCK_EX)
                        self.assertEqual(run_emulated("write-folder", "--creator", "Y", d, emulate="kernel-fat"), (0, "", ""))
                        self.assertIn(name, os.listdir(d))
                self.assertEqual(run_emulated("write-folder", "--creator", "Y", d, emulate="kernel-fat"), (0, "", ""))
                self.assertEqual(sorted(os.listdir(d)), sorted([a, "b.jpg", "._" + a, "._b.jpg"]))

    def test_a_sidecar_made_meanwhile_by_another_program_is_changed_not_replaced(self):
        for emulate in ("kernel-fat", "kernel-fat,no-rename-flags"):  # renameat2's flag, or a hard link
            with self.subTest(emulate=emulate), tempfile.TemporaryDirectory() as d:
                open(d + "/b.jpg", "w").close()
                shutil.copy(MAC, d + "/theirs")
                self.assertEqual(run_emulated("set", "--headline", "X", d + "/b.jpg", emulate=emulate, appear=f"{d}/theirs:{d}/._b.jpg"), (0, "", ""))
                self.assertEqual(sidecar(d + "/._b.jpg"), NEW)
                self.assertEqual(sorted(os.listdir(d)), ["._b.jpg", "b.jpg", "theirs"])

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
