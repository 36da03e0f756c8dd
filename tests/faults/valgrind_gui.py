#!/usr/bin/env python3
# Runs the built executable under Valgrind's memcheck on a private X display:
# opens a sample file that carries attributes, waits for the window to show it,
# quits with Ctrl+Q and fails when memcheck reports a definite leak or a memory
# error that involves our code, that is a frame in the executable itself (our
# libraries are linked in statically, Qt and the rest are shared) other than a
# bare main() that only called into a library. Reports inside libraries alone
# are listed; valgrind.supp keeps the known ones out of memcheck's exit status.
#
#     valgrind_gui.py BINARY SUPPRESSIONS [--sanitized]
#
# Exits 77 (skipped) with --sanitized, whose runtime Valgrind cannot run, or
# when Valgrind, Xvfb or xdotool is missing.

import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

TIMEOUT = 60  # startup under memcheck is slow; the test allows two minutes
SAMPLE = "harbour at dawn.jpg"
ALLOCATORS = ("malloc", "calloc", "realloc", "operator new")  # what main() itself may call


def fail(message, log=None):
    tail = open(log, errors="replace").read()[-4000:] if log and os.path.exists(log) else ""
    sys.exit("valgrind_gui: %s\n%s" % (message, tail))


def wait_until(predicate, what, log):
    deadline = time.monotonic() + TIMEOUT
    while not (value := predicate()):
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what, log)
        time.sleep(0.2)
    return value


# A frame in the executable counts unless it is main() calling straight into a
# library function other than an allocator.
def is_ours(error, binary):
    frames = error.findall("stack/frame")
    for index, frame in enumerate(frames):
        callee = frames[index - 1].findtext("fn", "") if index else ""
        if os.path.realpath(frame.findtext("obj", "")) == binary and (
                frame.findtext("fn") != "main" or callee.startswith(ALLOCATORS)):
            return True
    return False


def describe(error):
    frames = ["\n    %s %s:%s" % (frame.findtext("fn", frame.findtext("ip")),
                                  frame.findtext("file", ""), frame.findtext("line", ""))
              for frame in error.findall("stack/frame")[:25]]
    return error.findtext("kind", "") + ": " + error.findtext("xwhat/text", "") + \
        error.findtext("what", "") + "".join(frames)


def run(binary, suppressions, work):
    sample = os.path.join(work, SAMPLE)
    open(sample, "wb").write(b"\xff\xd8\xff\xd9")
    os.setxattr(sample, "user.com.apple.metadata:kMDItemHeadline",
                plistlib.dumps("Old headline", fmt=plistlib.FMT_BINARY))
    # Xvfb picks a free display itself and reports it once it is ready.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "1280x800x24", "-nolisten", "tcp", "-noreset"],
                              pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as reported:
        display = ":" + reported.readline().strip()
    # No session bus: without one, libdbus would start one of its own.
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", LANG="C.UTF-8", HOME=work,
               XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=work, WAYLAND_DISPLAY="",
               DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(work, "no-bus"))
    log, report = os.path.join(work, "valgrind.log"), os.path.join(work, "memcheck.xml")
    app = subprocess.Popen(
        ["valgrind", "--leak-check=full", "--show-leak-kinds=definite",
         "--errors-for-leak-kinds=definite", "--error-exitcode=99", "--num-callers=40",
         "--child-silent-after-fork=yes", "--suppressions=" + suppressions,
         "--gen-suppressions=all", "--xml=yes", "--xml-file=" + report, binary, sample],
        env=env, stdout=open(log, "wb"), stderr=subprocess.STDOUT)
    try:
        def xdotool(*args):
            return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                                  timeout=TIMEOUT)

        def window():
            if app.poll() is not None:
                fail("the application exited early with status %d" % app.returncode, log)
            # Titled after the sample once it is open.
            return (xdotool("search", "--onlyvisible", "--name", "^%s$" % SAMPLE)
                    .stdout.split() or [None])[0]

        wid = wait_until(window, "the window showing the sample", log)
        # No window manager gives the window the keyboard: take it.
        wait_until(lambda: xdotool("windowfocus", "--sync", wid).returncode == 0, "focus", log)
        xdotool("key", "--clearmodifiers", "ctrl+q")
        try:
            status = app.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            fail("the application did not quit on Ctrl+Q", log)
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()
        server.terminate()
        server.wait()
    if status not in (0, 99):
        fail("the application exited with status %d" % status, log)
    try:
        root = ElementTree.parse(report).getroot()
    except (OSError, ElementTree.ParseError) as problem:
        fail("memcheck wrote no readable report: %s" % problem, log)
    errors = root.findall("error")
    for pair in root.iter("pair"):
        print("suppressed %s x %s" % (pair.findtext("name"), pair.findtext("count")))
    ours = [error for error in errors if is_ours(error, binary)]
    for error in errors:
        print(("OURS: " if error in ours else "in libraries only (not failed): ") +
              describe(error) + "\n" + error.findtext("suppression/rawtext", ""))
    if ours:
        fail("%d memory error(s) or definite leak(s) involve our code" % len(ours))
    print("valgrind_gui: no definite leaks or memory errors of ours")


def main():
    missing = [tool for tool in ("valgrind", "Xvfb", "xdotool") if shutil.which(tool) is None]
    if missing or sys.argv[3:] == ["--sanitized"]:
        print("valgrind_gui: skipped, " + ("%s not installed" % " and ".join(missing) if missing
                                           else "a sanitizer runtime and Valgrind do not mix"))
        return 77
    with tempfile.TemporaryDirectory(prefix="quillmark-valgrind-") as work:
        return run(os.path.realpath(sys.argv[1]), os.path.abspath(sys.argv[2]), work)


if __name__ == "__main__":
    sys.exit(main())
