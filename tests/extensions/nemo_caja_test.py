# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Our module inside the real Nemo or Caja, the two file managers being one in all but their names:
# the module's six columns in the list view, an item's values in them and refreshed when they change,
# Edit Metadata once in the context menu with Quillmark's action file also installed, the Metadata
# page of the Properties dialog, and hostile items beside them leaving the file manager running.
#
#   nemo_caja_test.py MODULE_DIR EXTENSION_DIR QUILLMARK QUILLMARK_CLI SCRATCH_DIR nemo|caja
import os
import pathlib
import plistlib
import shutil
import sys
import tempfile
import unittest

from file_manager import (add_module, appledouble, application, click, context_menu, named, nodes, private_home, rows,
                          sample_folder, screenshot, stand_in_quillmark, started, texts, wait_for)

MODULE_DIR, EXTENSION_DIR, QUILLMARK, CLI, SCRATCH, NAME = sys.argv[1:7]
COLUMNS = ["Headline", "Description", "Creator", "Copyright", "Keywords", "Tags"]
SHOWN = ["'Quillmark::" + column.lower() + "'" for column in COLUMNS]
# Each one's GSettings keyfile (the list view, with our columns shown), and Quillmark's built
# action file with the folder below the data dir it is read from. Caja sizes a column to its
# widest text: there the long headline goes last, so that every column stays in sight.
SCHEMA, ORDER, ACTION = {
    "nemo": ("org/nemo", SHOWN, ("quillmark-edit-metadata.nemo_action", "nemo/actions")),
    "caja": ("org/mate/caja", SHOWN[1:] + SHOWN[:1], ("quillmark-edit-metadata.desktop", "file-manager/actions")),
}[NAME]


class ModuleInFileManager(unittest.TestCase):
    name, action = NAME, ACTION
    settings = (f"[{SCHEMA}/preferences]\ndefault-folder-viewer='list-view'\n[{SCHEMA}/list-view]\n"
                f"default-visible-columns=['name',{','.join(SHOWN)}]\ndefault-column-order=['name',{','.join(ORDER)}]\n")

    def test_columns_menu_properties_and_hostile_items(self):
        add_module(MODULE_DIR, EXTENSION_DIR)
        work = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, work, True)
        folder = sample_folder(work, CLI)
        report = os.path.join(folder, "report.txt")
        env = private_home(work, settings=self.settings)
        opened = stand_in_quillmark(work, env)
        actions = os.path.join(env["XDG_DATA_HOME"], self.action[1])
        os.makedirs(actions)
        shutil.copy(os.path.join(SCRATCH, "..", "..", "app", "desktop", self.action[0]), actions)

        with started([self.name, "--no-desktop", "--geometry=1270x890+0+0", folder], env) as process:
            app = application(self.name)

            def listed(name, headline):
                for table in nodes(app):
                    if table.get_role_name() == "tree table":
                        shown = {row.get("Name"): row for row in rows(table)}
                        if shown.get(name, {}).get("Headline") == headline:
                            return table, shown
            table, shown = wait_for(lambda: listed("report.txt", "Quarterly Report"), "report.txt's headline")
            self.assertLessEqual(set(COLUMNS), set(shown["report.txt"]))
            self.assertIn("Urgent", shown["report.txt"]["Tags"])
            self.assertRegex(shown["long.txt"]["Headline"], "^L{253}…$")
            self.assertEqual("[unreadable]", shown["x"]["Headline"])
            screenshot(os.path.join(SCRATCH, f"{self.name}-columns.png"))

            # Changed in the sidecar only, which the file manager does not see as a change of the item.
            with open(os.path.join(folder, "._long.txt"), "wb") as sidecar:
                sidecar.write(appledouble({"com.apple.metadata:kMDItemHeadline": plistlib.dumps("Shortened")}))
            wait_for(lambda: listed("long.txt", "Shortened"), "the headline changed in the sidecar")

            cell = next(node for node in nodes(table) if node.get_name() == "report.txt")
            edit = named(context_menu(app, cell), "Edit Metadata")
            self.assertEqual(1, len(edit), "Edit Metadata once, the action file hidden by the module")
            edit[0].get_action_iface().do_action(0)
            # A URI, as the module passes items; the action file passes paths.
            wait_for(lambda: open(opened).read().split() == [pathlib.Path(report).as_uri()] or None,
                     "Quillmark started on report.txt by the module's item")

            named(context_menu(app, cell), "Properties")[0].get_action_iface().do_action(0)
            dialog = wait_for(lambda: next(node for node in nodes(app, limit=1) if node.get_role_name() == "dialog"),
                              "the Properties dialog")
            # A notebook's tab (Caja), or a stack switcher's button (Nemo).
            click(wait_for(lambda: next(node for node in nodes(dialog) if node.get_name() == "Metadata" and
                                        node.get_role_name() in ("page tab", "toggle button", "radio button")),
                           "the Metadata tab"))
            wait_for(lambda: {"Headline:", "Quarterly Report", "Tags:", "Urgent (Red)"} <= set(texts(dialog)) or None,
                     "the values and tags on the Metadata page")
            self.assertIsNone(process.poll(), "the file manager still runs")


unittest.main(argv=sys.argv[:1])
