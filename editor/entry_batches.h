// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The walk's entries worked on by a few threads and taken back in walk order:
// what Write Folder and the command line's tree commands (find, export,
// check) share.
//
// The walk runs on the calling thread; an entry's work runs on a worker and
// returns a delivery, which runs on the calling thread in the order entries
// were added, exactly as one entry after another. Consecutive entries of one
// folder are handed over together: on a local disk up to 256, since every
// hand-over wakes a thread and with 16 the wake-ups cost a tenth of a walk;
// where each call waits on a daemon or a server, one at a time while a thread
// is idle and up to 16 once all are busy. A batch holds
// a descriptor of its folder of its own, so its entries outlive the walk's
// moving on. Entries that may be one item (x and "._x", names equal but for
// case or Unicode form, as on a volume that ignores them) are never worked on
// at the same time. After stop(), or a delivery returning false, no further
// entry starts; those started finish. Memory stays flat: at most four batches
// per thread are in flight.
#ifndef QUILLMARK_EDITOR_ENTRY_BATCHES_H_
#define QUILLMARK_EDITOR_ENTRY_BATCHES_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "attrstore/owned_fd.h"
#include "editor/folder_walk.h"
#include "editor/ordered_pool.h"

namespace quillmark {

// Whether a filesystem of statfs type `type` waits on a server or a daemon in each call.
bool isWaitingFilesystem(long type);

// Entries worth working on at once on a filesystem of statfs type `type`: on
// network and FUSE filesystems, where each call mostly waits, 32; elsewhere
// one more than there are processors, at most 4, more only making a local
// disk contend.
std::size_t jobsForFilesystem(long type);
// jobsForFilesystem of the filesystem holding `path` (open folder `fd`); one that cannot be
// asked counts as local.
std::size_t jobsForPath(const char* path);
std::size_t jobsForFolder(int fd);

// Equal for any two names that may be one item of one folder (or, with
// `folderKey` the key of a path's folders, of one path): "._" prefixes taken
// off, ASCII letters lowered, every other byte dropped with the one before it.
std::uint64_t itemKey(std::uint64_t folderKey, std::string_view name);

// What a batch's entries leave to be done together on its worker, after the last of them (Write
// Folder takes its writes attribute by attribute across a batch). Made for each batch, used on
// one worker at a time.
class BatchWork {
 public:
  virtual ~BatchWork() = default;
  // Runs after the batch's last entry, before the entries' deliveries are taken.
  virtual void finish() = 0;
};

// An entry as a worker sees it.
struct BatchEntry {
  std::shared_ptr<const OwnedFd> folder;  // of its own, of the folder the walk had open
  std::string name;  // in folder
  std::string path;
  long filesystemType;
  dev_t folderDevice;
  BatchWork* work = nullptr;  // its batch's, where the batches make one
};

// Runs on a worker; its delivery (null: none) runs on the calling thread.
using EntryJob = std::function<OrderedPool::Delivery(const BatchEntry& entry)>;

class EntryBatches {
 public:
  using NewBatchWork = std::function<std::unique_ptr<BatchWork>()>;
  // `jobs` threads; `entriesPerHandOff` 0: as suits each entry's filesystem; `newWork`, where
  // given, makes each batch's BatchWork.
  EntryBatches(std::size_t jobs, std::size_t entriesPerHandOff, NewBatchWork newWork = {});

  // Queues `job` for `entry`; false once stopped.
  bool add(const WalkEntry& entry, EntryJob job);
  // Queues `job` (its delivery may be null) after every entry added so far, with `key` for an
  // item it works on (0: none).
  bool submit(OrderedPool::Job job, std::uint64_t key = 0);
  // Waits for the oldest work handed over and delivers it; false when there was none.
  bool deliverOldest();
  // No entry starts after this; those running finish.
  void stop();
  // Delivers everything added, in order.
  void finish();

  bool stopped() const { return pool_.stopped(); }

 private:
  struct Pending {
    BatchEntry entry;
    EntryJob job;
  };
  struct Busy {
    std::uint64_t job;
    std::uint64_t key;
  };

  bool flush();
  // Waits until no work on the item `key` is in flight, but in the batch being gathered.
  void waitForSameItem(std::uint64_t key);

  const std::size_t jobs_, entriesPerHandOff_;
  const NewBatchWork newWork_;
  std::shared_ptr<const OwnedFd> folder_ = std::make_shared<const OwnedFd>();
  std::uint64_t folderSerial_ = 0;
  std::vector<Pending> batch_;  // entries added, not yet handed to the pool
  std::deque<Busy> busy_;  // work handed over or gathered, in order, perhaps not yet delivered
  std::unordered_map<std::uint64_t, std::uint64_t> lastJobOf_;  // of each key in busy_
  std::atomic<bool> stopping_ = false;
  OrderedPool pool_;  // last: its workers stop before what they use goes
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_ENTRY_BATCHES_H_
