#!/usr/bin/env python3
"""The built executable on a virtual display (run under scripts/with-xvfb): opens
the file named on the command line, takes a typed headline, saves it with Ctrl+S
and quits with Ctrl+Q. Exits 77 (skipped) without xdotool. Usage: end_to_end.py BINARY"""
import os, plistlib, shutil, subprocess, sys, tempfile, time

KEY = "user.com.apple.metadata:"


def wait_until(what, predicate, app):
    for _ in range(300):
        if app.poll() is not None:
            sys.exit("end_to_end: the application exited early with status %d" % app.returncode)
        if value := predicate():
            return value
        time.sleep(0.1)
    sys.exit("end_to_end: timed out waiting for " + what)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True)


def main():
    if not shutil.which("xdotool"):
        print("end_to_end: skipped, xdotool is not installed (scripts/install-deps)")
        return 77
    with tempfile.TemporaryDirectory(prefix="quillmark-e2e-") as work:
        sample = os.path.join(work, "harbour at dawn.jpg")
        open(sample, "wb").close()
        stored = lambda key: plistlib.loads(os.getxattr(sample, KEY + key))
        for key, text in (("kMDItemHeadline", "Old headline"), ("kMDItemCreator", "Maren Holt")):
            os.setxattr(sample, KEY + key, plistlib.dumps(text, fmt=plistlib.FMT_BINARY))
        app = subprocess.Popen([os.path.abspath(sys.argv[1]), sample], env=dict(os.environ, LANG="C.UTF-8"))
        try:
            wid = wait_until("the window", lambda: xdotool(
                "search", "--onlyvisible", "--classname", "^quillmark$").stdout.split(), app)[0]
            # No window manager gives the window the keyboard: take it.
            wait_until("focus", lambda: xdotool("windowfocus", "--sync", wid).returncode == 0, app)
            wait_until("the file to be opened",
                       lambda: xdotool("getwindowname", wid).stdout.strip() == "harbour at dawn.jpg", app)
            xdotool("key", "--clearmodifiers", "ctrl+a")
            xdotool("type", "--delay", "20", "New headline")
            xdotool("key", "--clearmodifiers", "ctrl+s")
            wait_until("the typed headline to be stored", lambda: stored("kMDItemHeadline") == "New headline", app)
            if stored("kMDItemCreator") != "Maren Holt":
                sys.exit("end_to_end: the creator changed to %r" % stored("kMDItemCreator"))
            xdotool("key", "--clearmodifiers", "ctrl+q")
            if app.wait(timeout=30) != 0:
                sys.exit("end_to_end: the application exited with status %d" % app.returncode)
        finally:
            if app.poll() is None:
                app.kill()
    print("end_to_end: stored the typed headline and quit with status 0")
    return 0


if __name__ == "__main__":
    sys.exit(main())
