#!/usr/bin/env python3
"""The built executable on a virtual display (run under scripts/with-xvfb): opens
the file named on its command line (a Latin-1 name, beside a twin that really
holds U+FFFD and looks the same), takes a typed headline, saves it with Ctrl+S
and quits with Ctrl+Q. Exits 77 (skipped) without xdotool. Usage: end_to_end.py BINARY"""
import os, plistlib, shutil, subprocess, sys, tempfile, time

KEY = "user.com.apple.metadata:kMDItem"


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True)


def wait_until(what, predicate, app):
    for _ in range(300):
        if app.poll() is not None:
            sys.exit("end_to_end: the application exited early with status %d" % app.returncode)
        if value := predicate():
            return value
        time.sleep(0.1)
    sys.exit("end_to_end: timed out waiting for " + what)


def run(binary, sample, twin):
    stored = lambda key, path=sample: plistlib.loads(os.getxattr(path, KEY + key))
    for path, key, text in ((sample, "Headline", "Old headline"), (sample, "Creator", "Maren Holt"),
                            (twin, "Headline", "Twin")):
        open(path, "wb").close()
        os.setxattr(path, KEY + key, plistlib.dumps(text, fmt=plistlib.FMT_BINARY))
    app = subprocess.Popen([binary, sample], env=dict(os.environ, LANG="C.UTF-8"))
    try:
        wid = wait_until("the window", lambda: xdotool(
            "search", "--onlyvisible", "--classname", "^quillmark$").stdout.split(), app)[0]
        # No window manager gives the window the keyboard: take it.
        wait_until("focus", lambda: xdotool("windowfocus", "--sync", wid).returncode == 0, app)
        name = os.path.basename(sample).decode(errors="replace")
        wait_until("the file", lambda: xdotool("getwindowname", wid).stdout.strip() == name, app)
        for keys in (["key", "ctrl+a"], ["type", "--delay", "20", "New headline"], ["key", "ctrl+s"]):
            xdotool(keys[0], "--clearmodifiers", *keys[1:])
        wait_until("the headline to be stored", lambda: stored("Headline") == "New headline", app)
        assert (stored("Creator"), stored("Headline", twin)) == ("Maren Holt", "Twin")
        xdotool("key", "--clearmodifiers", "ctrl+q")
        assert app.wait(timeout=30) == 0, "exit status %d" % app.returncode
    finally:
        if app.poll() is None:
            app.kill()


if __name__ == "__main__":
    if not shutil.which("xdotool"):
        print("end_to_end: skipped, xdotool is not installed (scripts/install-deps)")
        sys.exit(77)
    with tempfile.TemporaryDirectory(prefix="quillmark-e2e-") as work:
        work = os.fsencode(work)
        run(os.path.abspath(sys.argv[1]), os.path.join(work, b"caf\xe9 at dawn.jpg"),
            os.path.join(work, "caf\ufffd at dawn.jpg".encode()))
    print("end_to_end: stored the typed headline and quit with status 0")
