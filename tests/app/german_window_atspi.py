#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts Quillmark as a German desktop does (LANGUAGE=de) and finds its German
# labels, fields, boxes, buttons and menus as a screen reader does: over AT-SPI.
# Runs in a D-Bus session of its own on a display (dbus-run-session,
# scripts/with-xvfb); exits 77, skipped, without the AT-SPI bindings.
#
#   german_window_atspi.py QUILLMARK
import os
import subprocess
import sys
import time

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
except (ImportError, ValueError):
    print("skipped: no AT-SPI bindings for this python3 (scripts/install-deps)", file=sys.stderr)
    sys.exit(77)

EXPECTED = {
    ("label", "Überschrift:"), ("text", "Beschreibung"), ("check box", "Urheber entfernen, wenn leer"),
    ("label", "Copyright:"), ("label", "Stichwörter:"), ("push button", "Öffnen"),
    ("push button", "Speichern"), ("push button", "Ordner wählen"), ("push button", "In Ordner schreiben"),
    ("push button", "Als Text speichern"), ("menu item", "Datei"), ("menu item", "Hilfe"),
    ("menu item", "Werte aus dem Bild übernehmen"),
}


def roles_and_names(node):
    yield node.get_role_name(), node.get_name()
    for i in range(node.get_child_count()):
        yield from roles_and_names(node.get_child_at_index(i))


def main(binary):
    env = dict(os.environ, LANGUAGE="de", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    app = subprocess.Popen([binary], env=env)
    found = set()
    try:
        deadline = time.monotonic() + 30
        while not EXPECTED <= found and time.monotonic() < deadline and app.poll() is None:
            desktop = Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                child = desktop.get_child_at_index(i)
                if child is not None and child.get_name() == "Quillmark":
                    found = set(roles_and_names(child))
            time.sleep(0.2)
    finally:
        app.terminate()
        app.wait()
    for role, name in sorted(EXPECTED - found):
        print(f"not found over AT-SPI: {role} {name!r}", file=sys.stderr)
    return 0 if EXPECTED <= found else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
