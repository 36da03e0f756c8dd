#!/usr/bin/env python3
"""Drives the built executable as a person would, on a private X display.

Starts Quillmark with a file that carries a headline, types a new headline into
the focused Headline field, saves with Ctrl+S, checks the stored attribute with
the kernel's own call, quits with Ctrl+Q and expects exit status 0. Exits 77
(skipped) when Xvfb or xdotool is not installed.  Usage: end_to_end.py BINARY
"""

import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time

PREFIX = "user.com.apple.metadata:"
TIMEOUT = 30


class Failure(Exception):
    pass


def wait_until(predicate, what):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise Failure("timed out waiting for " + what)


def stored(path, key):
    try:
        return plistlib.loads(os.getxattr(path, PREFIX + key))
    except OSError:
        return None


def run(binary, work):
    sample = os.path.join(work, "harbour at dawn.jpg")
    with open(sample, "wb") as f:
        f.write(b"\xff\xd8\xff\xd9")
    for key, text in (("kMDItemHeadline", "Old headline"), ("kMDItemCreator", "Maren Holt")):
        os.setxattr(sample, PREFIX + key, plistlib.dumps(text, fmt=plistlib.FMT_BINARY))

    # Xvfb picks a free display number itself and reports it once it is ready.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "1280x800x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as reported:
        display = ":" + reported.readline().strip()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
    env.pop("WAYLAND_DISPLAY", None)
    log = os.path.join(work, "app.log")
    app = subprocess.Popen([binary, sample], env=env, stdout=open(log, "wb"),
                           stderr=subprocess.STDOUT)
    try:
        def xdotool(*args):
            return subprocess.run(["xdotool", *args], env=env, capture_output=True,
                                  text=True, timeout=TIMEOUT)

        def window():
            if app.poll() is not None:
                raise Failure("the application exited early with status %d" % app.returncode)
            return (xdotool("search", "--onlyvisible", "--classname", "^quillmark$")
                    .stdout.split() or [None])[0]

        wid = wait_until(window, "the window")
        # No window manager gives the window the keyboard: take it.
        wait_until(lambda: xdotool("windowfocus", "--sync", wid).returncode == 0, "focus")
        wait_until(lambda: xdotool("getwindowname", wid).stdout.strip()
                   == "harbour at dawn.jpg", "the file to be opened")
        xdotool("key", "--clearmodifiers", "ctrl+a")
        xdotool("type", "--delay", "20", "New headline")
        xdotool("key", "--clearmodifiers", "ctrl+s")
        wait_until(lambda: stored(sample, "kMDItemHeadline") == "New headline",
                   "the typed headline to be stored")
        if stored(sample, "kMDItemCreator") != "Maren Holt":
            raise Failure("the creator changed to %r" % stored(sample, "kMDItemCreator"))
        xdotool("key", "--clearmodifiers", "ctrl+q")
        try:
            status = app.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the application did not quit on Ctrl+Q")
        if status != 0:
            raise Failure("the application exited with status %d" % status)
    except Failure:
        with open(log, errors="replace") as f:
            print("application output:\n" + f.read().strip(), file=sys.stderr)
        raise
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()
        server.terminate()
        server.wait()


def main():
    missing = [tool for tool in ("Xvfb", "xdotool") if shutil.which(tool) is None]
    if missing:
        print("end_to_end: skipped, %s not installed (scripts/install-deps installs them)"
              % " and ".join(missing))
        return 77
    work = tempfile.mkdtemp(prefix="quillmark-e2e-")
    try:
        run(os.path.abspath(sys.argv[1]), work)
    except Failure as failure:
        print("end_to_end: " + str(failure), file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("end_to_end: stored the typed headline and quit with status 0")
    return 0


if __name__ == "__main__":
    sys.exit(main())
