// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The extensions' texts in the user's language (gettext, domain "quillmark"), and the rows a
// properties page shows.
#ifndef QUILLMARK_EXTENSIONS_GLIB_TEXTS_H_
#define QUILLMARK_EXTENSIONS_GLIB_TEXTS_H_

#include <string>
#include <utility>
#include <vector>

#include "extensions/core/shown_values.h"

namespace quillmark {

// `english` in the user's language; the catalogue is bound on first use, from "locale/" beside
// the loaded module where there is one (a build tree), else the system's.
const char* translated(const char* english);

// The label and text of each row of an item's properties page: the five values in the window's
// order, then the tags; a value stored as something else shown as what it is, in brackets.
std::vector<std::pair<std::string, std::string>> shownRows(const ShownValues& values);
// The text of the list view's column for position `position` (attrstore/names.h), on one line.
std::string columnText(const ShownValues& values, std::size_t position);

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_GLIB_TEXTS_H_
