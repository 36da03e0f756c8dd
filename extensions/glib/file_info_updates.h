// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the file managers' modules share: for those whose extension APIs share their shape
// (Nautilus, Nemo, Caja) the columns' names and an item's column texts filled in off the main
// thread; for all, the selection's URIs and the Edit Metadata item's action. Main thread only;
// never throws.
#ifndef QUILLMARK_EXTENSIONS_GLIB_FILE_INFO_UPDATES_H_
#define QUILLMARK_EXTENSIONS_GLIB_FILE_INFO_UPDATES_H_

#include <glib-object.h>

#include <string>
#include <vector>

#include "extensions/core/shown_columns.h"

namespace quillmark {

// Adds the interface `interfaceType` to the provider `type`, its functions set by `init(Interface*)`.
template <typename Interface, auto init>
void addInterface(GTypeModule* module, GType type, GType interfaceType) {
  const GInterfaceInfo info = {[](gpointer iface, gpointer) { init(static_cast<Interface*>(iface)); }, nullptr,
                               nullptr};
  g_type_module_add_interface(module, type, interfaceType, &info);
}

// "Quillmark::headline": the name the file manager keeps column `column` under in its settings.
std::string columnName(const ShownColumn& column);

// The file manager's functions an update calls back, for its own types.
struct InfoUpdateApi {
  void (*setText)(GObject* file, const char* attribute, const char* text);
  // Tells the file manager that the update it holds as `handle` is done.
  void (*complete)(GClosure* done, GObject* provider, void* handle);
};

// One item's column texts being read; the file manager holds it as its opaque operation handle.
struct InfoUpdate;
// Reads item `uri`'s values: later each column's text is set on `file`, `done` is invoked and the
// update freed. nullptr, and nothing later, for an item with no local path. Holds refs on what it keeps.
InfoUpdate* startInfoUpdate(const InfoUpdateApi& api, GObject* provider, GObject* file, const char* uri,
                            GClosure* done);
// Stops `update` before it is done: `done` is never invoked, and the update is freed.
void cancelInfoUpdate(InfoUpdate* update);

// The URIs of the file manager's list of items `files`, through its `uriOf` (which returns a new string).
template <typename UriOf>
std::vector<std::string> urisOf(GList* files, UriOf uriOf) {
  std::vector<std::string> uris;
  for (GList* file = files; file != nullptr; file = file->next) {
    char* uri = uriOf(file->data);
    uris.emplace_back(uri != nullptr ? uri : "");
    g_free(uri);
  }
  return uris;
}
// True for a non-empty selection of items that each have a local path.
bool allLocal(const std::vector<std::string>& uris);
// Opens `uris` in Quillmark each time menu item `item` emits "activate".
void openOnActivate(GObject* item, std::vector<std::string> uris);

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_GLIB_FILE_INFO_UPDATES_H_
