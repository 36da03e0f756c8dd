// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Edit Metadata: the file manager's selection opened in Quillmark's window, one document.
#ifndef QUILLMARK_EXTENSIONS_GLIB_OPEN_EDITOR_H_
#define QUILLMARK_EXTENSIONS_GLIB_OPEN_EDITOR_H_

#include <string>
#include <vector>

namespace quillmark {

// The menu item's label and tooltip, translated.
const char* editMetadataLabel();
const char* editMetadataTip();
// Starts `quillmark` (found on PATH) with the items `uris` in their order, as the file manager
// passes them; false, with a warning logged, when it cannot be started.
bool openInQuillmark(const std::vector<std::string>& uris);

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_GLIB_OPEN_EDITOR_H_
