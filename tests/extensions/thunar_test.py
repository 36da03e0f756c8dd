#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Our module inside the real Thunar, used as a user uses it: items selected in the list view, the
# Properties dialog opened with Alt+Return, its Metadata page read; a hostile sidecar and a huge
# value that leave Thunar running (the other file managers' tests read sidecars on a real exFAT
# volume, and GNOME Files' reads German); Edit Metadata on two items opening Quillmark with both.
# Debian's libthunarx ignores THUNARX_DIRS (a build option), so the build's module is bound over
# the folder Thunar loads modules from.
#
#   thunar_test.py MODULE_DIR EXTENSION_DIR QUILLMARK QUILLMARK_CLI SCRATCH_DIR
import contextlib
import os
import plistlib
import subprocess
import sys
import tempfile

MODULE_DIR, EXTENSION_DIR, QUILLMARK, CLI, SCRATCH = sys.argv[1:6]
os.environ["QUILLMARK_CLI"] = CLI
from file_manager import (Atspi, application, bind_module, check, failures, find, finish, nodes, private_home,  # noqa: E402
                          sample_folder, screenshot, skip, started, texts, wait_for, xdo)
from cli_test import put  # noqa: E402

PHOTO = {"Headline": "Harbour at dawn", "Description": "Boats leaving", "Creator": "Maren Holt",
         "Copyright": "© 2026 Maren Holt", "Keywords": ["boats", "harbour"]}
def select(app, names):
    # `names` selected in the list view, which has the focus.
    cells = [wait_for(lambda n=n: find(app, "table cell", n), f"{n} in Thunar's list view") for n in names]
    table = cells[0]
    while table.get_role_name() != "table":
        table = table.get_parent()
    Atspi.Selection.clear_selection(table)
    for cell in cells:  # the name's cell holds an icon and a text cell: the row is the outer one's
        row_cell = cell.get_parent() if cell.get_parent().get_role_name() == "table cell" else cell
        Atspi.Table.add_row_selection(table, Atspi.Table.get_row_at_index(table, row_cell.get_index_in_parent()))
    table.get_component_iface().grab_focus()


def metadata_page(app, name, shot=None):
    # Properties of `name` opened with Alt+Return, its Metadata page shown: the texts on it once read.
    select(app, [name])
    xdo("key", "--clearmodifiers", "alt+Return")
    dialog = wait_for(lambda: next(n for n in nodes(app) if n.get_role_name() == "dialog"
                                   and n.get_name().startswith(f"{name} - ")), f"the Properties dialog of {name}")
    tab = wait_for(lambda: find(dialog, "page tab", "Metadata"), f"a Metadata page in the Properties of {name}")
    Atspi.Selection.select_child(tab.get_parent(), tab.get_index_in_parent())
    shown = wait_for(lambda: (lambda t: None if "Reading…" in t else t)(texts(tab)), f"the values of {name} read")
    if shot:
        screenshot(os.path.join(SCRATCH, shot))
    screen_height = int(subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                                       text=True).stdout.split()[1])
    height = dialog.get_component_iface().get_extents(Atspi.CoordType.SCREEN).height
    check(f"the Properties dialog of {name} fits on the screen", height < screen_height, f"{height} pixels tall")
    wait_for(lambda: find(dialog, "push button", "Close"),
             "the dialog's Close button").get_action_iface().do_action(0)
    wait_for(lambda: None if any(n.get_role_name() == "dialog" for n in nodes(app)) else True, "the dialog closed")
    return shown


def menu_item(app, names, label):
    # The item `label` of the context menu of `names`, opened as from the keyboard.
    select(app, names)
    xdo("key", "--clearmodifiers", "shift+F10")
    return wait_for(lambda: find(app, "menu item", label), f"{label!r} in the context menu of {names}")


@contextlib.contextmanager
def thunar(work, folder):
    # Thunar showing `folder`, our Quillmark first on its PATH: (process, application).
    # A check that never sees what it waits for fails with Thunar's output.
    env = private_home(work)
    env.update(PATH=os.path.dirname(os.path.abspath(QUILLMARK)) + ":" + os.environ["PATH"],
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    check("NO_AT_BRIDGE unset", env.get("NO_AT_BRIDGE") != "1", "GTK would not speak AT-SPI")
    before = len(failures)
    with started(["thunar", folder], env) as process:
        try:
            app = application("thunar")
            wait_for(lambda: find(app, "push button", "List View"), "the List View button").get_action_iface().do_action(0)
            yield process, app
        except AssertionError as error:
            check(f"Thunar on {folder}", False, str(error))
    if len(failures) > before:
        print(process.output[-4000:], file=sys.stderr)


def shown(work, folder):
    # The values of an item, on its page; Edit Metadata on two; and a headline of almost 64 KiB and
    # a hostile sidecar (sample_folder) that leave Thunar running, showing the rest.
    with thunar(work, folder) as (process, app):
        page = metadata_page(app, "photo.jpg", shot="thunar-properties.png")
        for field, value in PHOTO.items():
            value = ", ".join(value) if isinstance(value, list) else value
            check(f"photo.jpg's page shows its {field}", value in page, f"{value!r} not in {page}")
        check("photo.jpg's page names the tags' colours", "Work (Red), Harbour" in page, f"tags not in {page}")

        item = menu_item(app, ["photo.jpg", "second.jpg"], "Edit Metadata")
        item.get_action_iface().do_action(0)
        wait_for(lambda: find(application("quillmark"), "frame", "2 items"), "Quillmark's window of the 2 items")

        headline = next((t for t in metadata_page(app, "long.txt", shot="thunar-properties-long.png")
                         if t.startswith("LLLL")), "")
        check("a headline of almost 64 KiB shown bounded", 1000 < len(headline.encode()) <= 4096 and
              headline.endswith("…"), f"{len(headline.encode())} bytes shown")
        check("a hostile sidecar shown as unreadable", "[unreadable]" in metadata_page(app, "x"))
        check("the rest still shown after it", PHOTO["Headline"] in metadata_page(app, "photo.jpg"))
        check("Thunar keeps running", process.poll() is None, "it ended")


def main():
    if not os.path.isfile(os.path.join(MODULE_DIR, "libquillmark-thunar.so")):
        skip(f"no module built in {MODULE_DIR}")
    bind_module(MODULE_DIR, EXTENSION_DIR)
    with tempfile.TemporaryDirectory(dir=SCRATCH) as work:
        folder = sample_folder(work, CLI)
        for name in ("photo.jpg", "second.jpg"):
            open(os.path.join(folder, name), "wb").close()
        photo = os.path.join(folder, "photo.jpg")
        for field, value in PHOTO.items():
            put(photo, field, value)
        os.setxattr(photo, "user.com.apple.metadata:_kMDItemUserTags", plistlib.dumps(["Work\n6", "Harbour"], fmt=plistlib.FMT_BINARY))
        put(os.path.join(folder, "second.jpg"), "Headline", "Second")
        shown(os.path.join(work, "session"), folder)
    finish()


main()
