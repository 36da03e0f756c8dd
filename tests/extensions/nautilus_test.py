#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Our module inside the real GNOME Files (Nautilus 43), used as a person uses it and read over
# AT-SPI: a folder in list view with our columns shows each item's values wherever a Mac's peers
# keep them (user. attributes, a Samba share's streams written by smbclient, sidecars on a real
# exFAT volume), keeps running past hostile sidecars and a 64 KiB headline, follows changes on
# disk without being reopened; its Properties dialog has a Metadata section, its context menu
# an Edit Metadata that opens the selection in Quillmark; and a German session reads German.
# Screenshots go into SCRATCH_FOLDER.
#
#   nautilus_test.py MODULE_FOLDER EXTENSION_FOLDER QUILLMARK QUILLMARK_CLI SCRATCH_FOLDER
import contextlib
import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import unittest

MODULE, EXTENSIONS, QUILLMARK, CLI, SCRATCH = sys.argv[1:6]
os.environ["QUILLMARK_CLI"] = CLI
from file_manager import (Atspi, application, bind_module, check, failures, find, finish, nodes, private_home,  # noqa: E402
                          sample_folder, screenshot, skip, started, wait_for, xdo)
from cli_test import disk, samba_share  # noqa: E402

KEY = "user.com.apple.metadata:"
OURS = ["headline", "description", "creator", "copyright", "keywords", "tags"]
COLUMNS = ", ".join(f"'Quillmark::{name}'" for name in OURS)
# A first session's settings: list view with our columns after the name, a window that shows them
# all, and a search indexer with nothing to index.
SETTINGS = ("[org/gnome/nautilus/preferences]\ndefault-folder-viewer='list-view'\n"
            "[org/gnome/nautilus/list-view]\n"
            f"default-visible-columns=['name', {COLUMNS}]\ndefault-column-order=['name', {COLUMNS}, 'size']\n"
            "[org/gnome/nautilus/window-state]\ninitial-size=(1270, 890)\n"
            "[org/freedesktop/tracker/miner/files]\nindex-recursive-directories=@as []\n"
            "index-single-directories=@as []\nindex-applications=false\n")
VALUES = {"Headline": "Harbour at dawn", "Description": "Fishing boats\nleaving the harbour",
          "Creator": "Maren Holt", "Copyright": "© 2026 Maren Holt", "Keywords": ["harbour", "dawn"]}
SHOWN = dict(VALUES, Keywords="harbour, dawn", Tags="Work (Red), Harbour")
def attempt(what, find, timeout=30, seen=None):
    # The check `what`: `find()` once it answers (wait_for), or None, failed with what `seen()` saw.
    try:
        return wait_for(find, what, timeout)
    except AssertionError:
        detail = "never seen"
        with contextlib.suppress(Exception):
            detail = f"saw {seen()!r}"[:300] if seen else detail
        check(what, False, detail)


def item(folder, name, **values):
    path = os.path.join(folder, name)
    open(path, "w").close()
    for key, value in values.items():
        os.setxattr(path, KEY + ("_kMDItemUserTags" if key == "Tags" else "kMDItem" + key), plistlib.dumps(value, fmt=plistlib.FMT_BINARY))


def labels(node):
    # Each label's text: its name, but for an empty one, named after its class.
    return [("" if n.get_name() == "GtkLabel" else n.get_name() or "") for n in nodes(node) if n.get_role_name() == "label"]


