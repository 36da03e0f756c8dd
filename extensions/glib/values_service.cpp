// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/glib/values_service.h"

#include <gio/gio.h>
#include <glib-unix.h>

#include <utility>

namespace quillmark {

std::optional<std::string> localPathOf(const char* uri) {
  if (uri == nullptr) return std::nullopt;
  GFile* file = g_file_new_for_uri(uri);
  char* path = g_file_get_path(file);
  g_object_unref(file);
  if (path == nullptr) return std::nullopt;
  std::string local(path);
  g_free(path);
  return local;
}

ValuesService& ValuesService::instance() {
  // Never destroyed: the file manager may still call in while it exits.
  static ValuesService* service = new ValuesService();
  return *service;
}

ValuesService::ValuesService() {
  auto onReadable = [](int, GIOCondition, gpointer self) -> gboolean {
    static_cast<ValuesService*>(self)->deliver();
    return G_SOURCE_CONTINUE;
  };
  if (pool_.descriptor() >= 0) g_unix_fd_add(pool_.descriptor(), G_IO_IN, onReadable, this);
  auto onChange = [](int, GIOCondition, gpointer self) -> gboolean {
    static_cast<ValuesService*>(self)->tellChanged();
    return G_SOURCE_CONTINUE;
  };
  if (changes_.descriptor() >= 0) g_unix_fd_add(changes_.descriptor(), G_IO_IN, onChange, this);
}

ValuesService::Ticket ValuesService::read(const char* uri, Ready ready) {
  const std::optional<std::string> path = localPathOf(uri);
  if (!path) return 0;
  changes_.watchFolderOf(*path);
  const Ticket ticket = pool_.request(*path);
  if (ticket != 0) waiting_.emplace(ticket, std::move(ready));
  return ticket;
}

void ValuesService::cancel(Ticket ticket) {
  pool_.cancel(ticket);
  waiting_.erase(ticket);
}

void ValuesService::cancelWith(GObject* owner, Ticket ticket) {
  g_object_set_data_full(owner, "quillmark-read", new Ticket(ticket), [](gpointer data) {
    auto* pending = static_cast<Ticket*>(data);
    ValuesService::instance().cancel(*pending);
    delete pending;
  });
}

void ValuesService::onChanged(Changed changed) { changed_ = std::move(changed); }

void ValuesService::deliver() {
  for (ShownPool::Done& done : pool_.takeDone()) {
    const auto found = waiting_.find(done.ticket);
    if (found == waiting_.end()) continue;
    // Taken out first: `ready` may read again or cancel others.
    Ready ready = std::move(found->second);
    waiting_.erase(found);
    ready(done.values);
  }
}

void ValuesService::tellChanged() {
  for (const std::string& path : changes_.takeChanged()) {
    if (!changed_) continue;
    char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (uri == nullptr) continue;
    changed_(uri);
    g_free(uri);
  }
}

}  // namespace quillmark
