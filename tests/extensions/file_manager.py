# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# What the file managers' tests share: a file manager started as a new user would start it, with a
# private home, our module loaded in place of any installed one, in the test's own D-Bus session
# and display (tests/extensions/private-mounts, scripts/with-xvfb, dbus-run-session), and found over
# AT-SPI.
import contextlib
import os
import plistlib
import shutil
import subprocess
import struct
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


failures = []  # what a test's checks found wrong, each told at once on stderr


def check(what, ok, detail=""):
    if not ok:
        failures.append(f"{what}{': ' + detail if detail else ''}")
        print(f"FAILED: {failures[-1]}", file=sys.stderr)
    return ok


def finish():
    # The test's end: its exit status, with every failed check listed.
    if failures:
        print(f"{len(failures)} checks failed:\n  " + "\n  ".join(failures), file=sys.stderr)
    sys.exit(1 if failures else 0)


def skip(why):
    print(f"skipped: {why}", file=sys.stderr)
    sys.exit(77)


def bind_module(module_dir, extension_dir):
    # Our build's module folder seen in place of `extension_dir`, in this mount namespace only.
    if not os.path.isdir(extension_dir):
        skip(f"{extension_dir} does not exist: the file manager is not installed (scripts/install-deps)")
    subprocess.run(["mount", "--bind", module_dir, extension_dir], check=True)


def add_module(module_dir, extension_dir):
    # Our build's module folder laid over `extension_dir`, the system's other modules still beside it
    # (caja-actions is one), in this mount namespace only; the folder made where none is installed yet.
    parent = os.path.dirname(extension_dir)
    if not os.path.isdir(parent):
        skip(f"{parent} does not exist: the file manager is not installed (scripts/install-deps)")
    if not os.path.isdir(extension_dir):
        top = tempfile.mkdtemp()
        os.mkdir(os.path.join(top, os.path.basename(extension_dir)))
        subprocess.run(["mount", "-t", "overlay", "overlay", "-o", f"lowerdir={top}:{parent}", parent], check=True)
    subprocess.run(["mount", "-t", "overlay", "overlay", "-o", f"lowerdir={module_dir}:{extension_dir}",
                    extension_dir], check=True)


def private_home(work, language="en", settings=""):
    # The environment of a user logged in for the first time, in `language`; `settings` is a GSettings
    # keyfile ("[org/gnome/nautilus/preferences]\ndefault-folder-viewer='list-view'\n").
    home = os.path.join(work, "home")
    config = os.path.join(home, ".config")
    os.makedirs(os.path.join(config, "glib-2.0", "settings"), exist_ok=True)
    with open(os.path.join(config, "glib-2.0", "settings", "keyfile"), "w") as keyfile:
        keyfile.write(settings)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), GSETTINGS_BACKEND="keyfile", LANGUAGE=language,
               LANG="C.UTF-8", LC_ALL="", NO_AT_BRIDGE="0", GTK_A11Y="atspi", GTK_USE_PORTAL="0",
               GIO_USE_VFS="local", GVFS_DISABLE_FUSE="1")
    env.pop("LC_ALL")
    # Services the bus starts for the file manager (Thunar's xfconfd) take the bus's environment,
    # not the file manager's: they are given the private home too, so that none writes the real one.
    # Those already started keep the home they were started with, also a private one.
    if shutil.which("dbus-update-activation-environment"):
        subprocess.run(["dbus-update-activation-environment", *(f"{name}={env[name]}" for name in
                        ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "GSETTINGS_BACKEND",
                         "LANGUAGE", "LANG"))], check=False)
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


def find(top, role, name=None):
    # The first accessible below `top` of `role`, and named `name` where given.
    return next((n for n in nodes(top) if n.get_role_name() == role and name in (None, n.get_name())), None)


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
            shown += [node.get_name()] if node.get_name() else []
            shown += [node.get_text_iface().get_text(0, -1)] if node.get_text_iface() else []
    return shown


def xdo(*args):
    # As a person types and clicks, into the window under the pointer or with the focus.
    subprocess.run(["xdotool", *args], check=True)


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


