#!/usr/bin/env python3
"""Drives the built executable as a person would, on a private X display.

Starts Quillmark with a file that carries a headline, replaces the headline by
typing into the focused Headline field, saves with Ctrl+S, checks the stored
attribute with the kernel's own call, quits with Ctrl+Q and expects exit
status 0. Exits 77 (skipped) when Xvfb or xdotool is not installed.

    end_to_end.py BINARY
"""

import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
PREFIX = "user.com.apple.metadata:"
TIMEOUT = 30


def fail(message, app_log=None):
    print("end_to_end: " + message, file=sys.stderr)
    if app_log and os.path.exists(app_log):
        with open(app_log, encoding="utf-8", errors="replace") as log:
            text = log.read().strip()
        if text:
            print("application output:\n" + text, file=sys.stderr)
    sys.exit(1)


def wait_until(predicate, what, app_log=None):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    fail("timed out waiting for " + what, app_log)


def stored(path, key):
    try:
        return plistlib.loads(os.getxattr(path, PREFIX + key))
    except OSError:
        return None


def start_display(work):
    """A new Xvfb on a free display number, which it picks and reports itself."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL,
        stderr=open(os.path.join(work, "xvfb.log"), "wb"))
    os.close(write_end)
    with os.fdopen(read_end) as reported:
        number = reported.readline().strip()
    if not number:
        server.kill()
        fail("Xvfb did not start: see " + os.path.join(work, "xvfb.log"))
    return server, ":" + number


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    binary = os.path.abspath(sys.argv[1])
    missing = [tool for tool in ("Xvfb", "xdotool") if shutil.which(tool) is None]
    if missing:
        print("end_to_end: skipped, %s not installed (scripts/install-deps installs it)"
              % " and ".join(missing))
        return SKIP

    work = tempfile.mkdtemp(prefix="quillmark-e2e-")
    sample = os.path.join(work, "harbour at dawn.jpg")
    with open(sample, "wb") as f:
        f.write(b"\xff\xd8\xff\xd9")
    os.setxattr(sample, PREFIX + "kMDItemHeadline",
                plistlib.dumps("Old headline", fmt=plistlib.FMT_BINARY))
    os.setxattr(sample, PREFIX + "kMDItemCreator",
                plistlib.dumps("Maren Holt", fmt=plistlib.FMT_BINARY))

    server, display = start_display(work)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
    env.pop("WAYLAND_DISPLAY", None)
    app_log = os.path.join(work, "app.log")
    app = None
    try:
        app = subprocess.Popen([binary, sample], env=env, stdout=open(app_log, "wb"),
                               stderr=subprocess.STDOUT)

        def xdotool(*args):
            return subprocess.run(["xdotool", *args], env=env, capture_output=True,
                                  text=True, timeout=TIMEOUT)

        def window():
            if app.poll() is not None:
                fail("the application exited early with status %d" % app.returncode,
                     app_log)
            found = xdotool("search", "--onlyvisible", "--classname", "^quillmark$")
            return found.stdout.split()[0] if found.stdout.split() else None

        wid = wait_until(window, "the window", app_log)
        # Without a window manager nobody gives the window the keyboard.
        wait_until(lambda: xdotool("windowfocus", "--sync", wid).returncode == 0,
                   "focus on the window", app_log)
        # The file opens right after the window appears: its title says so.
        wait_until(lambda: xdotool("getwindowname", wid).stdout.strip()
                   == "harbour at dawn.jpg", "the file to be opened", app_log)

        # Focus is in the Headline field: replace its text and save.
        xdotool("key", "--clearmodifiers", "ctrl+a")
        xdotool("type", "--delay", "20", "New headline")
        xdotool("key", "--clearmodifiers", "ctrl+s")
        wait_until(lambda: stored(sample, "kMDItemHeadline") == "New headline",
                   "the new headline to be stored (it is %r)"
                   % stored(sample, "kMDItemHeadline"), app_log)
        if stored(sample, "kMDItemCreator") != "Maren Holt":
            fail("the creator changed to %r" % stored(sample, "kMDItemCreator"), app_log)

        xdotool("key", "--clearmodifiers", "ctrl+q")
        try:
            status = app.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            fail("the application did not quit on Ctrl+Q", app_log)
        if status != 0:
            fail("the application exited with status %d" % status, app_log)
        print("end_to_end: stored the typed headline and quit with status 0")
        return 0
    finally:
        if app is not None and app.poll() is None:
            app.kill()
            app.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
