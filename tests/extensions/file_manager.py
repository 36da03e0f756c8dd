# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# What the file managers' tests share: a file manager started as a new user would start it, with a
# private home, our module loaded in place of any installed one, in the test's own D-Bus session
# and display (tests/extensions/private-mounts, scripts/with-xvfb, dbus-run-session), and found over
# AT-SPI.
import contextlib
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError):
    print("skipped: no AT-SPI bindings for this python3 (scripts/install-deps)", file=sys.stderr)
    sys.exit(77)


def skip(why):
    print(f"skipped: {why}", file=sys.stderr)
    sys.exit(77)


def bind_module(module_dir, extension_dir):
    # Our build's module folder seen in place of `extension_dir`, in this mount namespace only.
    if not os.path.isdir(extension_dir):
        skip(f"{extension_dir} does not exist: the file manager is not installed (scripts/install-deps)")
    subprocess.run(["mount", "--bind", module_dir, extension_dir], check=True)


def private_home(work, language="en", settings=""):
    # The environment of a user logged in for the first time, in `language`; `settings` is a GSettings
    # keyfile ("[org/gnome/nautilus/preferences]\ndefault-folder-viewer='list-view'\n").
    home = os.path.join(work, "home")
    config = os.path.join(home, ".config")
    os.makedirs(os.path.join(config, "glib-2.0", "settings"), exist_ok=True)
    with open(os.path.join(config, "glib-2.0", "settings", "keyfile"), "w") as keyfile:
        keyfile.write(settings)
    locale = {"en": "C.UTF-8", "de": "de_DE.UTF-8", "fr": "fr_FR.UTF-8"}[language]
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), GSETTINGS_BACKEND="keyfile", LANGUAGE=language,
               LANG="C.UTF-8", LC_ALL="", NO_AT_BRIDGE="0", GTK_A11Y="atspi", GTK_USE_PORTAL="0",
               GIO_USE_VFS="local", GVFS_DISABLE_FUSE="1")
    env.pop("LC_ALL")
    return env


def nodes(node, depth=0, limit=60):
    # Every accessible below `node`, `node` first; a GTK 4 tree may be deep but not endless.
    yield node
    if depth >= limit:
        return
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from nodes(child, depth + 1, limit)


def application(name, timeout=30):
    # The running application named `name` on the accessibility bus.
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and (app.get_name() or "").lower() == name.lower():
                return app
        time.sleep(0.2)
    raise AssertionError(f"{name} never appeared on the accessibility bus")


def wait_for(find, what, timeout=30):
    # The first result of `find()` that is not None, retried until `timeout`.
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        with contextlib.suppress(Exception):
            found = find()
            if found is not None:
                return found
        time.sleep(0.2)
    raise AssertionError(f"never found: {what}")


def texts(app):
    # Every name and text shown below `app`.
    shown = []
    for node in nodes(app):
        with contextlib.suppress(Exception):
            if node.get_name():
                shown.append(node.get_name())
            text = node.get_text_iface()
            if text is not None:
                shown.append(text.get_text(0, -1))
    return shown


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=False)


@contextlib.contextmanager
def started(command, env):
    # A file manager (or Quillmark) running until the block ends, its output kept for a failure's report.
    log = tempfile.TemporaryFile()
    process = subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        yield process
    finally:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(process.pid, 15)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, 9)
            process.wait()
        log.seek(0)
        process.output = log.read().decode(errors="replace")
