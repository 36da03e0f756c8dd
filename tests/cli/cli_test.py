#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# quillmark-cli as a user runs it ($QUILLMARK_CLI): each command on real files
# with values written by plistlib in every format, and a table of real kernel
# faults on scratch filesystems mounted here (root and loop devices needed, else
# those tests skip). The window's Save and Write Folder run the same engine.
import base64, contextlib, fcntl, json, os, plistlib, pty, re, shutil, signal, socket, struct, subprocess, tempfile, termios, time, tty, unittest

CLI = os.path.abspath(os.environ["QUILLMARK_CLI"])
KEY = "user.com.apple.metadata:kMDItem"
FIELDS = ["Headline", "Description", "Creator", "Copyright", "Keywords"]


NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]


def run(*args, stdin=b""):
    done = subprocess.run([CLI, *args], input=stdin, capture_output=True)
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


def on_terminal(*args, columns=80):
    # The CLI with standard output and error on a raw terminal `columns` wide: (status, bytes shown).
    leader, follower = pty.openpty()
    tty.setraw(follower)
    fcntl.ioctl(follower, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
    child, shown = subprocess.Popen([CLI, *args], stdout=follower, stderr=follower), b""
    os.close(follower)
    with contextlib.suppress(OSError):  # EIO once the child has gone
        while chunk := os.read(leader, 65536):
            shown += chunk
    os.close(leader)
    return child.wait(), shown


def put(path, key, value, fmt=plistlib.FMT_BINARY):
    os.setxattr(path, KEY + key, value if isinstance(value, bytes) else plistlib.dumps(value, fmt=fmt))


def stored(path, key):
    try:
        return plistlib.loads(os.getxattr(path, KEY + key, follow_symlinks=False))
    except OSError:
        return None


def sh(command, cwd=None):
    subprocess.run(["sh", "-c", command], cwd=cwd, check=True, stdout=subprocess.DEVNULL)


@contextlib.contextmanager
def disk(kind):
    # A fresh filesystem: an 8 MiB ext4 with 1 KiB blocks, a tmpfs, a ramfs (no user attributes),
    # or a 32 MiB exFAT volume through FUSE on a loop device, as a Mac's USB drive.
    if os.geteuid() != 0 or not os.path.exists("/dev/loop-control"):
        raise unittest.SkipTest("needs root and loop devices to mount scratch filesystems")
    if kind == "exfat" and not (os.path.exists("/dev/fuse") and shutil.which("mount.exfat-fuse")):
        raise unittest.SkipTest("needs /dev/fuse and exfat-fuse (scripts/install-deps)")
    with tempfile.TemporaryDirectory() as work:
        root, image, fuse = os.path.join(work, "mnt"), os.path.join(work, "fs.img"), None
        os.mkdir(root)
        if kind == "exfat":
            sh(f"truncate -s 32M {image} && mkfs.exfat {image}")
            loop = subprocess.run(["losetup", "-f", "--show", image], capture_output=True, text=True).stdout.strip()
            fuse = subprocess.Popen(["mount.exfat-fuse", "-d", loop, root], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)  # in the foreground: a child of ours
            while not os.path.ismount(root) and fuse.poll() is None:
                time.sleep(0.05)
        else:
            sh({"ext4": f"truncate -s 8M {image} && mkfs.ext4 -q -b 1024 {image} && mount -o loop {image} {root}",
                "tmpfs": f"mount -t tmpfs -o size=8m tmpfs {root}", "ramfs": f"mount -t ramfs ramfs {root}"}[kind])
        os.chmod(work, 0o755)  # for uid 65534 to reach it
        try:
            yield root
        finally:
            subprocess.run(f"chattr -R -i {root}; umount {root} || umount -l {root}", shell=True,
                           stderr=subprocess.DEVNULL)
            if fuse:
                fuse.wait()
                subprocess.run(["losetup", "-d", loop])


def sidecar(path):
    # An AppleDouble file read here, independently of the program: its Finder info, resource
    # fork (the blank one macOS puts in new sidecars read as none) and attributes.
    with open(path, "rb") as file:
        data = file.read()
    entries = {struct.unpack(">I", data[26 + 12 * i:30 + 12 * i])[0]: struct.unpack(">II", data[30 + 12 * i:38 + 12 * i])
               for i in range(struct.unpack(">H", data[24:26])[0])}
    attributes, at = {}, 120
    for _ in range(struct.unpack(">H", data[118:120])[0] if data[84:88] == b"ATTR" else 0):
        offset, length, _, size = struct.unpack(">IIHB", data[at:at + 11])
        attributes[data[at + 11:at + 10 + size].decode()] = data[offset:offset + length]
        at = (at + 11 + size + 3) & ~3
    fork = data[entries[2][0]:sum(entries[2])] if 2 in entries else b""
    return data[50:82], b"" if b"intentionally left blank" in fork else fork, attributes


@contextlib.contextmanager
def samba_share(fruit=""):
    # A real smbd on 127.0.0.1 (vfs_fruit + streams_xattr, as NAS boxes serve Macs; `fruit`: more
    # of the share's settings), and a way to run smbclient against it as a Mac client would.
    if os.geteuid() != 0 or not shutil.which("smbd") or not shutil.which("smbclient"):
        raise unittest.SkipTest("needs root, smbd and smbclient (scripts/install-deps)")
    with tempfile.TemporaryDirectory() as work, socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        share, state = os.path.join(work, "share"), os.path.join(work, "state")
        os.mkdir(share)
        os.mkdir(state)
        dirs = "".join(f"{d} = {state}\n" for d in ("private dir", "lock directory", "state directory",
                                                     "cache directory", "pid directory", "ncalrpc dir"))
        with open(os.path.join(work, "smb.conf"), "w") as conf:
            conf.write(f"[global]\nserver role = standalone server\nmap to guest = Bad User\nguest account = root\n"
                       f"smb ports = {port}\ninterfaces = 127.0.0.1\nbind interfaces only = yes\ndisable netbios = yes\n"
                       f"log file = {state}/log\n{dirs}[share]\npath = {share}\nread only = no\nguest ok = yes\n"
                       f"force user = root\nvfs objects = catia fruit streams_xattr\n{fruit}")
        # smbd stops its whole process group when it ends: a session of its own.
        server = subprocess.Popen(["smbd", "--foreground", "--no-process-group", "-s", conf.name],
                                  start_new_session=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        client = lambda command: subprocess.run(["smbclient", "-N", "-p", str(port), "//127.0.0.1/share", "-c", command],
                                                capture_output=True, text=True)
        try:
            for _ in range(100):
                if client("ls").returncode == 0:
                    break
                time.sleep(0.1)
            yield share, client
        finally:
            os.killpg(server.pid, signal.SIGTERM)
            server.wait()


class Commands(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(subprocess.run, ["rm", "-rf", self.dir])

    def item(self, name, **values):
        path = os.path.join(self.dir.encode(), name.encode() if isinstance(name, str) else name)
        open(path, "wb").close()
        for key, value in values.items():
            put(path, key, *value) if isinstance(value, tuple) else put(path, key, value)
        return path

    def test_show_reads_every_format_and_describes_what_is_not_one_string(self):
        a = self.item("a.jpg", Headline="Harbour", Description=("two\nlines", plistlib.FMT_XML),
                      Creator=b'"Maren Holt"', Keywords=["harbour", "dawn"])
        b = self.item(b"caf\xe9.jpg", Copyright=3)
        status, out, err = run("show", a, b, os.path.join(self.dir, "missing"))
        self.assertEqual(out, f"{self.dir}/a.jpg\nHeadline: Harbour\nDescription: two\n\tlines\nCreator: Maren Holt\n"
                              f"Copyright:\nKeywords: [harbour, dawn]\nTags:\n\n{self.dir}/caf\ufffd.jpg\nHeadline:\n"
                              "Description:\nCreator:\nCopyright: [a number]\nKeywords:\nTags:\n")
        self.assertEqual((status, err), (1, f"{self.dir}/missing: No such file or directory\n"))
        status, out, _ = run("show", "--json", a, b)
        self.assertEqual(json.loads(out), [
            {"path": f"{self.dir}/a.jpg", "headline": "Harbour", "description": "two\nlines",
             "creator": "Maren Holt", "copyright": None, "keywords": ["harbour", "dawn"], "tags": None},
            {"path": {"base64": base64.b64encode(b).decode()}, "headline": None, "description": None,
             "creator": None, "copyright": {"plist": base64.b64encode(os.getxattr(b, KEY + "Copyright")).decode()},
             "keywords": None, "tags": None}])
        # On a terminal nothing stored can drive it (retitle, paint, write the clipboard); --json stays exact.
        c = self.item(b"t\x1b[2J\xe9", Headline="Boats\x1b]52;c;eA==\x07\tat\\dawn\x85", Keywords=["\x9b31m"])
        self.assertEqual(on_terminal("show", c), (0, f"{self.dir}/t\\033[2J\\351\nHeadline: Boats\\033]52;c;eA==\\a\tat"
                         "\\\\dawn\\302\\205\nDescription:\nCreator:\nCopyright:\nKeywords: [\\302\\23331m]\nTags:\n".encode()))
        self.assertEqual(json.loads(on_terminal("show", "--json", c)[1])[0]["headline"], "Boats\x1b]52;c;eA==\x07\tat\\dawn\x85")

    def test_json_round_trip_between_two_items_whatever_their_names(self):
        long = "Harbour lights at dawn. " * 100  # past what any first read would guess
        a = self.item(b"caf\xe9.jpg", Headline=long, Creator="", Keywords=["a", "b"])
        b = self.item("b.jpg", Copyright="kept")
        _, shown, _ = run("show", "--json", a)
        self.assertEqual(run("set", "--json", "-", b, stdin=shown.encode()), (0, "", ""))
        self.assertEqual([stored(b, key) for key in FIELDS], [long, None, "", "kept", ["a", "b"]])
        self.assertEqual(os.getxattr(b, KEY + "Headline"), os.getxattr(a, KEY + "Headline"))
        # Without PATHs each object goes back to its own path, bytes and all.
        edited = json.loads(shown)
        edited[0]["description"] = "Boats"
        self.assertEqual(run("set", "--json", "-", stdin=json.dumps(edited).encode())[0], 0)
        self.assertEqual(stored(a, "Description"), "Boats")
        # Malformed input writes nothing; a path holding NUL would name another file (here b.jpg).
        for bad in (b"[", b'[{"path": 3}]', b'[{"path": "x", "headline": 3}]', b'[{"headline": "x"}]',
                    b'[{"path": "b.jpg", "headline": "x", "creator": 1e999}]', b'[{"path": "b.jpg\\u0000c", "headline": "x"}]',
                    b'[{"path": {"base64": "Yi5qcGcAYw=="}, "headline": "x"}]'):
            self.assertEqual(subprocess.run([CLI, "set", "--json", "-"], input=bad, cwd=self.dir, capture_output=True).returncode, 2, bad)
        self.assertEqual(stored(b, "Headline"), long)

    def test_set_follows_saves_rules_and_refuses_bad_usage_before_writing(self):
        f = self.item("f.jpg", Headline="Old", Keywords="k")
        self.assertEqual(run("set", "--creator", "Ada", "--remove", "keywords", f), (0, "", ""))
        self.assertEqual([stored(f, key) for key in FIELDS], ["Old", None, "Ada", None, None])
        for usage in (["--headline", "", f], ["--headline", "x", "--remove", "headline", f], [f],
                      ["--remove", "title", f], ["--headline", b"\xe9", f], ["--headline", "x"]):
            status, _, err = run("set", *usage)
            self.assertEqual((status, err.count("\nUsage: quillmark-cli set [OPTIONS] [PATH...]\n")), (2, 1), usage)
        self.assertEqual(stored(f, "Headline"), "Old")
        self.assertEqual(run("set", "--remove", "keywords", f), (1, "", f"{self.dir}/f.jpg: remxattr error: No data available\n"))
        # Keywords added and removed, each item keeping its list or its one string.
        g = self.item("g.jpg", Keywords=["harbour", "Smith, John"])
        self.assertEqual(run("set", "--add-keyword", "boats", "--add-keyword", "Dawn", "--remove-keyword", "harbour", f, g), (0, "", ""))
        self.assertEqual((stored(f, "Keywords"), stored(g, "Keywords")), ("boats, Dawn", ["Smith, John", "boats", "Dawn"]))
        self.assertEqual(run("set", "--add-keyword", "Holt, Maren", f, g),
                         (1, "", f"{self.dir}/f.jpg: setxattr error: keywords kept as one string cannot hold \"Holt, Maren\": it would read as two\n"))
        self.assertEqual(stored(g, "Keywords")[-1], "Holt, Maren")
        n = self.item("n.jpg", Keywords=7)
        self.assertEqual(run("set", "--add-keyword", "x", n)[2],
                         f"{self.dir}/n.jpg: setxattr error: the keywords are kept as a number, not as strings: left as they are\n")
        self.assertEqual(run("set", "--remove-keyword", "boats", "--remove-keyword", "Dawn", f), (0, "", ""))
        self.assertEqual(stored(f, "Keywords"), None)  # none left: the value goes

    def test_write_folder_is_the_windows_write_folder(self):
        # Which entries get the values is the window's walk, tested with the editor; here the
        # command itself: names in any encoding, a link passed over, failures and bad usage.
        root = os.path.join(self.dir, "Shoot")
        os.makedirs(root)
        latin = self.item(b"Shoot/caf\xe9.jpg")
        os.symlink(self.item("outside.jpg"), os.path.join(root, "link"))
        self.assertEqual(run("write-folder", "--creator", "Ada", "--keywords", "k", root), (0, "", ""))
        self.assertEqual([stored(latin, "Creator"), stored(self.dir + "/outside.jpg", "Creator")], ["Ada", None])
        self.assertEqual(run("write-folder", "--creator", "x", self.dir + "/none"),
                         (1, "", f"{self.dir}/none: opendir error: No such file or directory\n"))
        self.assertEqual(run("write-folder", root)[0], 2)

    def test_report_is_the_windows_report_of_the_stored_values(self):
        # Keywords kept as a list of strings, as a Mac keeps them: joined with ", ", as the window writes them.
        f = self.item(b"caf\xe9.jpg", Headline="Harbour", Creator="Zoë", Keywords=["harbour", "Holt, Maren"])
        expected = "Saved extended attributes:\n\nHeadline:\nHarbour\nDescription:\n\nCreator:\nZoë\n" \
                   "Copyright:\n\nKeywords:\nharbour, Holt, Maren\nWritten by Quillmark."
        self.assertEqual(run("report", f), (0, expected, ""))
        self.assertEqual(run("report", "--output", self.dir + "/r.txt", f), (0, "", ""))
        self.assertEqual(open(self.dir + "/r.txt", encoding="utf-8").read(), expected)
        os.mkfifo(self.dir + "/fifo")  # no reader: refused at once, not waited on
        self.assertEqual(run("report", "--output", self.dir + "/fifo", f),
                         (1, "", f"{self.dir}/fifo: No such device or address\n"))

    def test_closed_output_interrupt_and_progress(self):
        f = self.item("f.jpg", Headline="x")
        reader = subprocess.Popen(["head", "-c", "1"], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
        writer = subprocess.run([CLI, "show", *[f] * 5000], stdout=reader.stdin, stderr=subprocess.PIPE)
        reader.stdin.close()
        reader.wait()
        self.assertEqual((writer.returncode, writer.stderr), (1, b""))
        closed = subprocess.run([CLI, "report", f], preexec_fn=lambda: os.close(1), stderr=subprocess.PIPE)
        self.assertEqual((closed.returncode, closed.stderr), (1, b""))
        for i in range(3000):
            os.makedirs(os.path.join(self.dir, "big", str(i % 30)), exist_ok=True)
            open(os.path.join(self.dir, "big", str(i % 30), "é" * 30 + str(i)), "w").close()
        # Each entry fails (a value past the kernel's limit): every error line starts on a cleared line,
        # and each progress line drawn fits 60 columns in whole characters.
        status, shown = on_terminal("write-folder", "--description", "d" * 70000, self.dir + "/big", columns=60)
        drawn = re.findall(rb"\r([^\r\x1b]+)\x1b\[K(.?)", shown, re.S)
        self.assertEqual((status, shown.count(b": setxattr error: Argument list too long\n")), (1, 3030))
        self.assertTrue(drawn)
        for line, after in drawn:
            self.assertIn(after, (b"\r", b""), "an error line written onto the progress line")
            self.assertLess(len(line.decode()), 60)
        # On a terminal a progress line is drawn, then cleared; Ctrl+C stops between entries (each
        # attribute call made slow, so the walk cannot end before the signal arrives).
        leader, follower = pty.openpty()
        slow = dict(os.environ, LD_PRELOAD=os.environ["QUILLMARK_PRELOAD"], QUILLMARK_EMULATE="slow",
                    ASAN_OPTIONS="verify_asan_link_order=0:" + os.environ.get("ASAN_OPTIONS", ""))
        walk = subprocess.Popen([CLI, "write-folder", "--headline", "h", self.dir + "/big"], stderr=follower, env=slow)
        self.assertIn(b" entries, ", os.read(leader, 4096))  # drawn at the first entry
        walk.send_signal(signal.SIGINT)
        self.assertEqual(walk.wait(), -signal.SIGINT)
        os.close(follower)
        written = sum(stored(os.path.join(d, n), "Headline") == "h" for d, _, ns in os.walk(self.dir + "/big") for n in ns)
        self.assertLess(written, 3000)


class Faults(unittest.TestCase):
    # One row each: a disk, a fault set up in its root (which holds f.jpg with a headline and creator,
    # and Shoot/sub/b.txt with a link beside it), the command, and what must follow.
    ROWS = [  # disk, fault, run as uid 65534, command, exit status, error lines, values afterwards
        ("ext4", "mount -o remount,ro .", False, ["set", "--copyright", "c", "--remove", "creator", "--remove", "keywords", "f.jpg"],
         1, ["f.jpg: setxattr error: Read-only file system", "f.jpg: remxattr error: Read-only file system",
             "f.jpg: remxattr error: No data available"], {"f.jpg": ["Old", None, "Ada", None, None]}),
        # Stored in 65,537 bytes and in exactly 65,536, the kernel's limit.
        ("tmpfs", "", False, ["set", "--description", "d" * 65491, "--creator", "c" * 65490, "f.jpg"], 1,
         ["f.jpg: setxattr error: Argument list too long"], {"f.jpg": ["Old", None, "c" * 65490, None, None]}),
        ("ext4", "chattr +i Shoot/sub", False, ["write-folder", "--creator", "x" * 3000, "--keywords", "kw", "Shoot"], 1,
         ["Shoot/sub: setxattr error: Operation not permitted"] * 2 + ["Shoot/sub/b.txt: setxattr error: No space left on device"],
         {"Shoot/sub/b.txt": [None, None, None, None, "kw"], "Shoot": [None] * 5}),
        # No user attributes here: the values go to sidecars, as a Mac would put them.
        ("ramfs", "", False, ["write-folder", "--creator", "c", "Shoot"], 0, [], {}),
        ("tmpfs", "chown -R 65534 . && mkdir -p Shoot/locked/in && chmod 700 Shoot/locked", True,
         ["write-folder", "--creator", "c", "Shoot"], 1,
         ["Shoot/locked: setxattr error: Permission denied", "Shoot/locked: opendir error: Permission denied"],
         {"Shoot/sub/b.txt": [None, None, "c", None, None]}),
        ("tmpfs", "chmod 600 f.jpg", True, ["show", "--json", "f.jpg"], 0, [], {}),  # unreadable is no failure
        ("ramfs", "chown -R 65534 . && printf '\\0\\5\\26\\7' > ._f.jpg && chmod 600 ._f.jpg", True,
         ["set", "--headline", "H", "f.jpg"], 1, ["f.jpg: setxattr error: Permission denied"], {}),
        ("tmpfs", "cat /dev/zero > full 2>/dev/null; true", False, ["report", "--output", "r.txt", "f.jpg"], 1,
         ["r.txt: No space left on device"], {}),
    ]

    def test_each_fault_gives_the_kernels_own_error_and_changes_nothing_else(self):
        for kind, fault, nobody, args, status, errors, after in self.ROWS:
            with self.subTest(args[:2] + [fault]), disk(kind) as root:
                os.makedirs(os.path.join(root, "Shoot/sub"))
                open(os.path.join(root, "Shoot/sub/b.txt"), "w").close()
                os.symlink("sub/b.txt", os.path.join(root, "Shoot/link"))
                open(os.path.join(root, "f.jpg"), "w").close()
                if kind != "ramfs":
                    put(os.path.join(root, "f.jpg"), "Headline", "Old")
                    put(os.path.join(root, "f.jpg"), "Creator", "Ada")
                sh(fault, cwd=root)
                done = subprocess.run((NOBODY if nobody else []) + [CLI, *args], cwd=root, capture_output=True)
                self.assertEqual((done.returncode, done.stderr.decode().splitlines()), (status, errors))
                for path, values in after.items():
                    self.assertEqual([stored(os.path.join(root, path), key) for key in FIELDS], values, path)


class MacPeers(unittest.TestCase):
    # Values where Macs keep them on Linux machines, with the real components that keep them there.

    def test_a_samba_servers_streams_both_ways(self):
        with samba_share() as (share, client):
            f = os.path.join(share, "f.txt")
            open(f, "w").close()
            with open(os.path.join(share, "..", "v"), "wb") as value:
                value.write(plistlib.dumps(["harbour", "dawn"], fmt=plistlib.FMT_BINARY))
            self.assertEqual(client(f'put "{value.name}" "f.txt:com.apple.metadata\uf022kMDItemKeywords"').returncode, 0)
            self.assertEqual(json.loads(run("show", "--json", f)[1])[0]["keywords"], ["harbour", "dawn"])
            # A value new to an item Samba manages goes where Mac clients look, and where rsync -X does.
            self.assertEqual(run("set", "--headline", "Harbour", "--keywords", "sea", f), (0, "", ""))
            for key, text in (("Headline", "Harbour"), ("Keywords", "sea")):
                self.assertEqual(client(f'get "f.txt:com.apple.metadata\uf022kMDItem{key}" "{value.name}"').returncode, 0)
                with open(value.name, "rb") as got:
                    self.assertEqual(got.read(), plistlib.dumps(text, fmt=plistlib.FMT_BINARY))
            self.assertEqual((stored(f, "Headline"), stored(f, "Keywords")), ("Harbour", None))

    def test_sidecars_on_an_exfat_volume(self):
        samples = os.path.join(os.path.dirname(__file__), "..", "attrstore", "appledouble")
        with disk("exfat") as root:
            names = []
            for i, sample in enumerate(sorted(os.listdir(samples))):
                if sample != "README.md":
                    names.append(os.path.join(root, f"s{i}.jpg"))
                    open(names[-1], "w").close()
                    shutil.copy(os.path.join(samples, sample), os.path.join(root, f"._s{i}.jpg"))
            with open(os.path.join(root, "._bad.jpg"), "wb") as bad:
                bad.write(b"\0\5\x16\7 not one")
            before = [sidecar(os.path.join(root, "._" + os.path.basename(n))) for n in names]
            self.assertEqual(run("set", "--headline", "H", *names, root + "/new.jpg")[0], 1)  # new.jpg does not exist
            open(root + "/bad.jpg", "w").close()
            self.assertEqual(run("set", "--headline", "H", root + "/bad.jpg"), (1, "", f"{root}/bad.jpg: setxattr error: Invalid argument\n"))
            for name, (finder, fork, attributes) in zip(names, before):
                after = sidecar(os.path.join(root, "._" + os.path.basename(name)))
                self.assertEqual(after, (finder, fork, {**attributes, "com.apple.metadata:kMDItemHeadline": plistlib.dumps("H", fmt=plistlib.FMT_BINARY)}))
            self.assertEqual(run("set", "--remove", "headline", *names), (0, "", ""))
            self.assertEqual(run("set", "--remove", "headline", names[0])[2], f"{names[0]}: remxattr error: No data available\n")
            self.assertEqual([sidecar(os.path.join(root, "._" + os.path.basename(n))) for n in names], before)
            # Write Folder: new sidecars in the form macOS writes, a sidecar taken as part of its file.
            os.makedirs(root + "/Shoot/sub")
            open(root + "/Shoot/sub/b.jpg", "w").close()
            self.assertEqual(run("write-folder", "--creator", "Ada", root + "/Shoot"), (0, "", ""))
            self.assertEqual(sorted(os.listdir(root + "/Shoot/sub")), ["._b.jpg", "b.jpg"])
            new = root + "/Shoot/sub/._b.jpg"
            self.assertEqual((os.path.getsize(new), sidecar(new)), (4096, (bytes(32), b"", {"com.apple.metadata:kMDItemCreator": plistlib.dumps("Ada", fmt=plistlib.FMT_BINARY)})))
            self.assertEqual(json.loads(run("show", "--json", root + "/Shoot/sub")[1])[0]["creator"], "Ada")


if __name__ == "__main__":
    unittest.main()