def appledouble(attributes):
    # An AppleDouble sidecar as macOS writes one: Finder info followed by the extended attributes
    # `attributes` ({name: bytes}), and an empty resource fork.
    names = [name.encode() + b"\0" for name in attributes]
    start = 120 + sum((11 + len(name) + 3) & ~3 for name in names)
    table, data = b"", b""
    for name, value in zip(names, attributes.values()):
        entry = struct.pack(">IIHB", start + len(data), len(value), 0, len(name)) + name
        table, data = table + entry + b"\0" * (-len(entry) % 4), data + value
    end = start + len(data)
    return (struct.pack(">II16sHIIIIII", 0x00051607, 0x00020000, b"Mac OS X        ", 2, 9, 50, end - 50, 2, end, 0)
            + b"\0" * 34 + b"ATTR" + struct.pack(">IIIIIIIHH", 0, end, start, len(data), 0, 0, 0, 0, len(names))
            + table + data)


def sample_folder(work, cli):
    # The items every file manager's test shows: "report.txt" with a headline and a red tag, "long.txt"
    # with a 64 KiB headline (in its sidecar: no attribute holds that much), and "x" beside a hostile
    # sidecar "._x" (a header claiming entries far past its end), in a folder of their own.
    folder = os.path.join(work, "docs")
    os.makedirs(folder)
    for name in ("report.txt", "long.txt", "x"):
        open(os.path.join(folder, name), "w").close()
    subprocess.run([cli, "set", "--headline", "Quarterly Report", "--add-tag", "Urgent:red",
                    os.path.join(folder, "report.txt")], check=True, capture_output=True)
    long = plistlib.dumps("L" * 65000, fmt=plistlib.FMT_BINARY)
    hostile = b"".join(struct.pack(">III", kind, 0xFFFFFF00, 0xFFFFFFF0) for kind in (2, 9, 9, 2))
    for name, data in (("._long.txt", appledouble({"com.apple.metadata:kMDItemHeadline": long})),
                       ("._x", struct.pack(">II16sH", 0x00051607, 0x00020000, b"Mac OS X", 0xFFFF) + hostile)):
        with open(os.path.join(folder, name), "wb") as sidecar:
            sidecar.write(data)
    return folder


def stand_in_quillmark(work, env):
    # `env` with a `quillmark` on PATH that notes the arguments it is started with, one a line; the note's path.
    bin_dir, note = os.path.join(work, "bin"), os.path.join(work, "opened")
    os.makedirs(bin_dir, exist_ok=True)
    with open(os.path.join(bin_dir, "quillmark"), "w") as script:
        script.write(f"#!/bin/sh\nprintf '%s\\n' \"$@\" > {note}\n")
    os.chmod(os.path.join(bin_dir, "quillmark"), 0o755)
    env["PATH"] = bin_dir + os.pathsep + env["PATH"]
    return note


def rows(table):
    # A GTK 3 tree table's rows, each {column header: text}; a cell made of parts (an icon and a name)
    # shown as its named part.
    shown, cells = {}, table.get_table_iface()
    for i in range(table.get_child_count()):
        cell, row = table.get_child_at_index(i), cells.get_row_at_index(i)
        if row < 0:
            continue
        text = cell.get_name() or next((part.get_name() for part in nodes(cell) if part.get_name()), "")
        shown.setdefault(row, {})[cells.get_column_header(cells.get_column_at_index(i)).get_name()] = text
    return list(shown.values())


def click(node, button=1):
    extents = node.get_extents(Atspi.CoordType.SCREEN)
    Atspi.generate_mouse_event(extents.x + min(extents.width // 2, 20), extents.y + extents.height // 2, f"b{button}c")


def context_menu(app, node):
    # The items of the context menu opened by right-clicking `node`, those of its submenus included.
    click(node)
    click(node, 3)
    def items():
        for window in nodes(app, limit=1):
            if window.get_role_name() == "window" and window.get_state_set().contains(Atspi.StateType.SHOWING):
                found = [item for item in nodes(window) if item.get_role_name() == "menu item"]
                if found:
                    return found
    return wait_for(items, "a context menu")


def named(items, name):
    return [item for item in items if item.get_name() == name]
