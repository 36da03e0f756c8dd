#include "editor/folder_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/places.h"
#include "attrstore/sidecar_file.h"
#include "editor/desktop_copies.h"
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
  std::array<int, 5> errors;                          // EINVAL for a text that cannot be stored
};

// Runs the walk's entries through the pool, the walk's progress reports with them.
class Writer final : public FolderVisitor, public WalkProgress {
 public:
  Writer(const TextAt& textAt, const FolderWriteFailed& failed, WalkProgress* progress,
         std::size_t jobs, bool desktopCopies)
      : textAt_(textAt),
        failed_(failed),
        progress_(progress),
        desktopCopies_(desktopCopies),
        pool_(jobs, jobs * 4) {}

  bool visitEntry(const WalkEntry& entry) override {
    if (entry.folderSerial != folderSerial_ || folder_->fd() < 0) {
      folder_ = std::make_shared<const OpenFolder>(entry.folder);
      folderSerial_ = entry.folderSerial;
      if (folder_->fd() < 0) {
        // Out of descriptors: those held by entries in flight come free as they finish.
        pool_.finish();
        folder_ = std::make_shared<const OpenFolder>(entry.folder);
      }
    }
    waitForSameItem(itemKey(entry.folderSerial, entry.name));
    EntryWork work{folder_, entry.name, entry.path, volumeOfFilesystem(entry.filesystemType), {}, {}};
    for (std::size_t i = 0; i < encoded_.size(); ++i) {
      std::string text = textAt_(i);
      if (text.empty()) continue;
      Encoded& encoded = encoded_[i];
      if (text != encoded.text) {
        encoded.value = std::make_shared<const Data>(encodeAttributeValue(text));
        encoded.text = std::move(text);
      }
      if (encoded.value->empty()) {
        work.errors[i] = EINVAL;
      } else {
        work.values[i] = encoded.value;
      }
    }
    return pool_.submit([this, work = std::move(work)]() mutable { return write(work); });
  }

  bool folderUnlistable(const std::string& path, int error) override {
    // Reported in its place among the entries' failures.
    return pool_.submit([this, path, error]() -> OrderedPool::Delivery {
      return [this, path, error] { return failed_(path, failureMessage(kListFailed, error)); };
    });
  }

  bool walkProgressed(std::uint64_t, const std::filesystem::path& current) override {
    if (progress_->walkProgressed(pool_.delivered(), current)) return true;
    pool_.dropQueued();
    return false;
  }

  void finish() { pool_.finish(); }

 private:
  struct Encoded {
    std::string text;
    std::shared_ptr<const Data> value;
  };
  struct Busy {
    std::uint64_t job;
    std::uint64_t key;
  };

  // Waits until no entry of the item `key` is in flight.
  void waitForSameItem(std::uint64_t key) {
    while (!busy_.empty() && busy_.front().job < pool_.delivered()) busy_.pop_front();
    const auto same = std::find_if(busy_.rbegin(), busy_.rend(),
                                   [key](const Busy& busy) { return busy.key == key; });
    if (same != busy_.rend()) pool_.waitFor(same->job);
    busy_.push_back({pool_.submitted(), key});
  }

  // On a worker: writes the entry and says what the calling thread is to report.
  OrderedPool::Delivery write(EntryWork& work) const {
    const int fd = work.folder->fd();
    const char* name = work.name.c_str();
    // A sidecar is written through the entry it belongs to; a temporary one is no entry at all.
    if (isSidecarTemporary(name) || isSidecarFile(fd, name)) return [] { return true; };
    std::array<ValueEdit, 5> edits;
    for (std::size_t i = 0; i < edits.size(); ++i) {
      if (work.values[i] != nullptr) edits[i] = {ValueEdit::Action::kWrite, work.values[i].get()};
    }
    const ItemAt at{Item::inFolder(fd, name), fd, {}, work.name, work.volume};
    bool vanished = false;
    editValues(at, edits, [&](std::size_t position, int error) {
      // Gone, or swapped for a link or a special file since it was listed:
      // nothing left here to write, and nothing worth a word.
      vanished = vanished || ((error == ENOENT || error == EPERM) && !isFileOrFolder(fd, name));
      work.errors[position] = error;
    });
    if (vanished) return [] { return true; };
    std::vector<CopyFailure> copies;
    if (desktopCopies_) copies = updateDesktopCopies(at);
    if (copies.empty() &&
        std::all_of(work.errors.begin(), work.errors.end(), [](int error) { return error == 0; })) {
      return [] { return true; };
    }
    return [this, path = std::move(work.path), errors = work.errors, copies = std::move(copies)] {
      for (const int error : errors) {
        if (error != 0 && !failed_(path, failureMessage(kWriteFailed, error))) return false;
      }
      for (const CopyFailure& copy : copies) {
        if (!failed_(path, copy.message)) return false;
      }
      return true;
    };
  }

  const TextAt& textAt_;
  const FolderWriteFailed& failed_;
  WalkProgress* progress_;
  bool desktopCopies_;
  // A text is only encoded again when it has changed.
  std::array<Encoded, 5> encoded_;
  std::shared_ptr<const OpenFolder> folder_ = std::make_shared<const OpenFolder>(-1);
  std::uint64_t folderSerial_ = 0;
  std::deque<Busy> busy_;  // entries submitted, in order, perhaps not yet delivered
  OrderedPool pool_;       // last: its workers stop before what they use goes
};

}  // namespace

std::size_t jobsForFilesystem(long type) {
  // statfs f_type of filesystems whose calls wait on a server or a daemon.
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
  if (std::find(std::begin(kWaiting), std::end(kWaiting), type) != std::end(kWaiting)) return 32;
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}

int writeFolder(const std::filesystem::path& root, const TextAt& textAt,
                const FolderWriteFailed& failed, const FolderWriteOptions& options) {
  std::size_t jobs = options.jobs;
  if (jobs == 0) {
    struct statfs info;
    jobs = statfs(root.c_str(), &info) == 0 ? jobsForFilesystem(info.f_type) : 1;
  }
  Writer writer(textAt, failed, options.progress, jobs, options.desktopCopies);
  const int error = walkFolder(
      root, writer, {options.progress != nullptr ? &writer : nullptr, options.progressInterval});
  writer.finish();
  return error;
}

}  // namespace quillmark
