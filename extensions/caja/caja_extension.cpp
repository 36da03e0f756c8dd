// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Caja's module: the values as list view columns, a Metadata page in the Properties dialog and
// Edit Metadata in the context menu, on the shared layers; only Caja's names are here.
#include <libcaja-extension/caja-column-provider.h>
#include <libcaja-extension/caja-info-provider.h>
#include <libcaja-extension/caja-menu-provider.h>
#include <libcaja-extension/caja-property-page-provider.h>

#include "extensions/glib/file_info_updates.h"
#include "extensions/glib/open_editor.h"
#include "extensions/glib/texts.h"
#include "extensions/glib/values_service.h"
#include "extensions/gtk3/metadata_page.h"

namespace quillmark {
namespace {

GType providerType = 0;

std::vector<std::string> selected(GList* files) {
  return urisOf(files, [](gpointer file) { return caja_file_info_get_uri(static_cast<CajaFileInfo*>(file)); });
}

GList* columns(CajaColumnProvider*) {
  GList* list = nullptr;
  for (const ShownColumn& column : kShownColumns) {
    const std::string label(column.label()), description(column.description);
    list = g_list_append(list, caja_column_new(columnName(column).c_str(), column.attribute().c_str(),
                                               translated(label.c_str()), translated(description.c_str())));
  }
  return list;
}

const InfoUpdateApi kInfoApi = {
    [](GObject* file, const char* attribute, const char* text) {
      caja_file_info_add_string_attribute(reinterpret_cast<CajaFileInfo*>(file), attribute, text);
    },
    [](GClosure* done, GObject* provider, void* handle) {
      caja_info_provider_update_complete_invoke(done, reinterpret_cast<CajaInfoProvider*>(provider),
                                                static_cast<CajaOperationHandle*>(handle), CAJA_OPERATION_COMPLETE);
    },
};

CajaOperationResult updateFileInfo(CajaInfoProvider* provider, CajaFileInfo* file, GClosure* done,
                                   CajaOperationHandle** handle) {
  char* uri = caja_file_info_get_uri(file);
  InfoUpdate* update = startInfoUpdate(kInfoApi, reinterpret_cast<GObject*>(provider),
                                       reinterpret_cast<GObject*>(file), uri, done);
  g_free(uri);
  *handle = reinterpret_cast<CajaOperationHandle*>(update);
  return update != nullptr ? CAJA_OPERATION_IN_PROGRESS : CAJA_OPERATION_COMPLETE;
}

void cancelUpdate(CajaInfoProvider*, CajaOperationHandle* handle) {
  cancelInfoUpdate(reinterpret_cast<InfoUpdate*>(handle));
}

GList* pages(CajaPropertyPageProvider*, GList* files) {
  const std::vector<std::string> uris = selected(files);
  if (uris.size() != 1 || !allLocal(uris)) return nullptr;
  GtkWidget* page = newMetadataPage(uris.front().c_str());
  if (page == nullptr) return nullptr;
  return g_list_append(nullptr, caja_property_page_new("Quillmark::metadata", gtk_label_new(metadataPageTitle()), page));
}

GList* fileItems(CajaMenuProvider*, GtkWidget*, GList* files) {
  std::vector<std::string> uris = selected(files);
  if (!allLocal(uris)) return nullptr;
  CajaMenuItem* item = caja_menu_item_new("Quillmark::edit_metadata", editMetadataLabel(), editMetadataTip(),
                                          "example.quillmark.Quillmark");
  openOnActivate(reinterpret_cast<GObject*>(item), std::move(uris));
  return g_list_append(nullptr, item);
}

void invalidate(const char* uri) {
  // Only an item Caja already has: one it has not loaded has nothing shown to refresh.
  if (CajaFileInfo* file = caja_file_info_lookup_for_uri(uri)) {
    caja_file_info_invalidate_extension_info(file);
    g_object_unref(file);
  }
}

}  // namespace
}  // namespace quillmark

using namespace quillmark;

extern "C" __attribute__((visibility("default"))) void caja_module_initialize(GTypeModule* module) {
  const GTypeInfo info = {sizeof(GObjectClass), nullptr, nullptr, nullptr, nullptr, nullptr, sizeof(GObject), 0,
                          nullptr, nullptr};
  providerType = g_type_module_register_type(module, G_TYPE_OBJECT, "QuillmarkCajaProvider", &info, GTypeFlags(0));
  addInterface<CajaColumnProviderIface, [](CajaColumnProviderIface* iface) { iface->get_columns = columns; }>(
      module, providerType, CAJA_TYPE_COLUMN_PROVIDER);
  addInterface<CajaInfoProviderIface, [](CajaInfoProviderIface* iface) {
    iface->update_file_info = updateFileInfo;
    iface->cancel_update = cancelUpdate;
  }>(module, providerType, CAJA_TYPE_INFO_PROVIDER);
  addInterface<CajaPropertyPageProviderIface,
               [](CajaPropertyPageProviderIface* iface) { iface->get_pages = pages; }>(
      module, providerType, CAJA_TYPE_PROPERTY_PAGE_PROVIDER);
  addInterface<CajaMenuProviderIface,
               [](CajaMenuProviderIface* iface) { iface->get_file_items = fileItems; }>(
      module, providerType, CAJA_TYPE_MENU_PROVIDER);
  ValuesService::instance().onChanged(invalidate);
}

extern "C" __attribute__((visibility("default"))) void caja_module_shutdown() {}

extern "C" __attribute__((visibility("default"))) void caja_module_list_types(const GType** types, int* count) {
  *types = &providerType;
  *count = 1;
}
