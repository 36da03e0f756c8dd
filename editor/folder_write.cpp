// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/folder_write.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/places.h"
#include "attrstore/sidecar_file.h"
#include "editor/entry_batches.h"
#include "editor/folder_walk.h"
#include "editor/item_changes.h"

namespace quillmark {

namespace {

bool isFileOrFolder(int folder, const char* name) {
  struct stat status;
  return fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode));
}

// The texts' encoded values as an entry gets them; null: nothing to write.
using EntryValues = std::array<std::shared_ptr<const Data>, kValueCount>;

// An entry read and decided, its writes waiting for the rest of its batch.
struct PendingEntry {
  PreparedChange change;
  ValueEdits edits;
  int folder;
  const char* name;  // in `folder`
  std::uint64_t key;
  std::shared_ptr<std::vector<std::pair<std::size_t, Failure>>> failures;  // once written
};

// The entries of one batch, prepared and not yet written. Written together: each attribute step
// across all of them in turn (every entry's first step, then every entry's second...), then each
// one's sidecar and desktop copies. When an entry's values change, ext4 moves it between
// attribute blocks shared by the entries holding equal sets, and the kernel serialises on those
// blocks: entries changing in step share their way, where entries changed one after another
// each take it alone (2.7 times as long).
class PendingWrites final : public BatchWork {
 public:
  // Another name of an entry waiting (case, Unicode form) is the same item: that one is written
  // first.
  void add(PendingEntry entry) {
    if (std::ranges::any_of(entries_, [&](const PendingEntry& pending) { return pending.key == entry.key; }))
      finish();
    entries_.push_back(std::move(entry));
  }

  void finish() override {
    std::size_t rounds = 0;
    for (const PendingEntry& entry : entries_) rounds = std::max(rounds, entry.change.steps());
    for (std::size_t step = 0; step < rounds; ++step) {
      for (PendingEntry& entry : entries_) {
        if (step < entry.change.steps()) entry.change.takeStep(step);
      }
    }
    for (PendingEntry& entry : entries_) {
      ItemChange change = itemChangeOf(entry.change.finish(), entry.edits);
      // Gone, or swapped for a link or a special file since it was listed: nothing left here to
      // write, and nothing worth a word.
      const bool vanished = std::ranges::any_of(change.errors, [&](int error) {
        return (error == ENOENT || error == EPERM) && !isFileOrFolder(entry.folder, entry.name);
      });
      if (!vanished) *entry.failures = std::move(change.failures);
    }
    entries_.clear();
  }

 private:
  std::vector<PendingEntry> entries_;
};

// Runs the walk's entries through the batches, and the walk's progress reports with them.
class Writer final : public FolderVisitor, public WalkProgress {
 public:
  Writer(const TextAt& textAt, const FolderWriteFailed& failed, const FolderWriteOptions& options,
         std::size_t jobs)
      : textAt_(textAt),
        failed_(failed),
        progress_(options.progress),
        desktopCopies_(options.desktopCopies),
        tags_(options.tags),
        batches_(jobs, options.entriesPerHandOff, [] { return std::make_unique<PendingWrites>(); }) {}

  bool visitEntry(const WalkEntry& entry) override {
    EntryValues values;
    for (std::size_t i = 0; i < encoded_.size(); ++i) {
      std::string text = textAt_(i);
      if (text.empty()) continue;
      Encoded& encoded = encoded_[i];
      if (text != encoded.text) {
        encoded.value = std::make_shared<const Data>(encodeAttributeValue(text));
        encoded.text = std::move(text);
      }
      values[i] = encoded.value;
    }
    return batches_.add(entry, [this, values = std::move(values)](const BatchEntry& work) {
      return prepare(work, values);
    });
  }

  bool folderUnlistable(const std::string& path, int error) override {
    // Reported in its place among the entries' failures.
    return batches_.submit([this, path, error]() -> OrderedPool::Delivery {
      return [this, path, error] { return report(path, {Failure::Call::kList, error, {}}); };
    });
  }

  bool walkProgressed(std::uint64_t, const std::filesystem::path& current) override {
    if (progress_->walkProgressed(entriesDone_, current)) return true;
    batches_.stop();
    return false;
  }

  void finish() { batches_.finish(); }

 private:
  struct Encoded {
    std::string text;
    std::shared_ptr<const Data> value;
  };

  bool report(const std::string& path, const Failure& failure) {
    if (failed_(path, failure)) return true;
    batches_.stop();
    return false;
  }

  // On a worker: reads and plans one entry (and its desktop copies), its writes left to its
  // batch's PendingWrites; returns what the calling thread then does: counts it and reports its
  // failures.
  OrderedPool::Delivery prepare(const BatchEntry& work, const EntryValues& values) {
    const int fd = work.folder->get();
    const char* name = work.name.c_str();
    // A sidecar is written through the entry it belongs to; a temporary one is no entry at all.
    if (isSidecarTemporary(name) || isSidecarFile(fd, name)) return nullptr;
    ValueEdits edits;
    for (std::size_t i = 0; i < edits.size(); ++i) {
      if (values[i] != nullptr) edits[i] = {.action = ValueEdit::Action::kWrite, .value = values[i].get()};
    }
    auto failures = std::make_shared<std::vector<std::pair<std::size_t, Failure>>>();
    const ItemAt at = itemInFolder(fd, name, volumeOfFilesystem(work.filesystemType), work.folderDevice);
    static_cast<PendingWrites*>(work.work)
        ->add({PreparedChange(at, edits, {.desktopCopies = desktopCopies_, .tags = tags_}), edits, fd, name, itemKey(0, work.name),
               failures});
    return [this, failures, path = work.path] {
      ++entriesDone_;
      return std::ranges::all_of(*failures, [&](const auto& failure) { return report(path, failure.second); });
    };
  }

  const TextAt& textAt_;
  const FolderWriteFailed& failed_;
  WalkProgress* progress_;
  const bool desktopCopies_;
  const TagChange* tags_;
  // A text is only encoded again when it has changed.
  std::array<Encoded, kFieldCount> encoded_;
  std::uint64_t entriesDone_ = 0;
  EntryBatches batches_;  // last: its workers stop before what they use goes
};

}  // namespace

int writeFolder(const std::filesystem::path& root, const TextAt& textAt,
                const FolderWriteFailed& failed, const FolderWriteOptions& options) {
  const std::size_t jobs = options.jobs > 0 ? options.jobs : jobsForPath(root.c_str());
  Writer writer(textAt, failed, options, jobs);
  const int error = walkFolder(
      root, writer, {options.progress != nullptr ? &writer : nullptr, options.progressInterval});
  writer.finish();
  return error;
}

}  // namespace quillmark
