#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Our module inside the real Nemo (gtk3_list_view.py), with Quillmark's Nemo action installed as a
# user's own.
import sys
import unittest

from gtk3_list_view import ModuleInFileManager


class Nemo(ModuleInFileManager):
    name = "nemo"
    settings = ("[org/nemo/preferences]\ndefault-folder-viewer='list-view'\n[org/nemo/list-view]\n"
                "default-visible-columns=['name','Quillmark::headline','Quillmark::description','Quillmark::creator',"
                "'Quillmark::copyright','Quillmark::keywords','Quillmark::tags']\n"
                "default-column-order=['name','Quillmark::headline','Quillmark::description','Quillmark::creator',"
                "'Quillmark::copyright','Quillmark::keywords','Quillmark::tags']\n")
    action = ("quillmark-edit-metadata.nemo_action", "nemo/actions")


del ModuleInFileManager
unittest.main(argv=sys.argv[:1])
