// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which items of a window others have changed: their values (an attribute set
// or removed on the item), their contents, the item replaced or removed, or
// their sidecar "._name" created, replaced, written or removed in the item's
// folder.
//
// One inotify watch per distinct folder of the items: a folder's watch reports
// its children's attribute changes too, an item that is itself a folder
// included, so 20,000 items in one folder cost one watch. Names are matched as
// the bytes they are, through one hash table over every item (a few dozen bytes
// an item, its name included). A folder moved or removed reports its items,
// which from then on are unwatched. Not thread-safe: the window's thread owns it.
#ifndef QUILLMARK_EDITOR_ITEM_WATCH_H_
#define QUILLMARK_EDITOR_ITEM_WATCH_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

class ItemWatch {
 public:
  ItemWatch() = default;  // watches nothing
  // Watches the folders of `items` (absolute paths, as strings: a window may hold 20,000).
  explicit ItemWatch(const std::vector<std::string>& items);
  ~ItemWatch();
  ItemWatch(ItemWatch&& other) noexcept;
  ItemWatch& operator=(ItemWatch&& other) noexcept;
  ItemWatch(const ItemWatch&) = delete;
  ItemWatch& operator=(const ItemWatch&) = delete;

  // Readable (poll, QSocketNotifier) while events wait; -1 where inotify is not to be had.
  int descriptor() const { return fd_; }
  // Reads every waiting event without blocking; the indices of the items concerned, each
  // once, ascending. An overflow of the kernel's queue reports every item.
  std::vector<std::size_t> takeChanged();
  // Ascending indices of the items whose changes may go unreported, for the window to read
  // again when it becomes active: their folder could not be watched or has gone, or lives
  // where others' writes do not reach inotify (FUSE, NFS, SMB and the like).
  const std::vector<std::size_t>& unwatched() const { return unwatched_; }

 private:
  static constexpr std::uint32_t kEmpty = UINT32_MAX;
  struct Entry {
    int watch = -1;          // the descriptor of its folder's watch; -1: none
    std::uint32_t name = 0;  // offset of its NUL-terminated name in names_
  };

  std::string_view nameOf(const Entry& entry) const { return names_.data() + entry.name; }
  static std::size_t hashOf(int watch, std::string_view name);
  void insert(std::uint32_t item);
  // Appends to `changed` every item named `name` in the folder of `watch`.
  void find(int watch, std::string_view name, std::vector<std::size_t>& changed) const;
  // Appends every item of the folder of `watch`, which is no longer watched, and makes them
  // unwatched.
  void takeFolderGone(int watch, std::vector<std::size_t>& changed);

  int fd_ = -1;
  std::vector<Entry> items_;
  std::string names_;                    // every item's name, each followed by a NUL
  std::vector<std::uint32_t> slots_;     // open addressing by (watch, name): item indices
  std::vector<std::uint32_t> byFolder_;  // the watched items, by watch, then index
  std::vector<std::size_t> unwatched_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_ITEM_WATCH_H_
