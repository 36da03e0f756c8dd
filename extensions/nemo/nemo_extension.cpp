// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Nemo's module: the values as list view columns, a Metadata page in the Properties dialog and
// Edit Metadata in the context menu, on the shared layers; only Nemo's names are here.
#include <libnemo-extension/nemo-column-provider.h>
#include <libnemo-extension/nemo-info-provider.h>
#include <libnemo-extension/nemo-menu-provider.h>
#include <libnemo-extension/nemo-name-and-desc-provider.h>
#include <libnemo-extension/nemo-property-page-provider.h>

#include "extensions/glib/file_info_updates.h"
#include "extensions/glib/open_editor.h"
#include "extensions/glib/texts.h"
#include "extensions/glib/values_service.h"
#include "extensions/gtk3/metadata_page.h"

namespace quillmark {
namespace {

GType providerType = 0;

std::vector<std::string> selected(GList* files) {
  return urisOf(files, [](gpointer file) { return nemo_file_info_get_uri(static_cast<NemoFileInfo*>(file)); });
}

GList* columns(NemoColumnProvider*) {
  GList* list = nullptr;
  for (const ShownColumn& column : kShownColumns) {
    const std::string label(column.label()), description(column.description);
    // Cut short, not as wide as a long value: the full text is on the Metadata page.
    list = g_list_append(list, nemo_column_new2(columnName(column).c_str(), column.attribute().c_str(),
                                                translated(label.c_str()), translated(description.c_str()), 24,
                                                PANGO_ELLIPSIZE_END));
  }
  return list;
}

const InfoUpdateApi kInfoApi = {
    [](GObject* file, const char* attribute, const char* text) {
      nemo_file_info_add_string_attribute(reinterpret_cast<NemoFileInfo*>(file), attribute, text);
    },
    [](GClosure* done, GObject* provider, void* handle) {
      nemo_info_provider_update_complete_invoke(done, reinterpret_cast<NemoInfoProvider*>(provider),
                                                static_cast<NemoOperationHandle*>(handle), NEMO_OPERATION_COMPLETE);
    },
};

NemoOperationResult updateFileInfo(NemoInfoProvider* provider, NemoFileInfo* file, GClosure* done,
                                   NemoOperationHandle** handle) {
  char* uri = nemo_file_info_get_uri(file);
  InfoUpdate* update = startInfoUpdate(kInfoApi, reinterpret_cast<GObject*>(provider),
                                       reinterpret_cast<GObject*>(file), uri, done);
  g_free(uri);
  *handle = reinterpret_cast<NemoOperationHandle*>(update);
  return update != nullptr ? NEMO_OPERATION_IN_PROGRESS : NEMO_OPERATION_COMPLETE;
}

void cancelUpdate(NemoInfoProvider*, NemoOperationHandle* handle) {
  cancelInfoUpdate(reinterpret_cast<InfoUpdate*>(handle));
}

GList* pages(NemoPropertyPageProvider*, GList* files) {
  const std::vector<std::string> uris = selected(files);
  if (uris.size() != 1 || !allLocal(uris)) return nullptr;
  GtkWidget* page = newMetadataPage(uris.front().c_str());
  if (page == nullptr) return nullptr;
  return g_list_append(nullptr, nemo_property_page_new("Quillmark::metadata", gtk_label_new(metadataPageTitle()), page));
}

GList* fileItems(NemoMenuProvider*, GtkWidget*, GList* files) {
  std::vector<std::string> uris = selected(files);
  if (!allLocal(uris)) return nullptr;
  NemoMenuItem* item = nemo_menu_item_new("Quillmark::edit_metadata", editMetadataLabel(), editMetadataTip(),
                                          "example.quillmark.Quillmark");
  openOnActivate(reinterpret_cast<GObject*>(item), std::move(uris));
  return g_list_append(nullptr, item);
}

// Nemo's plugin manager lists the module under this name.
GList* nameAndDescription(NemoNameAndDescProvider*) {
  return g_list_append(nullptr, g_strdup_printf("Quillmark:::%s", editMetadataTip()));
}

void invalidate(const char* uri) {
  // Only an item Nemo already has: one it has not loaded has nothing shown to refresh.
  if (NemoFileInfo* file = nemo_file_info_lookup_for_uri(uri)) {
    nemo_file_info_invalidate_extension_info(file);
    g_object_unref(file);
  }
}

}  // namespace
}  // namespace quillmark

using namespace quillmark;

extern "C" __attribute__((visibility("default"))) void nemo_module_initialize(GTypeModule* module) {
  const GTypeInfo info = {sizeof(GObjectClass), nullptr, nullptr, nullptr, nullptr, nullptr, sizeof(GObject), 0,
                          nullptr, nullptr};
  providerType = g_type_module_register_type(module, G_TYPE_OBJECT, "QuillmarkNemoProvider", &info, GTypeFlags(0));
  addInterface<NemoColumnProviderInterface, [](NemoColumnProviderInterface* iface) { iface->get_columns = columns; }>(
      module, providerType, NEMO_TYPE_COLUMN_PROVIDER);
  addInterface<NemoInfoProviderInterface, [](NemoInfoProviderInterface* iface) {
    iface->update_file_info = updateFileInfo;
    iface->cancel_update = cancelUpdate;
  }>(module, providerType, NEMO_TYPE_INFO_PROVIDER);
  addInterface<NemoPropertyPageProviderInterface,
               [](NemoPropertyPageProviderInterface* iface) { iface->get_pages = pages; }>(
      module, providerType, NEMO_TYPE_PROPERTY_PAGE_PROVIDER);
  addInterface<NemoMenuProviderInterface,
               [](NemoMenuProviderInterface* iface) { iface->get_file_items = fileItems; }>(
      module, providerType, NEMO_TYPE_MENU_PROVIDER);
  addInterface<NemoNameAndDescProviderInterface,
               [](NemoNameAndDescProviderInterface* iface) { iface->get_name_and_desc = nameAndDescription; }>(
      module, providerType, NEMO_TYPE_NAME_AND_DESC_PROVIDER);
  ValuesService::instance().onChanged(invalidate);
}

extern "C" __attribute__((visibility("default"))) void nemo_module_shutdown() {}

extern "C" __attribute__((visibility("default"))) void nemo_module_list_types(const GType** types, int* count) {
  *types = &providerType;
  *count = 1;
}
