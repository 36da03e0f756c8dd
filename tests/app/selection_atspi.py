#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Three photos edited together in one window, driven as a screen reader's user drives it: over
# AT-SPI. A headline they share shows, creators that differ offer each value, keywords show with
# their counts; one is removed, one given to all and one added, and each item keeps its form (a
# list stays a list, one string one string) and every field not touched byte for byte. Tags show
# with their colours named and counts, and a colour's name typed gives every item that tag. A save
# that fails on one item says so once. Runs in a D-Bus session of its own on a display
# (dbus-run-session, scripts/with-xvfb); exits 77, skipped, without the AT-SPI bindings.
#
#   selection_atspi.py QUILLMARK SCRATCH_FOLDER
import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError):
    print("skipped: no AT-SPI bindings for this python3 (scripts/install-deps)", file=sys.stderr)
    sys.exit(77)

KEY = "user.com.apple.metadata:kMDItem"
TAGS = "user.com.apple.metadata:_kMDItemUserTags"
XML_HEADLINE = plistlib.dumps("Harbour")  # the XML form: Save must not rewrite it as binary
failures = []


def plist(value):
    return plistlib.dumps(value, fmt=plistlib.FMT_BINARY)


def stored(path, name):
    try:
        return os.getxattr(path, KEY + name)
    except OSError:
        return None


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}: {got!r}, expected {expected!r}")


def nodes(node):
    yield node
    for child in (node.get_child_at_index(i) for i in range(node.get_child_count())):
        if child is not None:
            yield from nodes(child)


def wait_for(find, what):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        if found := find():
            return found
        time.sleep(0.2)
    raise AssertionError(f"not found over AT-SPI: {what}")


def named(role, name):
    return wait_for(lambda: next((n for n in nodes(Atspi.get_desktop(0))
                                  if n.get_role_name() == role and n.get_name() == name), None),
                    f"{role} {name!r}")


def text(name):
    return named("text", name).get_text_iface().get_text(0, -1)


def act(role, name):
    named(role, name).get_action_iface().do_action(0)  # a list item's "Toggle" selects it
    time.sleep(0.5)  # Qt presses a button as an animated click, a moment later


def main(binary, scratch):
    work = tempfile.mkdtemp(dir=os.path.abspath(scratch))
    a, b, c = (os.path.join(work, n) for n in ("a.jpg", "b.jpg", "c.jpg"))
    for path, creator, keywords in ((a, "Ada", ["harbour", "Holt, Maren"]), (b, "Bo", "harbour, boats"),
                                    (c, None, None)):
        open(path, "wb").close()
        os.setxattr(path, KEY + "Headline", XML_HEADLINE)
        if creator:
            os.setxattr(path, KEY + "Creator", plist(creator))
            os.setxattr(path, KEY + "Keywords", plist(keywords))
    os.setxattr(a, TAGS, plist(["Work\n6"]))
    os.setxattr(b, TAGS, plist(["Harbour", "Work\n6"]))
    env = dict(os.environ, LANGUAGE="en", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    app = subprocess.Popen([binary, a, b, c], env=env)
    try:
        named("frame", "3 items")
        named("label", "Editing together: a.jpg, b.jpg, c.jpg")
        check("shared headline", text("Headline"), "Harbour")
        check("differing creators", text("Creator"), "")
        check("creator's values", named("text", "Creator").get_description().split("\n")[1:],
              ["Ada (1 item)", "Bo (1 item)"])
        listed = named("list", "Keyword list")
        check("keywords", [listed.get_child_at_index(i).get_name() for i in range(listed.get_child_count())],
              ["harbour (2 of 3 items)", "Holt, Maren (1 of 3 items)", "boats (1 of 3 items)"])

        tags = named("list", "Tag list")
        check("tags", [tags.get_child_at_index(i).get_name() for i in range(tags.get_child_count())],
              ["Work, red (2 of 3 items)", "Harbour (1 of 3 items)"])

        named("text", "Tags").get_editable_text_iface().set_text_contents("blue")
        named("text", "Description").get_editable_text_iface().set_text_contents("Boats")
        act("list item", "harbour (2 of 3 items)")
        act("push button", "Remove keyword")
        act("list item", "boats (1 of 3 items)")
        act("push button", "Give keyword to all items")
        named("text", "Keywords").get_editable_text_iface().set_text_contents("sea")
        act("push button", "Save")
        wait_for(lambda: stored(c, "Keywords"), "c's keywords saved")
        for path in (a, b, c):
            check(f"{path}: headline untouched", stored(path, "Headline"), XML_HEADLINE)
            check(f"{path}: description", stored(path, "Description"), plist("Boats"))
        check("a's creator untouched", stored(a, "Creator"), plist("Ada"))
        check("a's keywords, still a list", stored(a, "Keywords"), plist(["Holt, Maren", "boats", "sea"]))
        check("b's keywords, still one string", stored(b, "Keywords"), plist("boats, sea"))
        check("c's new keywords, one string", stored(c, "Keywords"), plist("boats, sea"))
        check("b's tags, one added", os.getxattr(b, TAGS), plist(["Harbour", "Work\n6", "Blue\n4"]))
        check("c's new tag", os.getxattr(c, TAGS), plist(["Blue\n4"]))

        # b cannot be changed: one alert names it and its field; a and c are saved.
        subprocess.run(["chattr", "+i", b], check=True)
        try:
            named("text", "Copyright").get_editable_text_iface().set_text_contents("\u00a9 Us")
            act("push button", "Save")
            alert = f"{b} \u2014 Copyright: setxattr error: Operation not permitted"
            named("label", alert)
            time.sleep(1)
            check("one alert", [n.get_name() for n in nodes(Atspi.get_desktop(0))
                                if " \u2014 " in (n.get_name() or "")], [alert])
            act("push button", "OK")
        finally:
            subprocess.run(["chattr", "-i", b], check=True)
        check("a's copyright", stored(a, "Copyright"), plist("\u00a9 Us"))
        check("what was typed stays", text("Copyright"), "\u00a9 Us")
    finally:
        app.terminate()
        app.wait()
        shutil.rmtree(work)
    print("\n".join(failures), file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
