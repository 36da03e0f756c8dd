#!/usr/bin/env python3
"""Runs the built executable under Valgrind's memcheck on a private X display.

Starts Quillmark with a sample file that carries attributes, waits until the
window shows the file, quits with Ctrl+Q and lets memcheck check the heap at
exit. Fails when memcheck finds a definite leak, or any other memory error,
that involves our code: a frame in the executable itself (our libraries are
linked in statically; Qt, fontconfig and the rest are shared) other than a
bare main() that only called into a library. Leaks entirely inside libraries
are listed, not failed; valgrind.supp keeps the known ones out of the way.

    valgrind_gui.py BINARY SUPPRESSIONS [--sanitized]

Exits 77 (skipped) when Valgrind, Xvfb or xdotool is missing, or with
--sanitized (a sanitizer build: its runtime and Valgrind do not mix).
"""

import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

SKIP = 77
PREFIX = "user.com.apple.metadata:"
# Startup under memcheck is slow: allow for it, within the test's two minutes.
TIMEOUT = 60
SAMPLE_NAME = "harbour at dawn.jpg"
ALLOCATORS = ("malloc", "calloc", "realloc", "memalign", "posix_memalign",
              "aligned_alloc", "operator new", "operator new[]")


def fail(message, log=None):
    print("valgrind_gui: " + message, file=sys.stderr)
    if log and os.path.exists(log):
        with open(log, encoding="utf-8", errors="replace") as text:
            tail = text.read()[-4000:].strip()
        if tail:
            print("output:\n" + tail, file=sys.stderr)
    sys.exit(1)


def wait_until(predicate, what, log=None):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    fail("timed out waiting for " + what, log)


def start_display(work):
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
        fail("Xvfb did not start", os.path.join(work, "xvfb.log"))
    return server, ":" + number


def frames(error):
    stack = error.find("stack")
    return [] if stack is None else stack.findall("frame")


def text_of(frame, tag):
    found = frame.find(tag)
    return found.text if found is not None and found.text else ""


def is_ours(error, binary):
    """True when code of ours took part: any frame in the executable, except a
    main() whose callee is a library function rather than an allocator."""
    stack = frames(error)
    for index, frame in enumerate(stack):
        if os.path.realpath(text_of(frame, "obj")) != binary:
            continue
        if text_of(frame, "fn") != "main":
            return True
        callee = text_of(stack[index - 1], "fn") if index > 0 else ""
        if callee.startswith(ALLOCATORS):
            return True
    return False


def describe(error):
    what = error.find("xwhat")
    summary = text_of(what, "text") if what is not None else text_of(error, "what")
    lines = [error.findtext("kind", "") + ": " + summary]
    for frame in frames(error)[:25]:
        where = text_of(frame, "file")
        if where:
            where = " (%s:%s)" % (where, text_of(frame, "line"))
        lines.append("    " + (text_of(frame, "fn") or text_of(frame, "ip")) + where)
    return "\n".join(lines)


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    binary = os.path.realpath(sys.argv[1])
    suppressions = os.path.abspath(sys.argv[2])
    if sys.argv[3:] == ["--sanitized"]:
        print("valgrind_gui: skipped, this build uses sanitizers, whose runtime "
              "Valgrind cannot run")
        return SKIP
    missing = [tool for tool in ("valgrind", "Xvfb", "xdotool") if shutil.which(tool) is None]
    if missing:
        print("valgrind_gui: skipped, %s not installed" % " and ".join(missing))
        return SKIP

    work = tempfile.mkdtemp(prefix="quillmark-valgrind-")
    sample = os.path.join(work, SAMPLE_NAME)
    with open(sample, "wb") as f:
        f.write(b"\xff\xd8\xff\xd9")
    os.setxattr(sample, PREFIX + "kMDItemHeadline", plistlib.dumps("Old headline", fmt=plistlib.FMT_BINARY))
    os.setxattr(sample, PREFIX + "kMDItemCreator", plistlib.dumps("Maren Holt", fmt=plistlib.FMT_BINARY))

    server, display = start_display(work)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", LANG="C.UTF-8",
               HOME=work, XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=work)
    env.pop("WAYLAND_DISPLAY", None)
    # No session bus: without one libdbus would fork a bus of its own.
    env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(work, "no-bus")
    log = os.path.join(work, "valgrind.log")
    report = os.path.join(work, "memcheck.xml")
    app = None
    try:
        started = time.monotonic()
        app = subprocess.Popen(
            ["valgrind", "--tool=memcheck", "--leak-check=full",
             "--show-leak-kinds=definite", "--errors-for-leak-kinds=definite",
             "--error-exitcode=99", "--num-callers=40", "--child-silent-after-fork=yes",
             "--suppressions=" + suppressions,
             "--gen-suppressions=all", "--xml=yes", "--xml-file=" + report,
             binary, sample],
            env=env, stdout=open(log, "wb"), stderr=subprocess.STDOUT)

        def xdotool(*args):
            return subprocess.run(["xdotool", *args], env=env, capture_output=True,
                                  text=True, timeout=TIMEOUT)

        def window():
            if app.poll() is not None:
                fail("the application exited early with status %d" % app.returncode, log)
            found = xdotool("search", "--onlyvisible", "--classname", "^quillmark$")
            return found.stdout.split()[0] if found.stdout.split() else None

        wid = wait_until(window, "the window", log)
        wait_until(lambda: xdotool("getwindowname", wid).stdout.strip() == SAMPLE_NAME,
                   "the sample file to be opened", log)
        wait_until(lambda: xdotool("windowfocus", "--sync", wid).returncode == 0,
                   "focus on the window", log)
        xdotool("key", "--clearmodifiers", "ctrl+q")
        try:
            status = app.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            fail("the application did not quit on Ctrl+Q", log)
        print("valgrind_gui: ran and quit under memcheck in %.0f s"
              % (time.monotonic() - started))

        if status not in (0, 99):
            fail("the application exited with status %d" % status, log)
        try:
            root = ElementTree.parse(report).getroot()
        except (OSError, ElementTree.ParseError) as problem:
            fail("memcheck wrote no readable report: %s" % problem, log)
        errors = root.findall("error")
        for pair in root.iter("pair"):
            print("suppressed %s x %s" % (pair.findtext("name"), pair.findtext("count")))
        ours = [e for e in errors if is_ours(e, binary)]
        theirs = [e for e in errors if not is_ours(e, binary)]
        for error in theirs:
            print("in libraries only (not failed):\n" + describe(error))
        if ours:
            for error in ours:
                print("OURS:\n" + describe(error), file=sys.stderr)
                suppression = error.find("suppression")
                if suppression is not None:
                    print(suppression.findtext("rawtext", ""), file=sys.stderr)
            fail("%d memory error(s) or definite leak(s) involve our code" % len(ours))
        print("valgrind_gui: no definite leaks or memory errors of ours "
              "(%d in libraries only)" % len(theirs))
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
