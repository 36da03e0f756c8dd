// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/glib/open_editor.h"

#include <glib.h>

#include "extensions/glib/texts.h"
#include "extensions/glib/values_service.h"

namespace quillmark {

const char* editMetadataLabel() { return translated("Edit Metadata"); }

const char* editMetadataTip() {
  return translated("Edit the headline, description, creator, copyright, keywords and tags in Quillmark");
}

bool openInQuillmark(const std::vector<std::string>& uris) {
  // As local file: URIs, which Quillmark takes and which no option of Qt's can be taken for.
  std::vector<char*> argv{const_cast<char*>("quillmark")};
  for (const std::string& uri : uris) {
    if (std::optional<std::string> path = localPathOf(uri.c_str()))
      if (char* local = g_filename_to_uri(path->c_str(), nullptr, nullptr)) argv.push_back(local);
  }
  const bool any = argv.size() > 1;
  argv.push_back(nullptr);
  GError* error = nullptr;
  // Without G_SPAWN_DO_NOT_REAP_CHILD, GLib reaps it on the file manager's main loop.
  const bool started = any && g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                                            nullptr, nullptr, &error);
  if (error != nullptr) {
    g_warning("Quillmark could not be started: %s", error->message);
    g_error_free(error);
  }
  for (std::size_t i = 1; i + 1 < argv.size(); ++i) g_free(argv[i]);
  return started;
}

}  // namespace quillmark
