// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// GNOME Files (Nautilus 43 and later, libnautilus-extension-4): its interfaces answered from the
// shared layers. The six columns, each item's texts read off the main thread (ValuesService) and
// read again when its values change on disk, the properties dialog's Metadata, and Edit Metadata.
#include <gio/gio.h>
#include <glib-object.h>
#include <gmodule.h>

// Its header declares the module's entry points without C linkage of their own.
extern "C" {
#include <nautilus-extension.h>
}

#include <string>
#include <vector>

#include "extensions/core/shown_columns.h"
#include "extensions/glib/file_info_updates.h"
#include "extensions/glib/open_editor.h"
#include "extensions/glib/texts.h"
#include "extensions/glib/values_service.h"

namespace quillmark {

namespace {

GType providerType = G_TYPE_INVALID;

std::string uriOf(NautilusFileInfo* file) {
  char* uri = nautilus_file_info_get_uri(file);
  std::string copy(uri != nullptr ? uri : "");
  g_free(uri);
  return copy;
}

GList* getColumns(NautilusColumnProvider*) {
  GList* columns = nullptr;
  for (const ShownColumn& column : kShownColumns) {
    const std::string label(column.label()), description(column.description);
    columns = g_list_append(columns, nautilus_column_new(columnName(column).c_str(), column.attribute().c_str(),
                                                         translated(label.c_str()), translated(description.c_str())));
  }
  return columns;
}

const InfoUpdateApi kInfoApi = {
    [](GObject* file, const char* attribute, const char* text) {
      nautilus_file_info_add_string_attribute(NAUTILUS_FILE_INFO(file), attribute, text);
    },
    [](GClosure* done, GObject* provider, void* handle) {
      nautilus_info_provider_update_complete_invoke(done, NAUTILUS_INFO_PROVIDER(provider),
                                                    static_cast<NautilusOperationHandle*>(handle),
                                                    NAUTILUS_OPERATION_COMPLETE);
    },
};

NautilusOperationResult updateFileInfo(NautilusInfoProvider* provider, NautilusFileInfo* file, GClosure* complete,
                                       NautilusOperationHandle** handle) {
  InfoUpdate* update = startInfoUpdate(kInfoApi, G_OBJECT(provider), G_OBJECT(file), uriOf(file).c_str(), complete);
  *handle = reinterpret_cast<NautilusOperationHandle*>(update);
  return update != nullptr ? NAUTILUS_OPERATION_IN_PROGRESS : NAUTILUS_OPERATION_COMPLETE;
}

void cancelUpdate(NautilusInfoProvider*, NautilusOperationHandle* handle) {
  cancelInfoUpdate(reinterpret_cast<InfoUpdate*>(handle));
}

// The properties dialog's Metadata for one item: "Reading…" until its values come.

GList* getModels(NautilusPropertiesModelProvider*, GList* files) {
  if (files == nullptr || files->next != nullptr) return nullptr;
  GListStore* store = g_list_store_new(NAUTILUS_TYPE_PROPERTIES_ITEM);
  NautilusPropertiesItem* reading = nautilus_properties_item_new(translated("Reading…"), "");
  g_list_store_append(store, reading);
  g_object_unref(reading);
  // The store's last reference cancels the read (below), so the callback never finds it gone.
  const ValuesService::Ticket ticket =
      ValuesService::instance().read(uriOf(NAUTILUS_FILE_INFO(files->data)).c_str(), [store](const ShownValues& values) {
        std::vector<gpointer> items;
        for (const auto& [label, text] : shownRows(values))
          items.push_back(nautilus_properties_item_new(label.c_str(), text.c_str()));
        g_list_store_splice(store, 0, g_list_model_get_n_items(G_LIST_MODEL(store)), items.data(),
                            static_cast<guint>(items.size()));
        for (gpointer item : items) g_object_unref(item);
      });
  if (ticket == 0) {
    g_object_unref(store);
    return nullptr;
  }
  ValuesService::instance().cancelWith(G_OBJECT(store), ticket);
  NautilusPropertiesModel* model = nautilus_properties_model_new(translated("Metadata"), G_LIST_MODEL(store));
  g_object_unref(store);
  return g_list_append(nullptr, model);
}

GList* getFileItems(NautilusMenuProvider*, GList* files) {
  std::vector<std::string> uris =
      urisOf(files, [](gpointer file) { return nautilus_file_info_get_uri(NAUTILUS_FILE_INFO(file)); });
  if (!allLocal(uris)) return nullptr;
  NautilusMenuItem* item =
      nautilus_menu_item_new("Quillmark::edit_metadata", editMetadataLabel(), editMetadataTip(), nullptr);
  openOnActivate(G_OBJECT(item), std::move(uris));
  return g_list_append(nullptr, item);
}

// Changed on disk (by Quillmark, quillmark-cli, a sidecar's writer): an item Nautilus holds is
// asked about again. Nautilus re-asks by itself when an item's own attributes change, not when
// its sidecar "._name" does.
void invalidate(const char* uri) {
  if (NautilusFileInfo* file = nautilus_file_info_lookup_for_uri(uri)) {
    nautilus_file_info_invalidate_extension_info(file);
    g_object_unref(file);
  }
}

void registerProvider(GTypeModule* module) {
  const GTypeInfo info = {sizeof(GObjectClass), nullptr, nullptr, nullptr, nullptr, nullptr, sizeof(GObject), 0,
                          nullptr, nullptr};
  providerType =
      g_type_module_register_type(module, G_TYPE_OBJECT, "QuillmarkNautilusProvider", &info, static_cast<GTypeFlags>(0));
  addInterface<NautilusColumnProviderInterface,
               [](NautilusColumnProviderInterface* iface) { iface->get_columns = getColumns; }>(
      module, providerType, NAUTILUS_TYPE_COLUMN_PROVIDER);
  addInterface<NautilusInfoProviderInterface, [](NautilusInfoProviderInterface* iface) {
    iface->update_file_info = updateFileInfo;
    iface->cancel_update = cancelUpdate;
  }>(module, providerType, NAUTILUS_TYPE_INFO_PROVIDER);
  addInterface<NautilusPropertiesModelProviderInterface,
               [](NautilusPropertiesModelProviderInterface* iface) { iface->get_models = getModels; }>(
      module, providerType, NAUTILUS_TYPE_PROPERTIES_MODEL_PROVIDER);
  addInterface<NautilusMenuProviderInterface,
               [](NautilusMenuProviderInterface* iface) { iface->get_file_items = getFileItems; }>(
      module, providerType, NAUTILUS_TYPE_MENU_PROVIDER);
}

}  // namespace

}  // namespace quillmark

extern "C" {

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module) {
  quillmark::registerProvider(module);
  quillmark::ValuesService::instance().onChanged(quillmark::invalidate);
}

G_MODULE_EXPORT void nautilus_module_shutdown() {}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* count) {
  *types = &quillmark::providerType;
  *count = 1;
}

}  // extern "C"
