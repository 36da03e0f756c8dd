// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/folder_events.h"

#include <unistd.h>

#include <cerrno>

namespace quillmark {

bool readFolderEvents(int fd, const FolderEventSink& sink) {
  bool overflowed = false;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // EAGAIN: nothing more waits
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        overflowed = true;
      } else if (event->len > 0) {
        const std::string_view name = event->name;  // NUL-padded to its length
        sink.entry(event->wd, name);
        if (name.starts_with("._")) sink.entry(event->wd, name.substr(2));
      } else if (event->mask & IN_MOVE_SELF) {
        // The folder now lives elsewhere: its entries' paths are no longer its items. The
        // watch's removal queues IN_IGNORED, read below in this same call.
        inotify_rm_watch(fd, event->wd);
      } else if (event->mask & IN_IGNORED) {
        // Once per watch, whether the folder was removed, moved or unmounted.
        sink.gone(event->wd);
      }
    }
  }
  return overflowed;
}

}  // namespace quillmark
