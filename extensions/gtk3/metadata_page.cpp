// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/gtk3/metadata_page.h"

#include <memory>

#include "extensions/glib/texts.h"
#include "extensions/glib/values_service.h"

namespace quillmark {

namespace {

// The grid's rows for `values`: each label and its text, the text selectable so that it can be
// copied.
void fill(GtkGrid* grid, const ShownValues& values) {
  gtk_container_foreach(GTK_CONTAINER(grid), [](GtkWidget* child, gpointer) { gtk_widget_destroy(child); },
                        nullptr);
  int row = 0;
  for (const auto& [label, text] : shownRows(values)) {
    // The colon as the language writes it: French puts a no-break space before it.
    char* named = g_strdup_printf(translated("%s:"), label.c_str());
    GtkWidget* name = gtk_label_new(named);
    g_free(named);
    gtk_widget_set_halign(name, GTK_ALIGN_END);
    gtk_widget_set_valign(name, GTK_ALIGN_START);
    gtk_style_context_add_class(gtk_widget_get_style_context(name), "dim-label");
    GtkWidget* value = gtk_label_new(text.c_str());
    gtk_label_set_selectable(GTK_LABEL(value), TRUE);
    gtk_label_set_line_wrap(GTK_LABEL(value), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(value), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_xalign(GTK_LABEL(value), 0);
    gtk_widget_set_hexpand(value, TRUE);
    // A screen reader hears the row's name with its value.
    atk_object_add_relationship(gtk_widget_get_accessible(value), ATK_RELATION_LABELLED_BY,
                                gtk_widget_get_accessible(name));
    gtk_grid_attach(grid, name, 0, row, 1, 1);
    gtk_grid_attach(grid, value, 1, row, 1, 1);
    ++row;
  }
  gtk_widget_show_all(GTK_WIDGET(grid));
}

}  // namespace

const char* metadataPageTitle() { return translated("Metadata"); }

GtkWidget* newMetadataPage(const char* uri) {
  GtkWidget* grid = gtk_grid_new();
  gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
  gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
  gtk_grid_attach(GTK_GRID(grid), gtk_label_new(translated("Reading…")), 0, 0, 1, 1);
  // Scrolled: the dialog asks its pages' heights as if a wrapped value were one character wide, so
  // a value of a few words, let alone kShownBytes of them, would make it taller than the screen.
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER,
                                 GTK_POLICY_AUTOMATIC);
  gtk_container_add(GTK_CONTAINER(scrolled), grid);

  // The page may be closed before its values come; the callback then finds it gone.
  std::shared_ptr<GWeakRef> page(g_new0(GWeakRef, 1), [](GWeakRef* ref) {
    g_weak_ref_clear(ref);
    g_free(ref);
  });
  g_weak_ref_init(page.get(), grid);
  const ValuesService::Ticket ticket = ValuesService::instance().read(uri, [page](const ShownValues& values) {
    if (GtkWidget* alive = static_cast<GtkWidget*>(g_weak_ref_get(page.get()))) {
      fill(GTK_GRID(alive), values);
      g_object_unref(alive);
    }
  });
  if (ticket == 0) {
    g_object_ref_sink(scrolled);
    g_object_unref(scrolled);
    return nullptr;
  }
  // Closed before its values came: the read is cancelled.
  ValuesService::instance().cancelWith(G_OBJECT(grid), ticket);
  gtk_widget_show_all(scrolled);
  return scrolled;
}

}  // namespace quillmark
