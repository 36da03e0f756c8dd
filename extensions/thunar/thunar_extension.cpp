// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Thunar's module (thunarx-3): the "Metadata" page of the Properties dialog of one local item, and
// "Edit Metadata" in the context menu of a selection of local items. Thunar's list view takes no
// columns from extensions. What is shown and done lives in extensions/glib and extensions/gtk3;
// nothing here throws into Thunar.
#include <gtk/gtk.h>
// thunarx-3's own headers declare C functions without saying so to C++ (GTK's, first, do).
extern "C" {
#include <thunarx/thunarx.h>
}

#include <string>
#include <vector>

#include "extensions/glib/file_info_updates.h"
#include "extensions/glib/open_editor.h"
#include "extensions/gtk3/metadata_page.h"

namespace {

struct Provider {
  GObject parent;
};
struct ProviderClass {
  GObjectClass parent;
};

GType providerType = G_TYPE_INVALID;

std::vector<std::string> selected(GList* files) {
  return quillmark::urisOf(files,
                           [](gpointer file) { return thunarx_file_info_get_uri(static_cast<ThunarxFileInfo*>(file)); });
}

GList* pages(ThunarxPropertyPageProvider*, GList* files) {
  try {
    const std::vector<std::string> uris = selected(files);
    if (uris.size() != 1 || !quillmark::allLocal(uris)) return nullptr;
    GtkWidget* content = quillmark::newMetadataPage(uris.front().c_str());
    if (content == nullptr) return nullptr;
    GtkWidget* page = thunarx_property_page_new(quillmark::metadataPageTitle());
    gtk_container_add(reinterpret_cast<GtkContainer*>(page), content);
    gtk_widget_show(page);
    return g_list_prepend(nullptr, page);
  } catch (...) {
    return nullptr;
  }
}

GList* fileMenuItems(ThunarxMenuProvider*, GtkWidget*, GList* files) {
  try {
    std::vector<std::string> uris = selected(files);
    if (!quillmark::allLocal(uris)) return nullptr;
    ThunarxMenuItem* item =
        thunarx_menu_item_new("Quillmark::edit-metadata", quillmark::editMetadataLabel(),
                              quillmark::editMetadataTip(), "document-properties");
    quillmark::openOnActivate(G_OBJECT(item), std::move(uris));
    return g_list_prepend(nullptr, item);
  } catch (...) {
    return nullptr;
  }
}

void initPages(gpointer iface, gpointer) {
  static_cast<ThunarxPropertyPageProviderIface*>(iface)->get_pages = &pages;
}

void initMenus(gpointer iface, gpointer) {
  static_cast<ThunarxMenuProviderIface*>(iface)->get_file_menu_items = &fileMenuItems;
}

}  // namespace

extern "C" {

G_MODULE_EXPORT void thunar_extension_initialize(ThunarxProviderPlugin* plugin) {
  if (const gchar* mismatch = thunarx_check_version(THUNARX_MAJOR_VERSION, THUNARX_MINOR_VERSION,
                                                    THUNARX_MICRO_VERSION)) {
    g_warning("Quillmark's Thunar module is not loaded: %s", mismatch);
    return;
  }
  // Our reading threads and the main loop's sources they feed live in this module's code: it is
  // never unloaded.
  thunarx_provider_plugin_set_resident(plugin, TRUE);
  GTypeInfo info{};
  info.class_size = sizeof(ProviderClass);
  info.instance_size = sizeof(Provider);
  providerType = thunarx_provider_plugin_register_type(
      plugin, G_TYPE_OBJECT, "QuillmarkThunarProvider", &info, GTypeFlags{});
  const GInterfaceInfo pagesInfo{&initPages, nullptr, nullptr};
  thunarx_provider_plugin_add_interface(plugin, providerType, THUNARX_TYPE_PROPERTY_PAGE_PROVIDER,
                                        &pagesInfo);
  const GInterfaceInfo menusInfo{&initMenus, nullptr, nullptr};
  thunarx_provider_plugin_add_interface(plugin, providerType, THUNARX_TYPE_MENU_PROVIDER,
                                        &menusInfo);
}

G_MODULE_EXPORT void thunar_extension_shutdown() {}

G_MODULE_EXPORT void thunar_extension_list_types(const GType** types, gint* count) {
  *types = &providerType;
  *count = providerType == G_TYPE_INVALID ? 0 : 1;
}

}  // extern "C"
