// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which items a file manager shows may hold other values now, so that it reads them again: an
// entry of a watched folder whose attributes or contents changed, which was created, replaced or
// removed, or whose sidecar "._name" was. Whoever wrote it (Quillmark, quillmark-cli, a peer on
// this machine), as far as the kernel tells: writes from other machines to a network mount do
// not reach inotify.
//
// One inotify watch per folder, at most kMaxFolders of them: past that the longest watched is
// let go. Not thread-safe: the file manager's main thread owns it. Never throws.
#ifndef QUILLMARK_EXTENSIONS_CORE_FOLDER_CHANGES_H_
#define QUILLMARK_EXTENSIONS_CORE_FOLDER_CHANGES_H_

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillmark {

class FolderChanges {
 public:
  static constexpr std::size_t kMaxFolders = 256;

  FolderChanges() noexcept;
  ~FolderChanges();
  FolderChanges(const FolderChanges&) = delete;
  FolderChanges& operator=(const FolderChanges&) = delete;

  // Watches the folder of the item at absolute `path`, unless it is watched already.
  void watchFolderOf(const std::string& path) noexcept;
  // Readable (poll, g_unix_fd_add) while changes wait; -1 where inotify is not to be had.
  int descriptor() const { return fd_; }
  // The paths of the entries changed since last asked, each once; every entry seen of a watched
  // folder's when the kernel's queue overflowed, as the folders themselves.
  std::vector<std::string> takeChanged() noexcept;

 private:
  int fd_ = -1;
  std::unordered_map<int, std::string> folders_;  // by watch descriptor
  std::unordered_map<std::string, int> watches_;  // by folder
  std::deque<int> order_;                         // oldest first
};

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_CORE_FOLDER_CHANGES_H_
