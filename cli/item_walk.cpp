// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/item_walk.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <utility>

#include "attrstore/item_at.h"
#include "attrstore/sidecar_file.h"
#include "attrstore/xattr.h"
#include "cli/command.h"
#include "cli/output.h"
#include "cli/progress_line.h"
#include "editor/entry_batches.h"
#include "editor/folder_walk.h"
#include "editor/item_changes.h"

namespace quillmark::cli {

namespace {

// Hands a PATH's entries to the batches, each read by `job` on a worker.
class ItemVisitor : public FolderVisitor {
 public:
  using Failure = std::function<OrderedPool::Delivery(const std::string& path, std::string message)>;
  ItemVisitor(EntryBatches& batches, EntryJob job, const Failure& failure)
      : batches_(batches), job_(std::move(job)), failure_(failure) {}

  bool visitEntry(const WalkEntry& entry) override { return batches_.add(entry, job_) && interrupted == 0; }

  bool folderUnlistable(const std::string& path, int error) override {
    // Reported in its place among the items' output.
    return batches_.submit([this, path, error] { return failure_(path, describeFailure({quillmark::Failure::Call::kList, error, {}})); }) &&
           interrupted == 0;
  }

 private:
  EntryBatches& batches_;
  const EntryJob job_;
  const Failure& failure_;
};

}  // namespace

void addJobsOption(CLI::App* command, std::size_t& jobs) {
  command->add_option("-j,--jobs", jobs, "items worked on at once (default: as suits the filesystem)")
      ->check(CLI::Range(1, 256));
}

int walkItems(const std::vector<std::string>& roots, const ItemVisit& visit, const ItemWalkOptions& options) {
  const SidecarSeen& sidecarSeen = options.sidecarSeen;
  stopOnInterrupt();
  int status = kDone;
  bool outputClosed = false;
  // An item's report as delivered on the calling thread: a closed output ends the walk quietly.
  const auto delivered = [&](ItemReport report) -> OrderedPool::Delivery {
    if (!report) return nullptr;
    return [&outputClosed, report = std::move(report)] {
      try {
        report();
      } catch (const OutputClosed&) {
        outputClosed = true;
        return false;
      }
      return interrupted == 0;
    };
  };
  const ItemVisitor::Failure failure = [&status](const std::string& path, std::string message) {
    return [&status, path, message = std::move(message)] {
      failed(path, message);
      status = kFailed;
      return interrupted == 0;
    };
  };
  std::size_t jobs = options.jobs;
  if (jobs == 0) {
    for (const std::string& root : roots) jobs = std::max(jobs, jobsForPath(root.c_str()));
  }
  {
    ProgressLine progress;
    EntryBatches batches(jobs, 0);
    for (const std::string& root : roots) {
      struct stat item;
      if (stat(root.c_str(), &item) != 0) {
        batches.submit([&failure, root, error = errno] { return failure(root, makePosixError(error).code().message()); });
        continue;
      }
      batches.submit([&, root] { return delivered(visit(root, ".", itemAtPath(root))); });
      if (!options.recursive || !S_ISDIR(item.st_mode)) continue;
      const std::size_t prefix = root.ends_with('/') ? root.size() : root.size() + 1;
      ItemVisitor visitor(
          batches,
          [&, prefix](const BatchEntry& entry) -> OrderedPool::Delivery {
            const char* name = entry.name.c_str();
            const int folder = entry.folder->get();
            // A sidecar, or one being replaced, is read through its item.
            if (isSidecarTemporary(name)) return nullptr;
            if (isSidecarFile(folder, name))
              return sidecarSeen ? delivered(sidecarSeen(entry.path, folder, name)) : nullptr;
            return delivered(visit(entry.path, std::string_view(entry.path).substr(prefix),
                                   itemInFolder(folder, name, volumeOfFilesystem(entry.filesystemType),
                                                entry.folderDevice)));
          },
          failure);
      if (const int error = walkFolder(root, visitor, {.progress = &progress, .progressInterval = std::chrono::milliseconds(10)}))
        batches.submit([&failure, root, error] { return failure(root, describeFailure({quillmark::Failure::Call::kList, error, {}})); });
      if (interrupted || batches.stopped()) break;
    }
    if (interrupted) batches.stop();
    batches.finish();
  }
  if (outputClosed) throw OutputClosed{};
  endIfInterrupted();
  return status;
}

}  // namespace quillmark::cli