def middle(node):
    # Where a person clicks `node`: in window coordinates, which with no window manager are the
    # screen's (every window stands at the top left).
    box = node.get_component_iface().get_extents(Atspi.CoordType.WINDOW)
    return str(box.x + min(box.width // 2, 120)), str(box.y + box.height // 2)


class Window:
    # One of Nautilus's windows by its title (the folder's name), its list view looked up once.
    def __init__(self, app, title):
        self.app, self.title = app, title
        self.frame = wait_for(lambda: find(app, "frame", title), f"a window titled {title!r}")
        self.view = wait_for(lambda: find(self.frame, "tree table"), f"the list view of {title!r}")

    def columns(self):
        return labels(self.view.get_child_at_index(0))

    def rows(self):
        # Each shown item's texts by column title.
        titles = self.columns()
        listing = find(self.view, "list")
        shown = {}
        for i in range(listing.get_child_count()):
            row = listing.get_child_at_index(i)
            cells = [" ".join(labels(row.get_child_at_index(j))) for j in range(row.get_child_count())]
            if cells:
                shown[cells[0]] = dict(zip(titles, cells))
                shown[cells[0]]["node"] = row
        return shown

    def shows(self, what, name, column, expected):
        # The check that the row of `name` comes to show `expected` (the text, or a test of it).
        test = expected if callable(expected) else lambda text: text == expected
        value = lambda: self.rows().get(name, {}).get(column)  # noqa: E731
        attempt(f"{what}: {self.title}/{name} showing {column} {expected if isinstance(expected, str) else ''!r}",
                lambda: test(value() or "") or None, seen=value)

    def click(self, name, modifier=None, button="1"):
        row = wait_for(lambda: self.rows()[name]["node"], f"the row of {name} in {self.title!r}")
        held = (["keydown", modifier], ["keyup", modifier]) if modifier else ([], [])
        xdo("mousemove", *middle(row), *held[0], "click", button, *held[1])


def running(name, timeout=30):
    # The application `name` on the accessibility bus, read afresh each time: GTK 4 does not tell
    # AT-SPI's cache of its children changing.
    app = application(name, timeout)
    app.set_cache_mask(Atspi.Cache.NONE)
    return app


def menu_item(app, label):
    # The check that the open context menu has the item `label`: the item.
    return attempt(f"the context menu's {label!r}", lambda: find(app, "menu item", label), 10,
                   seen=lambda: [n.get_name() for n in nodes(app) if n.get_role_name() == "menu item"])


def properties(app, window, name):
    # The Properties dialog of `name` opened as a person opens it (the item clicked, Ctrl+I), its
    # Metadata section clicked: every row's label and text, its own and ours, once ours have come.
    window.click(name)
    xdo("key", "ctrl+i")
    dialog = attempt("the Properties dialog opening on Ctrl+I", lambda: find(app, "frame", "Properties"))
    sections = lambda: [labels(n) for n in nodes(dialog) if n.get_role_name() == "list item"]  # noqa: E731
    section = dialog and attempt("a Metadata section in the Properties dialog", lambda: next(
        (n for n in nodes(dialog) if n.get_role_name() == "list item" and labels(n) == ["Metadata"]), None),
        seen=sections)
    if section is None:
        return {}
    xdo("mousemove", *middle(section), "click", "1")
    rows = lambda: dict(pair for pair in sections() if len(pair) == 2)  # noqa: E731
    shown = attempt("the Metadata page's values read", lambda: rows() if "Headline" in rows() else None, seen=rows)
    screenshot(os.path.join(SCRATCH, "nautilus-properties.png"))
    xdo("key", "Escape")
    return shown or {}


def main():
    if os.geteuid() != 0:
        skip("needs root: a loop device for the exFAT volume, and smbd")
    if not (shutil.which("nautilus") and shutil.which("xdotool")):
        skip("nautilus and xdotool are needed (scripts/install-deps)")
    bind_module(MODULE, EXTENSIONS)
    try:
        stack = contextlib.ExitStack()
        share, client = stack.enter_context(samba_share())
        drive = stack.enter_context(disk("exfat"))
    except unittest.SkipTest as why:
        skip(str(why))
    with stack, tempfile.TemporaryDirectory() as work:
        # The share: values as a Mac's copy keeps them in user. attributes, and one written as a Mac
        # writes through Samba, a stream smbd keeps in an attribute of its own.
        item(share, "harbour.jpg", Tags=["Work\n6", "Harbour"], **VALUES)
        item(share, "boats.jpg", Headline="Boats")
        item(share, "stream.jpg")
        with open(os.path.join(work, "value"), "wb") as value:
            value.write(plistlib.dumps("Streamed headline", fmt=plistlib.FMT_BINARY))
        client(f'put "{value.name}" "stream.jpg:com.apple.metadata\uf022kMDItemHeadline"')
        check("smbd keeping the headline as a stream", any(name.startswith("user.DosStream.com.apple.metadata")
                                                           for name in os.listxattr(os.path.join(share, "stream.jpg"))))
        # The exFAT volume: values in sidecars, quillmark-cli's, one of 64 KiB, and one that lies.
        docs = sample_folder(drive, CLI)

        env = private_home(work, settings=SETTINGS)
        # GTK 4 draws with Cairo: Mesa's software GL would take every core Xvfb's machine has.
        env.update(GIO_USE_VOLUME_MONITOR="unix", GSK_RENDERER="cairo", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   PATH=os.path.dirname(os.path.abspath(QUILLMARK)) + os.pathsep + os.environ["PATH"])
        with started(["nautilus", "--new-window", share], env) as nautilus:
            try:
                app = running("org.gnome.Nautilus")
                files = Window(app, "share")
                # 1, 2. The module is loaded: its columns, each item's values wherever they are kept.
                attempt("1. our six columns in the list view", lambda: all(
                    title in files.columns() for title in SHOWN) or None, seen=files.columns)
                files.shows("2. a Samba stream", "stream.jpg", "Headline", "Streamed headline")
                for column, text in SHOWN.items():
                    files.shows("2. user. attributes", "harbour.jpg", column, " ".join(text.split()))
                screenshot(os.path.join(SCRATCH, "nautilus-columns.png"))

                # 5. The Properties dialog's Metadata section: the five values and the tags.
                rows = properties(app, files, "harbour.jpg")
                for label, text in SHOWN.items():
                    check(f"5. Properties' Metadata showing {label} {text!r}", rows.get(label) == text, str(rows.get(label)))

                # 6. Edit Metadata on two items opens both in Quillmark.
                files.click("harbour.jpg")
                files.click("boats.jpg", "ctrl")
                files.click("boats.jpg", button="3")
                edit = menu_item(app, "Edit Metadata")
                quillmark = edit and edit.get_action_iface().do_action(0) and attempt(
                    "6. Quillmark started by Edit Metadata", lambda: running("Quillmark", 1), 40)
                if quillmark:
                    title = lambda: find(quillmark, "frame").get_name()  # noqa: E731
                    attempt("6. Quillmark's window holding both items", lambda: "2 items" in title() or None, seen=title)
                    with contextlib.suppress(Exception):
                        os.kill(quillmark.get_process_id(), 15)

                # 4. A change on disk shows without the folder being opened again.
                subprocess.run([CLI, "set", "--headline", "Boats at noon", os.path.join(share, "boats.jpg")], check=True)
                files.shows("4. changed by quillmark-cli", "boats.jpg", "Headline", "Boats at noon")

                # 2, 3, 4. The exFAT volume: values in sidecars, the 64 KiB one bounded, a lying sidecar
                # shown as what it is, a sidecar's change shown.
                subprocess.run(["nautilus", "--new-window", docs], env=env, timeout=30, check=False)
                volume = Window(app, "docs")
                volume.shows("2. a sidecar on exFAT", "report.txt", "Headline", "Quarterly Report")
                volume.shows("3. 64 KiB, bounded", "long.txt", "Headline", lambda text: text.startswith(
                    "LLLL") and text.endswith("…") and len(text.encode()) <= 4096)
                volume.shows("3. a hostile sidecar", "x", "Headline", "[unreadable]")
                screenshot(os.path.join(SCRATCH, "nautilus-exfat.png"))
                subprocess.run([CLI, "set", "--headline", "Sidecar changed", os.path.join(docs, "report.txt")], check=True)
                volume.shows("4. only its sidecar changed", "report.txt", "Headline", "Sidecar changed")
                check("3. Nautilus still running", nautilus.poll() is None)
            except AssertionError as error:
                check("Nautilus as a person uses it", False, str(error))
        if failures:
            print(nautilus.output[-4000:], file=sys.stderr)

        # 7. A German session.
        env.update(LANGUAGE="de")
        with started(["nautilus", "--new-window", share], env) as nautilus:
            try:
                app = running("org.gnome.Nautilus")
                files = Window(app, "share")
                attempt("7. the Headline column in German", lambda: "Überschrift" in files.columns() or None,
                        seen=files.columns)
                screenshot(os.path.join(SCRATCH, "nautilus-columns-de.png"))
            except AssertionError as error:
                check("Nautilus in German", False, str(error))

    finish()


if __name__ == "__main__":
    main()
