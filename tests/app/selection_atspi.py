#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Three photos edited together in one window, driven as a screen reader's user drives it: over
# AT-SPI. A headline they share shows, creators that differ offer each value, keywords show with
# their counts; one is removed, one given to all and one added, and each item keeps its form (a
# list stays a list, one string one string) and every field not touched byte for byte. A save
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
XML_HEADLINE = plistlib.dumps("Harbour")  # the XML form: Save must not rewrite it as binary


def stored(path, name):
    try:
        return os.getxattr(path, KEY + name)
    except OSError:
        return None


def nodes(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from nodes(child)


def wait_for(find, what, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    raise AssertionError(f"not found over AT-SPI: {what}")


class Window:
    def __init__(self, app):
        self.app = app

    def all(self):
        return list(nodes(self.app))

    def named(self, role, name):
        return wait_for(lambda: next((n for n in self.all()
                                      if n.get_role_name() == role and n.get_name() == name), None),
                        f"{role} {name!r}")

    def text(self, name):
        field = self.named("text", name)
        return field.get_text_iface().get_text(0, -1)

    def type(self, name, text):
        self.named("text", name).get_editable_text_iface().set_text_contents(text)

    def press(self, name):
        self.named("push button", name).get_action_iface().do_action(0)
        time.sleep(0.5)  # Qt presses a button as an animated click, a moment later

    def keywords(self):
        listed = self.named("list", "Keyword list")
        return [listed.get_child_at_index(i).get_name() for i in range(listed.get_child_count())]

    def choose_keyword(self, name):
        self.named("list item", name).get_action_iface().do_action(0)  # "Toggle": selects it

    def alerts(self):
        return [n.get_name() for n in self.all()
                if n.get_role_name() == "label" and " \u2014 " in (n.get_name() or "")]


def check(failures, what, got, expected):
    if got != expected:
        failures.append(f"{what}: {got!r}, expected {expected!r}")


def main(binary, scratch):
    os.makedirs(scratch, exist_ok=True)
    work = tempfile.mkdtemp(dir=os.path.abspath(scratch))
    a, b, c = (os.path.join(work, n) for n in ("a.jpg", "b.jpg", "c.jpg"))
    for path in (a, b, c):
        open(path, "wb").close()
        os.setxattr(path, KEY + "Headline", XML_HEADLINE)
    binary_plist = lambda value: plistlib.dumps(value, fmt=plistlib.FMT_BINARY)
    os.setxattr(a, KEY + "Creator", binary_plist("Ada"))
    os.setxattr(b, KEY + "Creator", binary_plist("Bo"))
    os.setxattr(a, KEY + "Keywords", binary_plist(["harbour", "Holt, Maren"]))
    os.setxattr(b, KEY + "Keywords", binary_plist("harbour, boats"))

    env = dict(os.environ, LANGUAGE="en", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    app = subprocess.Popen([binary, a, b, c], env=env)
    failures = []
    try:
        def window():
            desktop = Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                child = desktop.get_child_at_index(i)
                if child is not None and any(n.get_name() == "3 items" for n in nodes(child)):
                    return child
        w = Window(wait_for(window, "a window titled '3 items'"))
        check(failures, "shared headline", w.text("Headline"), "Harbour")
        check(failures, "differing creators", w.text("Creator"), "")
        creator = w.named("text", "Creator").get_description()
        check(failures, "creator's values", "Ada (1 item)" in creator and "Bo (1 item)" in creator, True)
        check(failures, "keywords", w.keywords(),
              ["harbour (2 of 3 items)", "Holt, Maren (1 of 3 items)", "boats (1 of 3 items)"])

        w.type("Description", "Boats")
        w.choose_keyword("harbour (2 of 3 items)")
        w.press("Remove keyword")
        w.choose_keyword("boats (1 of 3 items)")
        w.press("Give keyword to all items")
        w.type("Keywords", "sea")
        w.press("Save")
        wait_for(lambda: stored(c, "Keywords") is not None, "c's keywords saved")
        for path in (a, b, c):
            check(failures, f"{path}: headline untouched", stored(path, "Headline"), XML_HEADLINE)
            check(failures, f"{path}: description", stored(path, "Description"), binary_plist("Boats"))
        check(failures, "a's creator untouched", stored(a, "Creator"), binary_plist("Ada"))
        check(failures, "a's keywords, still a list", stored(a, "Keywords"),
              binary_plist(["Holt, Maren", "boats", "sea"]))
        check(failures, "b's keywords, still one string", stored(b, "Keywords"), binary_plist("boats, sea"))
        check(failures, "c's new keywords, one string", stored(c, "Keywords"), binary_plist("boats, sea"))

        # b cannot be changed: one alert names it and its field; a and c are saved.
        subprocess.run(["chattr", "+i", b], check=True)
        try:
            w.type("Copyright", "\u00a9 Us")
            w.press("Save")
            shown = wait_for(w.alerts, "the alert")
            time.sleep(1)
            check(failures, "the one alert", w.alerts(),
                  [f"{b} \u2014 Copyright: setxattr error: Operation not permitted"])
            w.press("OK")
        finally:
            subprocess.run(["chattr", "-i", b], check=True)
        check(failures, "a's copyright", stored(a, "Copyright"), binary_plist("\u00a9 Us"))
        check(failures, "what was typed stays", w.text("Copyright"), "\u00a9 Us")
    finally:
        app.terminate()
        app.wait()
        shutil.rmtree(work)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
