// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/folder_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/places.h"
#include "attrstore/sidecar_file.h"
#include "editor/folder_walk.h"
#include "editor/item_changes.h"
#include "editor/ordered_pool.h"

namespace quillmark {

namespace {

bool isFileOrFolder(int folder, const char* name) {
  struct stat status;
  return fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode));
}

// Whether a filesystem of statfs type `type` waits on a server or a daemon in each call.
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

// A descriptor of a folder of the walk of its own, so that entries still being
// written there outlive the walk's moving on and closing it.
class OpenFolder {
 public:
  explicit OpenFolder(int folder) : fd_(fcntl(folder, F_DUPFD_CLOEXEC, 0)) {}
  ~OpenFolder() {
    if (fd_ >= 0) close(fd_);
  }
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Equal for any two names of one folder that may be one item: "._" prefixes
// taken off (a sidecar is part of its item), ASCII letters lowered, and every
// other byte dropped with the character before it (it may be a combining
// mark), so neither case nor Unicode form tells names apart. Two names that
// are not one item rarely collide, and then only wait for each other.
std::uint64_t itemKey(std::uint64_t folderSerial, std::string_view name) {
  while (name.starts_with("._")) name.remove_prefix(2);
  std::uint64_t hash = 14695981039346656037ull ^ (folderSerial * 0x9E3779B97F4A7C15ull);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x80 || (i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80))
      continue;
    hash = (hash ^ (byte >= 'A' && byte <= 'Z' ? byte + 32u : byte)) * 1099511628211ull;
  }
  return hash;
}

// One entry's attribute work, as it runs on a worker.
struct EntryWork {
  std::shared_ptr<const OpenFolder> folder;
  std::string name;
  std::string path;
  Volume volume;
  std::array<std::shared_ptr<const Data>, 5> values;  // null: nothing to write
};

// What an entry's work leaves the calling thread to report.
struct EntryFailures {
  std::string path;
  std::vector<std::pair<std::size_t, std::string>> messages;
};

// Runs the walk's entries through the pool in batches of consecutive entries
// of one folder, and the walk's progress reports with them. On a local disk a
// batch is large: every hand-over wakes a thread, and with batches of 16 the
// wake-ups cost a tenth of the time of a walk; with 256, a worker mostly has a
// folder to itself.
class Writer final : public FolderVisitor, public WalkProgress {
 public:
  Writer(const TextAt& textAt, const FolderWriteFailed& failed, WalkProgress* progress,
         std::size_t jobs, std::size_t batchSize, bool desktopCopies)
      : textAt_(textAt),
        failed_(failed),
        progress_(progress),
        batchSize_(batchSize),
        desktopCopies_(desktopCopies),
        pool_(jobs, jobs * 4) {}

  bool visitEntry(const WalkEntry& entry) override {
    if (entry.folderSerial != folderSerial_ || folder_->fd() < 0) {
      // A batch holds one folder's entries: a descriptor per job in flight.
      if (!flush()) return false;
      folder_ = std::make_shared<const OpenFolder>(entry.folder);
      folderSerial_ = entry.folderSerial;
      if (folder_->fd() < 0) {
        // Out of descriptors: those held by entries in flight come free as they finish.
        pool_.finish();
        folder_ = std::make_shared<const OpenFolder>(entry.folder);
      }
    }
    waitForSameItem(itemKey(entry.folderSerial, entry.name));
    EntryWork& work = batch_.emplace_back(
        EntryWork{folder_, entry.name, entry.path, volumeOfFilesystem(entry.filesystemType), {}});
    for (std::size_t i = 0; i < encoded_.size(); ++i) {
      std::string text = textAt_(i);
      if (text.empty()) continue;
      Encoded& encoded = encoded_[i];
      if (text != encoded.text) {
        encoded.value = std::make_shared<const Data>(encodeAttributeValue(text));
        encoded.text = std::move(text);
      }
      work.values[i] = encoded.value;
    }
    return batch_.size() < batchSize_ ? !pool_.stopped() : flush();
  }

  bool folderUnlistable(const std::string& path, int error) override {
    // Reported in its place among the entries' failures.
    return flush() && pool_.submit([this, path, error]() -> OrderedPool::Delivery {
      return [this, path, error] { return report(path, failureMessage(kListFailed, error)); };
    });
  }

  bool walkProgressed(std::uint64_t, const std::filesystem::path& current) override {
    if (progress_->walkProgressed(entriesDone_, current)) return true;
    stop();
    return false;
  }

  void finish() {
    flush();
    pool_.finish();
  }

 private:
  struct Encoded {
    std::string text;
    std::shared_ptr<const Data> value;
  };
  struct Busy {
    std::uint64_t job;
    std::uint64_t key;
  };

