// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The extension core joined to a file manager's GLib main loop: an item's values read off the
// main thread and handed back on it, and the items whose values may have changed told on it.
// One per process (instance()), made and used on the main thread only. Never throws.
#ifndef QUILLMARK_EXTENSIONS_GLIB_VALUES_SERVICE_H_
#define QUILLMARK_EXTENSIONS_GLIB_VALUES_SERVICE_H_

#include <glib-object.h>

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "extensions/core/folder_changes.h"
#include "extensions/core/shown_pool.h"
#include "extensions/core/shown_values.h"

namespace quillmark {

// The local path of the file manager's item `uri` ("file:" or a GVfs FUSE path); nothing for one
// reached only through GVfs, which keeps no attributes of ours.
std::optional<std::string> localPathOf(const char* uri);

class ValuesService {
 public:
  using Ticket = ShownPool::Ticket;
  using Ready = std::function<void(const ShownValues&)>;
  using Changed = std::function<void(const char* uri)>;

  static ValuesService& instance();

  // Reads the values of item `uri`; `ready` runs later on the main loop, unless cancelled. 0, and
  // `ready` never runs, for an item with no local path.
  Ticket read(const char* uri, Ready ready);
  void cancel(Ticket ticket);
  // Cancels `ticket` when `owner`, which shows what it reads, is finalized first.
  void cancelWith(GObject* owner, Ticket ticket);
  // `changed` runs on the main loop for every item read so far whose values may have changed
  // (folder_changes.h); one listener per file manager is enough, a second replaces the first.
  void onChanged(Changed changed);

 private:
  ValuesService();
  void deliver();
  void tellChanged();

  ShownPool pool_;
  FolderChanges changes_;
  std::unordered_map<Ticket, Ready> waiting_;
  Changed changed_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_GLIB_VALUES_SERVICE_H_
