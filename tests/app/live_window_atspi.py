#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The window as a live document, driven over AT-SPI as a screen reader's user drives it, while
# another program stores values beside it: an untouched field shows what the other stored, Save
# after editing one field keeps the other's newer values, a field the user typed over says what
# changed and Save asks (Keep Other keeps theirs), closing with edits asks and Cancel keeps the
# text, and a large selection on a slow volume shows its progress and stops when asked. Runs in a
# D-Bus session of its own on a display; exits 77, skipped, without the AT-SPI bindings.
#
# Each part runs in a session of its own: an application that has gone may linger on the bus.
#
#   live_window_atspi.py QUILLMARK SCRATCH_FOLDER follow
#   live_window_atspi.py QUILLMARK SCRATCH_FOLDER large KERNEL_EMULATION_LIBRARY
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from selection_atspi import Atspi, act, check, failures, named, nodes, plist, stored, text, wait_for, KEY  # noqa: E402,E501


def store(path, name, value):
    os.setxattr(path, KEY + name, plist(value))


def type_into(field, value):
    named("text", field).get_editable_text_iface().set_text_contents(value)


def start(binary, *paths, env=None):
    env = dict(os.environ, LANGUAGE="en", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **(env or {}))
    return subprocess.Popen([binary, *paths], env=env)


def follow(binary, work):
    photo = os.path.join(work, "harbour.jpg")
    open(photo, "wb").close()
    store(photo, "Headline", "Old")
    app = start(binary, photo)
    try:
        named("frame", "harbour.jpg")
        store(photo, "Headline", "Theirs")
        wait_for(lambda: text("Headline") == "Theirs", "the headline stored elsewhere, shown")

        type_into("Creator", "Maren")
        named("frame", "harbour.jpg*")
        store(photo, "Headline", "Newer")
        wait_for(lambda: text("Headline") == "Newer", "the newer headline, shown")
        store(photo, "Headline", "Newest")  # not yet seen when Save runs, perhaps: never written over
        act("push button", "Save")
        wait_for(lambda: stored(photo, "Creator"), "the creator saved")
        check("the creator", stored(photo, "Creator"), plist("Maren"))
        check("the other's headline, kept", stored(photo, "Headline"), plist("Newest"))
        named("frame", "harbour.jpg")

        type_into("Headline", "Mine")
        store(photo, "Headline", "Theirs again")
        wait_for(lambda: "Theirs again" in named("text", "Headline").get_description(),
                 "the field saying what changed elsewhere")
        check("what was typed stays", text("Headline"), "Mine")
        act("push button", "Save")
        line = f"{photo} \u2014 Headline: stored \u201cTheirs again\u201d, yours \u201cMine\u201d"
        wait_for(lambda: any(line in (n.get_name() or "").split("\n") for n in nodes(Atspi.get_desktop(0))
                             if n.get_role_name() == "label"), "the question naming the item and both values")
        act("push button", "Keep Other")
        wait_for(lambda: text("Headline") == "Theirs again", "their headline, shown")
        check("their headline, kept", stored(photo, "Headline"), plist("Theirs again"))

        type_into("Description", "Typed")
        # From the keyboard: a menu item's action would wait for the question it raises.
        subprocess.run(["xdotool", "search", "--name", "^harbour.jpg", "windowfocus", "--sync", "key", "ctrl+w"],
                       check=True)
        named("label", "Save the changes made in this window?")
        act("push button", "Cancel")
        check("the window stays", app.poll(), None)
        check("what was typed stays", text("Description"), "Typed")
    finally:
        app.terminate()
        app.wait()


def large_selection(binary, work, preload):
    """900 items, each with three values, where every attribute call waits 2 ms: reading shows, and Stop keeps what was read."""
    many = [os.path.join(work, f"item{i:03}") for i in range(900)]
    for path in many:
        open(path, "wb").close()
        for name in ("Headline", "Creator", "Copyright"):
            store(path, name, name.lower())
    # A sanitizer's runtime must otherwise come first of the libraries loaded.
    asan = ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"), "verify_asan_link_order=0"]))
    app = start(binary, *many, env={"LD_PRELOAD": preload, "QUILLMARK_EMULATE": "slow", "ASAN_OPTIONS": asan})
    try:
        named("frame", "900 items")
        bar = named("progress bar", "Reading the items")
        wait_for(lambda: bar.get_value_iface().get_current_value() > 0, "items read so far")
        act("push button", "Stop")
        frame = wait_for(lambda: next((n for n in nodes(Atspi.get_desktop(0)) if n.get_role_name() == "frame"
                                       and n.get_name().endswith(" items") and n.get_name() != "900 items"),
                                      None), "the window holding the items read")
        check("fewer items", int(frame.get_name().split()[0]) < 900, True)
    finally:
        app.terminate()
        app.wait()


def main(binary, scratch, part, preload=None):
    work = tempfile.mkdtemp(dir=os.path.abspath(scratch))
    try:
        follow(binary, work) if part == "follow" else large_selection(binary, work, preload)
    finally:
        shutil.rmtree(work)
    print("\n".join(failures), file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
