// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/item_watch.h"

#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "editor/entry_batches.h"
#include "editor/folder_events.h"

namespace quillmark {

namespace fs = std::filesystem;

ItemWatch::ItemWatch(const std::vector<std::string>& items)
    : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), items_(items.size()) {
  struct Folder {
    int watch;
    bool reported;  // others' writes reach inotify there
  };
  std::unordered_map<std::string, Folder> folders;
  std::uint32_t watched = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    // A folder given as "/a/b/" is the item "b" of "/a".
    const fs::path given(items[i]);
    const fs::path item = given.has_filename() ? given : given.parent_path();
    if (fd_ < 0 || !item.has_filename()) {
      unwatched_.push_back(i);
      continue;
    }
    const std::string folder = item.parent_path().native();
    auto [found, added] = folders.try_emplace(folder, Folder{-1, false});
    if (added) {
      found->second.watch = inotify_add_watch(fd_, folder.c_str(), kFolderEvents);
      struct statfs info;
      found->second.reported = found->second.watch >= 0 && statfs(folder.c_str(), &info) == 0 &&
                               !isWaitingFilesystem(static_cast<long>(info.f_type));
    }
    if (!found->second.reported) unwatched_.push_back(i);
    if (found->second.watch < 0) continue;
    items_[i] = {found->second.watch, static_cast<std::uint32_t>(names_.size())};
    names_.append(item.filename().native()).push_back('\0');
    ++watched;
  }
  names_.shrink_to_fit();

  // At most half full, so a probe ends at an empty slot within a few steps.
  if (watched > 0) slots_.assign(std::bit_ceil(std::max<std::uint32_t>(watched * 2, 8)), kEmpty);
  byFolder_.reserve(watched);
  for (std::uint32_t i = 0; i < items_.size(); ++i) {
    if (items_[i].watch < 0) continue;
    insert(i);
    byFolder_.push_back(i);
  }
  std::stable_sort(byFolder_.begin(), byFolder_.end(), [this](std::uint32_t a, std::uint32_t b) {
    return items_[a].watch < items_[b].watch;
  });
}

ItemWatch::~ItemWatch() {
  if (fd_ >= 0) close(fd_);
}

ItemWatch::ItemWatch(ItemWatch&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      items_(std::move(other.items_)),
      names_(std::move(other.names_)),
      slots_(std::move(other.slots_)),
      byFolder_(std::move(other.byFolder_)),
      unwatched_(std::move(other.unwatched_)) {}

ItemWatch& ItemWatch::operator=(ItemWatch&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    items_ = std::move(other.items_);
    names_ = std::move(other.names_);
    slots_ = std::move(other.slots_);
    byFolder_ = std::move(other.byFolder_);
    unwatched_ = std::move(other.unwatched_);
  }
  return *this;
}

std::size_t ItemWatch::hashOf(int watch, std::string_view name) {
  std::uint64_t hash =
      14695981039346656037ull ^ (static_cast<std::uint64_t>(watch) * 0x9E3779B97F4A7C15ull);
  for (const char byte : name) hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
  return static_cast<std::size_t>(hash ^ (hash >> 32));
}

void ItemWatch::insert(std::uint32_t item) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hashOf(items_[item].watch, nameOf(items_[item])) & mask;
  while (slots_[slot] != kEmpty) slot = (slot + 1) & mask;
  slots_[slot] = item;
}

void ItemWatch::find(int watch, std::string_view name, std::vector<std::size_t>& changed) const {
  if (slots_.empty()) return;
  const std::size_t mask = slots_.size() - 1;
  // The same path given twice is two items: every match along the probe counts.
  for (std::size_t slot = hashOf(watch, name) & mask; slots_[slot] != kEmpty;
       slot = (slot + 1) & mask) {
    const Entry& entry = items_[slots_[slot]];
    if (entry.watch == watch && nameOf(entry) == name) changed.push_back(slots_[slot]);
  }
}

void ItemWatch::takeFolderGone(int watch, std::vector<std::size_t>& changed) {
  // byFolder_ is sorted by watch; the items of this one stand together.
  const auto first = std::partition_point(byFolder_.begin(), byFolder_.end(),
                                          [&](std::uint32_t item) { return items_[item].watch < watch; });
  const auto last = std::partition_point(first, byFolder_.end(),
                                         [&](std::uint32_t item) { return items_[item].watch == watch; });
  const std::size_t before = unwatched_.size();
  changed.insert(changed.end(), first, last);
  unwatched_.insert(unwatched_.end(), first, last);
  std::inplace_merge(unwatched_.begin(), unwatched_.begin() + static_cast<std::ptrdiff_t>(before),
                     unwatched_.end());
  unwatched_.erase(std::unique(unwatched_.begin(), unwatched_.end()), unwatched_.end());
}

std::vector<std::size_t> ItemWatch::takeChanged() {
  std::vector<std::size_t> changed;
  if (fd_ < 0) return changed;
  const bool overflowed = readFolderEvents(
      fd_, {.entry = [&](int watch, std::string_view name) { find(watch, name, changed); },
            .gone = [&](int watch) { takeFolderGone(watch, changed); }});
  if (overflowed) {
    changed.resize(items_.size());
    std::iota(changed.begin(), changed.end(), std::size_t{0});
    return changed;
  }
  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  return changed;
}

}  // namespace quillmark
