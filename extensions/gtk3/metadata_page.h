// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The "Metadata" page of a GTK 3 properties dialog (Nemo, Caja, Thunar): an item's rows
// (glib/texts.h's shownRows) as selectable labels, filled once read off the main thread;
// "Reading…" until then. A page closed first cancels its read.
#ifndef QUILLMARK_EXTENSIONS_GTK3_METADATA_PAGE_H_
#define QUILLMARK_EXTENSIONS_GTK3_METADATA_PAGE_H_

#include <gtk/gtk.h>

namespace quillmark {

// The page's title, translated: "Metadata".
const char* metadataPageTitle();
// A new page for item `uri`, floating (the dialog takes it); nullptr for an item with no local path.
GtkWidget* newMetadataPage(const char* uri);

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_GTK3_METADATA_PAGE_H_
