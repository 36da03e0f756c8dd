// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/core/folder_changes.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_set>

#include "editor/folder_events.h"

namespace quillmark {

FolderChanges::FolderChanges() noexcept : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderChanges::~FolderChanges() {
  if (fd_ >= 0) close(fd_);
}

void FolderChanges::watchFolderOf(const std::string& path) noexcept {
  const std::size_t slash = path.find_last_of('/');
  if (fd_ < 0 || slash == std::string::npos) return;
  try {
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    if (watches_.contains(folder)) return;
    if (order_.size() >= kMaxFolders) {
      const int oldest = order_.front();
      order_.pop_front();
      inotify_rm_watch(fd_, oldest);  // its IN_IGNORED then finds it gone
      std::erase_if(watches_, [&](const auto& entry) { return entry.second == oldest; });
      folders_.erase(oldest);
    }
    const int watch = inotify_add_watch(fd_, folder.c_str(), kFolderEvents);
    if (watch < 0) return;
    // A folder reached by a second path is one watch: the first path names its entries.
    if (folders_.try_emplace(watch, folder).second) order_.push_back(watch);
    watches_.emplace(folder, watch);
  } catch (...) {
    // Out of memory: this folder's changes go unseen, as on a network mount.
  }
}

std::vector<std::string> FolderChanges::takeChanged() noexcept {
  std::vector<std::string> changed;
  if (fd_ < 0) return changed;
  try {
    std::unordered_set<std::string> seen;
    auto add = [&](std::string path) {
      if (seen.insert(path).second) changed.push_back(std::move(path));
    };
    const bool overflowed = readFolderEvents(
        fd_, {.entry =
                  [&](int watch, std::string_view name) {
                    const auto folder = folders_.find(watch);
                    if (folder == folders_.end()) return;
                    add(folder->second + (folder->second == "/" ? "" : "/") + std::string(name));
                  },
              .gone =
                  [&](int watch) {
                    const auto folder = folders_.find(watch);
                    if (folder == folders_.end()) return;
                    std::erase(order_, watch);
                    std::erase_if(watches_, [&](const auto& entry) { return entry.second == watch; });
                    folders_.erase(folder);
                  }});
    if (overflowed)
      for (const auto& [watch, folder] : folders_) add(folder);
  } catch (...) {
  }
  return changed;
}

}  // namespace quillmark
