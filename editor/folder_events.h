// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// inotify read as watches over items' folders need it: which entry of which watched folder may
// hold other values now, a sidecar "._name" standing for its item too, and which watch has ended.
#ifndef QUILLMARK_EDITOR_FOLDER_EVENTS_H_
#define QUILLMARK_EDITOR_FOLDER_EVENTS_H_

#include <sys/inotify.h>

#include <cstdint>
#include <functional>
#include <string_view>

namespace quillmark {

// What a folder's watch asks for: its entries' attributes and contents, entries made, replaced
// and removed, and the folder itself moved or removed.
inline constexpr std::uint32_t kFolderEvents = IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_TO |
                                               IN_MOVED_FROM | IN_CLOSE_WRITE | IN_DELETE_SELF |
                                               IN_MOVE_SELF;

struct FolderEventSink {
  // Entry `name` of the folder of `watch` changed; for "._x", called for "x" as well.
  std::function<void(int watch, std::string_view name)> entry;
  // The watch has ended (the folder removed, moved or unmounted): once per watch.
  std::function<void(int watch)> gone;
};

// Reads every event waiting on inotify descriptor `fd` without blocking, telling `sink`; true
// when the kernel's queue overflowed, so that any entry may have changed unreported.
bool readFolderEvents(int fd, const FolderEventSink& sink);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_FOLDER_EVENTS_H_
