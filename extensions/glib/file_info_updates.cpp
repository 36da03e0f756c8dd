// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/glib/file_info_updates.h"

#include "extensions/glib/open_editor.h"
#include "extensions/glib/texts.h"
#include "extensions/glib/values_service.h"

namespace quillmark {

struct InfoUpdate {
  InfoUpdateApi api;
  GObject* provider;
  GObject* file;
  GClosure* done;
  ValuesService::Ticket ticket = 0;
};

namespace {

void release(InfoUpdate* update) {
  g_object_unref(update->provider);
  g_object_unref(update->file);
  g_closure_unref(update->done);
  delete update;
}

}  // namespace

std::string columnName(const ShownColumn& column) {
  return "Quillmark::" + std::string(kValueNames[column.position].flag);
}

InfoUpdate* startInfoUpdate(const InfoUpdateApi& api, GObject* provider, GObject* file, const char* uri,
                            GClosure* done) {
  g_object_ref(provider);
  g_object_ref(file);
  auto* update = new InfoUpdate{api, provider, file, g_closure_ref(done)};
  update->ticket = ValuesService::instance().read(uri, [update](const ShownValues& values) {
    for (const ShownColumn& column : kShownColumns)
      update->api.setText(update->file, column.attribute().c_str(), columnText(values, column.position).c_str());
    update->api.complete(update->done, update->provider, update);
    release(update);
  });
  if (update->ticket == 0) {
    release(update);
    return nullptr;
  }
  return update;
}

void cancelInfoUpdate(InfoUpdate* update) {
  if (update == nullptr) return;
  ValuesService::instance().cancel(update->ticket);
  release(update);
}

bool allLocal(const std::vector<std::string>& uris) {
  if (uris.empty()) return false;
  for (const std::string& uri : uris)
    if (!localPathOf(uri.c_str())) return false;
  return true;
}

void openOnActivate(GObject* item, std::vector<std::string> uris) {
  auto* kept = new std::vector<std::string>(std::move(uris));
  auto onActivate = +[](GObject*, gpointer data) { openInQuillmark(*static_cast<std::vector<std::string>*>(data)); };
  g_signal_connect_data(item, "activate", reinterpret_cast<GCallback>(onActivate), kept,
                        [](gpointer data, GClosure*) { delete static_cast<std::vector<std::string>*>(data); },
                        GConnectFlags(0));
}

}  // namespace quillmark
