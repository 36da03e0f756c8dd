// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/entry_batches.h"

#include <fcntl.h>
#include <sys/statfs.h>

#include <algorithm>
#include <iterator>
#include <thread>
#include <utility>

#include "attrstore/name_hash.h"

namespace quillmark {

bool isWaitingFilesystem(long type) {
  constexpr long kWaiting[] = {
      0x65735546,  // FUSE (sshfs, bindfs, ntfs-3g, exFAT, ...)
      0x6969,      // NFS
      0x517B,      // SMB
      0xFF534D42,  // CIFS
      0xFE534D42,  // SMB2
      0x00C36400,  // Ceph
      0x01021997,  // 9p
      0x6B414653,  // AFS
  };
  return std::find(std::begin(kWaiting), std::end(kWaiting), type) != std::end(kWaiting);
}

std::size_t jobsForFilesystem(long type) {
  if (isWaitingFilesystem(type)) return 32;
  // The calling thread mostly waits for the workers: one more than processors.
  return std::min<std::size_t>(std::thread::hardware_concurrency() + 1, 4);
}

std::size_t jobsForPath(const char* path) {
  struct statfs info;
  return jobsForFilesystem(statfs(path, &info) == 0 ? info.f_type : 0);
}

std::size_t jobsForFolder(int fd) {
  struct statfs info;
  return jobsForFilesystem(fstatfs(fd, &info) == 0 ? info.f_type : 0);
}

// Two names that are not one item rarely collide, and then only wait for each other.
std::uint64_t itemKey(std::uint64_t folderKey, std::string_view name) {
  while (name.starts_with("._")) name.remove_prefix(2);
  return foldedNameHash(name, NameFolding::kAsciiCaseAndUnicode, kNameHashStart ^ (folderKey * 0x9E3779B97F4A7C15ull));
}

EntryBatches::EntryBatches(std::size_t jobs, std::size_t entriesPerHandOff, NewBatchWork newWork)
    : jobs_(jobs), entriesPerHandOff_(entriesPerHandOff), newWork_(std::move(newWork)), pool_(jobs, jobs * 4) {}

bool EntryBatches::add(const WalkEntry& entry, EntryJob job) {
  if (entry.folderSerial != folderSerial_ || folder_->get() < 0) {
    // A batch holds one folder's entries: a descriptor per job in flight.
    if (!flush()) return false;
    folder_ = std::make_shared<const OwnedFd>(fcntl(entry.folder, F_DUPFD_CLOEXEC, 0));
    folderSerial_ = entry.folderSerial;
    if (folder_->get() < 0) {
      // Out of descriptors: those held by entries in flight come free as they finish.
      pool_.finish();
      folder_ = std::make_shared<const OwnedFd>(fcntl(entry.folder, F_DUPFD_CLOEXEC, 0));
    }
  }
  waitForSameItem(itemKey(entry.folderSerial, entry.name));
  batch_.push_back({{folder_, entry.name, entry.path, entry.filesystemType, entry.folderDevice}, std::move(job)});
  std::size_t limit = entriesPerHandOff_;
  if (limit == 0 && jobs_ < 2) limit = 1;
  if (limit == 0 && !isWaitingFilesystem(entry.filesystemType)) limit = 256;
  // Where calls wait, entries go one by one while some thread is idle; once all are busy, a few
  // together, so that Write Folder's writes still go attribute by attribute across them.
  if (limit == 0) limit = pool_.submitted() - pool_.delivered() < jobs_ ? 1 : 16;
  return batch_.size() < limit ? !pool_.stopped() : flush();
}

bool EntryBatches::submit(OrderedPool::Job job, std::uint64_t key) {
  if (!flush()) return false;
  if (key != 0) waitForSameItem(key);
  return pool_.submit([job = std::move(job)]() -> OrderedPool::Delivery {
    OrderedPool::Delivery delivery = job();
    if (!delivery) return [] { return true; };
    return delivery;
  });
}

bool EntryBatches::deliverOldest() {
  flush();
  if (pool_.delivered() == pool_.submitted()) return false;
  pool_.waitFor(pool_.delivered());
  return true;
}

void EntryBatches::stop() {
  stopping_ = true;
  pool_.dropQueued();
}

void EntryBatches::finish() {
  flush();
  pool_.finish();
}

bool EntryBatches::flush() {
  if (batch_.empty()) return !pool_.stopped();
  return pool_.submit([this, batch = std::exchange(batch_, {})]() mutable -> OrderedPool::Delivery {
    const std::unique_ptr<BatchWork> work = newWork_ ? newWork_() : nullptr;
    std::vector<OrderedPool::Delivery> deliveries;
    for (Pending& pending : batch) {
      if (stopping_) break;
      pending.entry.work = work.get();
      if (OrderedPool::Delivery delivery = pending.job(pending.entry))
        deliveries.push_back(std::move(delivery));
    }
    if (work) work->finish();
    if (deliveries.empty()) return [] { return true; };
    return [this, deliveries = std::move(deliveries)] {
      if (std::ranges::all_of(deliveries, [](const OrderedPool::Delivery& d) { return d(); }))
        return true;
      stopping_ = true;  // the rest of a batch running elsewhere starts nothing more either
      return false;
    };
  });
}

void EntryBatches::waitForSameItem(std::uint64_t key) {
  for (; !busy_.empty() && busy_.front().job < pool_.delivered(); busy_.pop_front()) {
    const auto last = lastJobOf_.find(busy_.front().key);
    if (last != lastJobOf_.end() && last->second == busy_.front().job) lastJobOf_.erase(last);
  }
  const auto [last, added] = lastJobOf_.try_emplace(key, pool_.submitted());
  if (!added) {
    if (last->second < pool_.submitted()) pool_.waitFor(last->second);
    last->second = pool_.submitted();
  }
  busy_.push_back({pool_.submitted(), key});
}

}  // namespace quillmark
