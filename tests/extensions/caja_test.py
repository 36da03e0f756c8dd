#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Our module inside the real Caja (gtk3_list_view.py), with Quillmark's action for caja-actions
# installed as a user's own.
import sys
import unittest

from gtk3_list_view import ModuleInFileManager


class Caja(ModuleInFileManager):
    name = "caja"
    settings = ("[org/mate/caja/preferences]\ndefault-folder-viewer='list-view'\n[org/mate/caja/list-view]\n"
                "default-visible-columns=['name','Quillmark::headline','Quillmark::description','Quillmark::creator',"
                "'Quillmark::copyright','Quillmark::keywords','Quillmark::tags']\n"
                # Caja sizes a column to its widest text: the 64 KiB headline last, every column in sight.
                "default-column-order=['name','Quillmark::description','Quillmark::creator','Quillmark::copyright',"
                "'Quillmark::keywords','Quillmark::tags','Quillmark::headline']\n")
    action = ("quillmark-edit-metadata.desktop", "file-manager/actions")


del ModuleInFileManager
unittest.main(argv=sys.argv[:1])
