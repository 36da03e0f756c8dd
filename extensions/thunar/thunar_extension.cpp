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

#include "extensions/glib/open_editor.h"
#include "extensions/glib/values_service.h"
#include "extensions/gtk3/metadata_page.h"

namespace {

struct Provider {
  GObject parent;
};
struct ProviderClass {
  GObjectClass parent;
};

GType providerType = G_TYPE_INVALID;

// The URIs of `files`, or none unless every one of them has a local path (our values live there).
std::vector<std::string> localUris(GList* files) {
  std::vector<std::string> uris;
  for (GList* file = files; file != nullptr; file = file->next) {
    gchar* uri = thunarx_file_info_get_uri(static_cast<ThunarxFileInfo*>(file->data));
    const bool local = uri != nullptr && quillmark::localPathOf(uri).has_value();
    if (local) uris.emplace_back(uri);
    g_free(uri);
    if (!local) return {};
  }
  return uris;
}

GList* pages(ThunarxPropertyPageProvider*, GList* files) {
  try {
    if (files == nullptr || files->next != nullptr) return nullptr;
    const std::vector<std::string> uris = localUris(files);
    if (uris.empty()) return nullptr;
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

void editMetadata(ThunarxMenuItem*, gpointer uris) {
  quillmark::openInQuillmark(*static_cast<const std::vector<std::string>*>(uris));
}

GList* fileMenuItems(ThunarxMenuProvider*, GtkWidget*, GList* files) {
  try {
    auto* uris = new std::vector<std::string>(localUris(files));
    if (uris->empty()) {
      delete uris;
      return nullptr;
    }
    ThunarxMenuItem* item =
        thunarx_menu_item_new("Quillmark::edit-metadata", quillmark::editMetadataLabel(),
                              quillmark::editMetadataTip(), "document-properties");
    // The selection lives as long as the item Thunar keeps for its menu.
    g_signal_connect_data(
        item, "activate", reinterpret_cast<GCallback>(&editMetadata), uris,
        [](gpointer data, GClosure*) { delete static_cast<std::vector<std::string>*>(data); },
        GConnectFlags{});
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