  bool flush() {
    if (batch_.empty()) return !pool_.stopped();
    return pool_.submit(
        [this, batch = std::exchange(batch_, {})]() mutable { return writeBatch(batch); });
  }

  // No entry starts after this; those running finish.
  void stop() {
    stopping_ = true;
    pool_.dropQueued();
  }

  bool report(const std::string& path, const std::string& message) {
    if (failed_(path, message)) return true;
    stop();
    return false;
  }

  // Waits until no entry of the item `key` is in flight, but in the batch being gathered.
  void waitForSameItem(std::uint64_t key) {
    while (!busy_.empty() && busy_.front().job < pool_.delivered()) busy_.pop_front();
    const auto same = std::find_if(busy_.rbegin(), busy_.rend(),
                                   [key](const Busy& busy) { return busy.key == key; });
    if (same != busy_.rend() && same->job < pool_.submitted()) pool_.waitFor(same->job);
    busy_.push_back({pool_.submitted(), key});
  }

  // On a worker: writes the entries, one after another, and says what the
  // calling thread is to report.
  OrderedPool::Delivery writeBatch(std::vector<EntryWork>& batch) {
    std::vector<EntryFailures> failures;
    std::size_t done = 0;
    for (; done < batch.size() && !stopping_; ++done) {
      EntryWork& work = batch[done];
      std::vector<std::pair<std::size_t, std::string>> messages = write(work, desktopCopies_);
      if (!messages.empty()) failures.push_back({std::move(work.path), std::move(messages)});
    }
    return [this, done, failures = std::move(failures)]() mutable {
      entriesDone_ += done;
      for (const EntryFailures& entry : failures) {
        for (const auto& failure : entry.messages) {
          if (!report(entry.path, failure.second)) return false;
        }
      }
      return true;
    };
  }

  // Writes one entry (and its desktop copies); returns its failures to report.
  static std::vector<std::pair<std::size_t, std::string>> write(const EntryWork& work, bool desktopCopies) {
    const int fd = work.folder->fd();
    const char* name = work.name.c_str();
    // A sidecar is written through the entry it belongs to; a temporary one is no entry at all.
    if (isSidecarTemporary(name) || isSidecarFile(fd, name)) return {};
    ValueEdits edits;
    for (std::size_t i = 0; i < edits.size(); ++i) {
      if (work.values[i] != nullptr) edits[i] = {ValueEdit::Action::kWrite, work.values[i].get()};
    }
    ItemChange change = changeItem(itemInFolder(fd, name, work.volume), edits, {.desktopCopies = desktopCopies});
    // Gone, or swapped for a link or a special file since it was listed: nothing left here to
    // write, and nothing worth a word.
    const bool vanished = std::ranges::any_of(change.errors, [&](int error) {
      return (error == ENOENT || error == EPERM) && !isFileOrFolder(fd, name);
    });
    if (vanished) return {};
    return std::move(change.failures);
  }

  const TextAt& textAt_;
  const FolderWriteFailed& failed_;
  WalkProgress* progress_;
  const std::size_t batchSize_;
  const bool desktopCopies_;
  // A text is only encoded again when it has changed.
  std::array<Encoded, 5> encoded_;
  std::shared_ptr<const OpenFolder> folder_ = std::make_shared<const OpenFolder>(-1);
  std::uint64_t folderSerial_ = 0;
  std::vector<EntryWork> batch_;  // entries visited, not yet handed to the pool
  std::deque<Busy> busy_;  // entries handed over or gathered, in order, perhaps not yet delivered
  std::uint64_t entriesDone_ = 0;
  std::atomic<bool> stopping_ = false;
  OrderedPool pool_;  // last: its workers stop before what they use goes
};

}  // namespace

std::size_t jobsForFilesystem(long type) {
  if (isWaitingFilesystem(type)) return 32;
  // The calling thread mostly waits for the writers: one more than processors.
  return std::min<std::size_t>(std::thread::hardware_concurrency() + 1, 4);
}

int writeFolder(const std::filesystem::path& root, const TextAt& textAt,
                const FolderWriteFailed& failed, const FolderWriteOptions& options) {
  struct statfs info;
  const long type = statfs(root.c_str(), &info) == 0 ? info.f_type : 0;
  const std::size_t jobs = options.jobs > 0 ? options.jobs : jobsForFilesystem(type);
  // Where calls wait, every entry on its own; one after another, too.
  std::size_t batchSize = options.entriesPerHandOff;
  if (batchSize == 0) batchSize = jobs == 1 || isWaitingFilesystem(type) ? 1 : 256;
  Writer writer(textAt, failed, options.progress, jobs, batchSize, options.desktopCopies);
  const int error = walkFolder(
      root, writer, {options.progress != nullptr ? &writer : nullptr, options.progressInterval});
  writer.finish();
  return error;
}

}  // namespace quillmark
