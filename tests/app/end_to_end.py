#!/usr/bin/env python3
"""Starts the built executable with a file on a private X display, types a new
headline, saves with Ctrl+S, checks what is stored and quits with Ctrl+Q.
Exits 77 (skipped) without Xvfb or xdotool. Usage: end_to_end.py BINARY"""

import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time

PREFIX = "user.com.apple.metadata:"


def wait_until(what, predicate, app):
    for _ in range(300):
        if app.poll() is not None:
            sys.exit("end_to_end: the application exited early with status %d" % app.returncode)
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    sys.exit("end_to_end: timed out waiting for " + what)


def run(binary, work):
    sample = os.path.join(work, "harbour at dawn.jpg")
    open(sample, "wb").close()

    def stored(key):
        return plistlib.loads(os.getxattr(sample, PREFIX + key))

    for key, text in (("kMDItemHeadline", "Old headline"), ("kMDItemCreator", "Maren Holt")):
        os.setxattr(sample, PREFIX + key, plistlib.dumps(text, fmt=plistlib.FMT_BINARY))
    # Xvfb picks a free display number itself and reports it once it is ready.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as reported:
        env = dict(os.environ, DISPLAY=":" + reported.readline().strip(), QT_QPA_PLATFORM="xcb",
                   LANG="C.UTF-8")
    env.pop("WAYLAND_DISPLAY", None)
    app = subprocess.Popen([binary, sample], env=env)
    try:
        def xdotool(*args):
            return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True)

        wid = wait_until("the window", lambda: xdotool(
            "search", "--onlyvisible", "--classname", "^quillmark$").stdout.split(), app)[0]
        # No window manager gives the window the keyboard: take it.
        wait_until("focus", lambda: xdotool("windowfocus", "--sync", wid).returncode == 0, app)
        wait_until("the file to be opened", lambda: xdotool(
            "getwindowname", wid).stdout.strip() == "harbour at dawn.jpg", app)
        xdotool("key", "--clearmodifiers", "ctrl+a")
        xdotool("type", "--delay", "20", "New headline")
        xdotool("key", "--clearmodifiers", "ctrl+s")
        wait_until("the typed headline to be stored",
                   lambda: stored("kMDItemHeadline") == "New headline", app)
        if stored("kMDItemCreator") != "Maren Holt":
            sys.exit("end_to_end: the creator changed to %r" % stored("kMDItemCreator"))
        xdotool("key", "--clearmodifiers", "ctrl+q")
        if app.wait(timeout=30) != 0:
            sys.exit("end_to_end: the application exited with status %d" % app.returncode)
    finally:
        if app.poll() is None:
            app.kill()
        server.terminate()
        server.wait()


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("end_to_end: skipped, Xvfb or xdotool is not installed (scripts/install-deps)")
        return 77
    with tempfile.TemporaryDirectory(prefix="quillmark-e2e-") as work:
        run(os.path.abspath(sys.argv[1]), work)
    print("end_to_end: stored the typed headline and quit with status 0")
    return 0


if __name__ == "__main__":
    sys.exit(main())
